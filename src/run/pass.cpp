#include "run/pass.h"

#include "fill/fill.h"
#include "input/reader.h"
#include "output/records.h"
#include "platform/console.h"
#include "platform/textfile.h"
#include "state/contract.h"
#include "state/state.h"

// The debug level 3 block after the fill.
static void closing_block(unsigned jd_xmax) {
    if (S.isTest != TEST_POINTS) return;
    const int xmax = static_cast<int>(jd_xmax);
    con_out("# ------------------ main() Pattern1 end file closing ------------------ \n");
    con_out("# jd_xmax= %d stepcnt= %d Error(%d)\n", xmax, S.stepcnt, 0);
    tf_printf(S.fpw, "# ------------------ main() Pattern1 end file closing ------------------ \n");
    tf_printf(S.fpw, "#    jd_xmax= %d stepcnt= %d \n", xmax, S.stepcnt);
}

void run_pass(unsigned jd_xmax) {
    JW_PATTERN(jd_xmax, LINE_LIMIT);  // echoes, stores, and fills per text record
    STR_LINE();                       // the final fill, with every point known
    closing_block(jd_xmax);
    IniZokusei();  // the initial attributes, as the last records
}
