// linetext: lays a repeated pattern text along the line from indicated point 1
// to indicated point 2 of the host's exchange file. The host writes
// "JWC_TEMP.TXT", starts this program in its directory, waits, and reads the
// file back as drawing commands.
//
// Exit status: 0 the run completed; 1 or -1 the run ended early and the
// exchange file holds the host's input unchanged.
#include "run/run.h"

int main(int argc, char** argv) { return run_linetext(argc, argv); }
