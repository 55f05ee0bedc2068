// linetext: lays a repeated pattern text along the line from indicated point 1
// to indicated point 2 of the host's exchange file. The host writes
// "JWC_TEMP.TXT", starts this program in its directory, waits, and reads the
// file back as drawing commands.
//
// Exit status: 0 the run completed; 1 or -1 the run ended early and the
// exchange file holds the host's input unchanged.
#include "platform/args.h"
#include "platform/console.h"
#include "run/contract.h"
#include "run/handoff.h"
#include "run/options.h"
#include "run/pass.h"
#include "run/state.h"

int main(int argc, char** argv) {
    if (answer_query(argc, argv)) return STATUS_DONE;  // a person asking, not the host
    // Japanese typed in a UTF-8 terminal becomes the host's Shift-JIS, as on Windows
    args_to_cp932(argc, argv);
    scan_options(argc, argv);
    if (isTest == TEST_TRACE) con_out("\n\n#### debug #### Cmd-Option read\n");

    normalise_name();
    unsigned jd_xmax = Tcopy(EXCHANGE_FILE, WORKING_COPY);  // counts the lines
    if (isTest == TEST_TRACE) con_out("#  copyed to JWC_TEMP.104 \n");

    open_output();  // empties the counting copy: it becomes the output
    refuse_long_file(jd_xmax);
    open_input();

    run_pass(jd_xmax);  // the records read, filled and written

    close_files();
    if (isTest == TEST_OFF) hand_back();  // at any debug level the result stays in the working copy
    return 0;
}
