#include "run/run.h"

#include "platform/args.h"
#include "platform/console.h"
#include "run/handoff.h"
#include "run/options.h"
#include "run/pass.h"
#include "state/contract.h"
#include "state/state.h"

// The run's steps in order; the first that ends the run says how.
static Ending steps(int argc, char** argv) {
    if (answer_query(argc, argv)) return {true, STATUS_DONE, nullptr, nullptr};  // a person asking, not the host
    args_to_cp932(argc, argv);  // Japanese typed in a UTF-8 terminal becomes the host's Shift-JIS, as on Windows
    scan_options(argc, argv);
    if (S.isTest == TEST_TRACE) con_out("\n\n#### debug #### Cmd-Option read\n");

    normalise_name();
    unsigned jd_xmax = 0;
    Ending e = Tcopy(EXCHANGE_FILE, WORKING_COPY, &jd_xmax);  // counts the lines
    if (e.ended) return e;
    if (S.isTest == TEST_TRACE) con_out("#  copyed to " WORKING_COPY " \n");

    if ((e = open_output()).ended) return e;  // empties the counting copy: it becomes the output
    if ((e = refuse_long_file(jd_xmax)).ended) return e;
    if ((e = open_input()).ended) return e;

    run_pass(jd_xmax);  // the records read, filled and written

    if ((e = close_files()).ended || S.isTest != TEST_OFF)
        return e;  // at any debug level the result stays in the working copy
    return hand_back();
}

int run_linetext(int argc, char** argv) {
    S = RunState{};
    const Ending e = steps(argc, argv);
    if (e.message) con_err("%s%s \n", e.message, e.file);
    return e.status;
}
