// The host contract as one check of a run already made: what its ending
// promises (check_ending), the message on standard error that goes with it,
// every returned record (check_records), and every fill laid, measured
// against the line without the fill's code (check_fills). drafthost, its
// --check mode (the kill test), and the fault driver of both platforms use it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ending.h"
#include "records.h"

namespace drafthost {

struct RunFacts {
    ExitStatus status;
    // The caller killed the run: the host's file must hold the input or the
    // complete result (given in result), and nothing else is promised.
    bool killed = false;
    const std::string* result = nullptr;
    std::vector<std::string> args;  // the program's arguments
    // A lone --help, /?, -? or --version: a person asking the program about itself,
    // which must end with 0 and leave the directory exactly as it was.
    bool query = false;
    Prepared prepared;
    DirState after;
    std::optional<std::string> err;  // standard error, when it was kept apart
    // Names match regardless of case (Windows): the host finds its file under
    // any spelling of the exchange file's name.
    bool fold_case = false;
    // The fills are measured against args (not when an emulator re-encodes
    // the arguments on their way to the program).
    bool measure_fills = true;
};

struct Verdict {
    EndingCheck ending;
    RecordCheck records;
    std::vector<std::string> problems;  // of all the checks
};

Verdict check_run(RunFacts facts);

// The fills of a returned file, measured against the arguments (the last /Z,
// /M and /L) as "Fills" in README.md says.
std::vector<std::string> check_fills(const RecordCheck& records, const std::vector<std::string>& args);

}  // namespace drafthost
