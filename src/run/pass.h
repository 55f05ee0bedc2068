// The run between opening its files and closing them. main and the fuzzer
// both call it, so whatever step is added here is fuzzed as well.
#pragma once

// Reads the exchange file (fp, jd_xmax lines) and writes the output (fpw):
// the reader's pass with a fill per text record, the final fill, the debug
// level 3 closing lines and the attribute-restoring block.
void run_pass(unsigned jd_xmax);
