// One run of a program the way the host runs it: a fresh working directory
// holding the drawing as the exchange file, the program started there and
// waited for, and the directory read back.
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
    std::string drawing_path;
    std::string name = kExchangeFile;
    std::optional<std::string> keep_dir;  // use and keep this directory
    std::vector<std::string> command;     // the program and its arguments
    int output_fd = 2;                    // gets the program's stdout and stderr
};

struct Session {
    std::string dir;  // the working directory (absolute)
    bool kept = false;
    std::string drawing;
    ExitStatus status;
    int level = 0;
    DirState after;
};

// Runs the program and fills in what it left. The working directory is
// removed afterwards unless options.keep_dir was given.
Session run_session(const SessionOptions& options);

// PROGRAM as it will be started: a name with a slash made absolute against
// the current directory, a bare name looked up in PATH (relative PATH entries
// against the current directory too). Throws SetupError when nothing runnable
// is found.
std::string resolve_program(const std::string& program);

}  // namespace drafthost
