// benchtime: runs one command and prints its wall time and peak resident
// memory, measured around drafthost's runner (tools/drafthost/src/runner.h:
// fork, execvp and wait4), with no shell in between.
//
//   benchtime [-C DIR] [-o FILE] -- COMMAND [ARG...]
//
// -C runs the command in DIR; -o sends its standard output to FILE (created
// or emptied; a relative FILE is taken from the current directory, not DIR),
// which without -o goes to standard error with the command's.
// Standard input is /dev/null. Prints one line on standard output:
// "<wall microseconds> <peak RSS KiB> <exit status>", the status of a command
// ended by a signal 128 plus the signal's number.
#include <time.h>

#include <cstdio>
#include <cstring>

#include "runner.h"

int main(int argc, char** argv) {
    drafthost::Launch l;
    l.dir = ".";
    int k = 1;
    for (; k < argc; k++) {
        if (!std::strcmp(argv[k], "-C") && k + 1 < argc) l.dir = argv[++k];
        else if (!std::strcmp(argv[k], "-o") && k + 1 < argc) l.out = argv[++k];
        else if (!std::strcmp(argv[k], "--")) {
            k++;
            break;
        } else break;
    }
    if (k >= argc) {
        std::fprintf(stderr, "usage: benchtime [-C DIR] [-o FILE] -- COMMAND [ARG...]\n");
        return 2;
    }
    l.command.assign(argv + k, argv + argc);
    timespec t0, t1;
    clock_gettime(CLOCK_MONOTONIC, &t0);
    drafthost::ExitStatus s;
    try {
        s = drafthost::run_program(l);
    } catch (const drafthost::SetupError& e) {
        std::fprintf(stderr, "benchtime: %s\n", e.what());
        return 2;
    }
    clock_gettime(CLOCK_MONOTONIC, &t1);
    long long us = (t1.tv_sec - t0.tv_sec) * 1000000LL + (t1.tv_nsec - t0.tv_nsec) / 1000;
    std::printf("%lld %ld %d\n", us, s.max_rss_kib, s.signalled ? 128 + s.code : s.code);
    return 0;
}
