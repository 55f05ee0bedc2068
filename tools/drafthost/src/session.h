// One run of a program the way the host runs it: a working directory holding
// the drawing as the exchange file (a fresh one, or one prepared beforehand),
// the program started there and waited for, and the directory read back.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ending.h"

namespace drafthost {

// drafthost's own failures (bad arguments, a directory it cannot make, a
// program it cannot start): not the program's fault.
struct SetupError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct SessionOptions {
    // A fresh directory: the bytes of drawing_path go in under name
    // (JWC_TEMP.TXT when not given).
    std::string drawing_path;
    std::optional<std::string> name;
    std::optional<std::string> keep_dir;  // use and keep this (empty) directory
    // Or a directory prepared beforehand, used as it is and kept. The drawing
    // is the entry under name, or else the one entry whose name is the
    // exchange file's in any case; with none there is no exchange file.
    std::optional<std::string> prepared_dir;
    std::vector<std::string> command;  // the program and its arguments
    int stdout_fd = 2;                 // the program's stdout and stderr
    int stderr_fd = 2;
    bool no_stdin = false;  // started with standard input closed, not on /dev/null
};

struct Session {
    std::string dir;  // the working directory (absolute)
    bool kept = false;
    Prepared prepared;    // what the directory held before the run
    std::string drawing;  // the drawing's bytes (empty if none or no regular file)
    ExitStatus status;
    int level = 0;
    DirState after;
};

// Runs the program and fills in what it left. A fresh working directory is
// removed afterwards unless options.keep_dir was given.
Session run_session(const SessionOptions& options);

// Every entry of a directory, regular files with their bytes, symbolic links
// not followed. Throws SetupError when it cannot be listed or a file read.
DirState read_dir(const std::string& dir);

// PROGRAM as it will be started: a name with a slash made absolute against
// the current directory, a bare name looked up in PATH (relative PATH entries
// against the current directory too). Throws SetupError when nothing runnable
// is found.
std::string resolve_program(const std::string& program);

}  // namespace drafthost
