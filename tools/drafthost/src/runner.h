// Starting the program under test and reading back what it left: drafthost's
// session and the fault driver of both platforms (tests/faults) share it, and
// the benchmark's timer (bench/timeit.cpp) starts its commands with it.
#pragma once

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

struct Launch {
    std::string dir;                   // the working directory
    std::vector<std::string> command;  // the program and its arguments, no shell
    // The program's standard output and error: files created or emptied (one
    // file for both gets them in the order written); empty, our own stderr.
    std::string out, err;
    bool no_stdin = false;       // standard input closed, not on the null device
    unsigned limit_seconds = 0;  // a run still going after this is ended; 0: none
};

// Starts the program in l.dir and waits for it. A program with a slash is
// taken relative to the current directory, a bare name is looked up in PATH.
// Throws SetupError when an output file cannot be made or the program not started.
ExitStatus run_program(const Launch& l);

// Every entry of a directory, regular files with their bytes, symbolic links
// not followed. Throws SetupError when it cannot be listed or a file read.
DirState read_dir(const std::string& dir);

std::string read_file(const std::string& path);  // throws SetupError

}  // namespace drafthost
