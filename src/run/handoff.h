// The hand-off of the exchange file between the host and this run: its name,
// the counting copy, the working copy and the replacement at the end. Each
// step returns how the run goes on; one that fails ends it (Ending.ended)
// with its status and message, and the exchange file holds what the host
// wrote.
#pragma once

#include "state/contract.h"

// How a step leaves the run: going on, or ended with the exit status and,
// unless message is null, the message that names the file (message, file,
// " \n" on standard error).
struct Ending {
    bool ended;
    int status;
    const char* message;
    const char* file;
};
constexpr Ending GO_ON = {false, STATUS_DONE, nullptr, nullptr};

// Gives the host's exchange file, found under any case of its name, exactly
// the name EXCHANGE_FILE.
void normalise_name();
// Copies source to destination line by line into *count lines, stopping after
// line LINE_LIMIT + 1. Ends the run with status -1 when a file cannot be
// opened or the source cannot be read to its end.
Ending Tcopy(const char* source, const char* destination, unsigned* count);
// Step by step, each ending the run with status 1 when it fails;
// refuse_long_file ends it with status 1 when it refuses the file.
Ending open_output();
Ending refuse_long_file(unsigned jd_xmax);
Ending open_input();
// Closes both files; a failed read of the exchange file, or a failed write,
// flush or close of the working copy, ends the run with status 1 and leaves
// the exchange file alone.
Ending close_files();
// Replaces the exchange file with the working copy in one step and makes the
// replacement durable; ends the run with status -1 when the replacement
// fails.
Ending hand_back();
