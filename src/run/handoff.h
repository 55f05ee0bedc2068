// The hand-off of the exchange file between the host and this run: its name,
// the counting copy, the working copy and the replacement at the end.
#pragma once

#include "run/contract.h"

// Gives the host's exchange file, found under any case of its name, exactly
// the name EXCHANGE_FILE.
void normalise_name();
// Copies source to destination line by line and returns the number of lines,
// stopping after line LINE_LIMIT + 1. Ends the process with status -1 when a
// file cannot be opened or the source cannot be read to its end.
unsigned Tcopy(const char* source, const char* destination);
// Step by step, each ending the process with status 1 when it fails.
void open_output();
void refuse_long_file(unsigned jd_xmax);
void open_input();
// Closes both files; a failed read of the exchange file, or a failed write,
// flush or close of the working copy, ends the process with status 1 and
// leaves the exchange file alone.
void close_files();
// Replaces the exchange file with the working copy in one step and makes the
// replacement durable; ends the process with status -1 when the replacement
// fails.
void hand_back();
