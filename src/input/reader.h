// The exchange-file reader: one pass over the host's records.
#pragma once

// Reads at most jd_limit records from fp, keeps what they carry in the run
// state, echoes comments, "bz" and "cn" records into fpw, and runs the text
// fill for every text record. jd_xmax only appears in the level-5 lines.
// Always returns 0.
int JW_PATTERN(unsigned jd_xmax, unsigned jd_limit);
// Clears the polyline state.
void PLreset();
