// The whole run, as the process runs it.
#pragma once

// Runs linetext with the process's arguments: the run state put back to its
// start values, every step in order, and the message of a step that ends the
// run early on standard error. Returns the exit status; ends no process.
int run_linetext(int argc, char** argv);
