#include "fill/fill.h"

#include <cmath>
#include <cstring>

#include "fill/strgeo.h"
#include "fill/trig.h"
#include "output/records.h"
#include "platform/console.h"
#include "state/state.h"

// What every call prints on entry, also when it then writes no records.
static void entry_diagnostics() {
    if (S.isTest == TEST_TRACE) {
        con_out("\n# STR_LINE() -- iPOINTcnt<%d> -- iPOINT<%d> -- SCALE(%.1f) -- isZUSUN(%d)\n", S.iPOINTcnt, S.iPOINT,
                S.SCALE, S.isZUSUN);
        con_out("#     PX[0]= %.1f PY[0]= %.1f \n", S.PX[0], S.PY[0]);
        con_out("#     PX[1]= %.1f PY[1]= %.1f \n", S.PX[1], S.PY[1]);
        con_out("#     PX[2]= %.1f PY[2]= %.1f \n", S.PX[2], S.PY[2]);
        con_out("#----- command /M(%.1f) /L(%.1f) /K(%d) /Z(%s)\n", S.dMOJI_w, S.dMOJI_d, S.iMOJI_p, S.ChS001);
        con_out("#  i Free cn0 : W(%.1lf) H(%.1lf) D(%.1lf) Pen(%d)\n", S.MOJI_W[0], S.MOJI_H[0], S.MOJI_D[0],
                S.MOJI_C[0]);
        con_out("#  w Free cn0 : W(%.1lf) H(%.1lf) D(%.1lf) Pen(%d)\n", S.dMOJI_w, S.dMOJI_w, S.dMOJI_d, S.iMOJI_p);
    }
    if (S.isTest == TEST_FILL)
        tf_printf(S.fpw, "#----- command /M(%.1f) /L(%.1f) /K(%d) /Z(%s)\n", S.dMOJI_w, S.dMOJI_d, S.iMOJI_p, S.ChS001);
}

// A single-byte character advances one pitch P, a two-byte character two;
// the total may overshoot L by the tolerance T. The remainder r is only ever
// reduced by subtraction, and the loop stops at the first character that does
// not fit or once the fill string holds more than 250 bytes. The fill string
// is not cleared: appended characters replace what the previous writer left
// in it. Returns the number of bytes appended.
static int fill_loop(double W, double D, double L) {
    const bool trace = S.isTest == TEST_TRACE;
    const double P = (W + D) * 0.5, T = D * 0.5;
    double r = L - P;
    int i = 0, j = 0;
    while (r + T >= 0) {
        // A lead byte with no trail byte (a pattern cut after PATTERN_MAX bytes) is
        // taken as a single-byte character, so nothing past the text is read.
        if (SHIFTJIS(S.ChS001, i) && S.ChS001[i + 1] != '\0') {
            r -= P;
            if (r + T < 0) break;
            S.ChSTR[j] = S.ChS001[i];
            S.ChSTR[j + 1] = S.ChS001[i + 1];
            S.ChSTR[j + 2] = '\0';
            i++;
            j++;
        } else {
            S.ChSTR[j] = S.ChS001[i];
            S.ChSTR[j + 1] = '\0';
        }
        j++;
        if (j > FILL_MAX) break;
        i++;
        if (S.ChS001[i] == '\0') i = 0;
        r -= P;
        if (trace) {
            con_out("# ChSTR(%s)\n", S.ChSTR);
            tf_printf(S.fpw, "# ChSTR(%s) klen(%.2f)\n", S.ChSTR, r);
        }
    }
    return j;
}

// What the loop lays depends on W, D, L and the pattern text alone, and a run
// fills the same line again for every text record: the last fill is kept and
// laid again when all four are the same. The trace of debug level 2 always
// runs the loop.
static struct {
    bool valid;
    double W, D, L;
    char pattern[sizeof S.ChS001];
    int n;  // bytes appended
    char fill[sizeof S.ChSTR];
} last;

static void lay_fill(double W, double D, double L) {
    if (S.isTest != TEST_TRACE && last.valid && W == last.W && D == last.D && L == last.L &&
        std::memcmp(S.ChS001, last.pattern, sizeof S.ChS001) == 0) {
        // The appended bytes and their terminator; what lies behind stays.
        if (last.n > 0) std::memcpy(S.ChSTR, last.fill, static_cast<size_t>(last.n) + 1);
        return;
    }
    const int n = fill_loop(W, D, L);
    last.valid = true;
    last.W = W;
    last.D = D;
    last.L = L;
    std::memcpy(last.pattern, S.ChS001, sizeof S.ChS001);
    last.n = n;
    if (n > 0) std::memcpy(last.fill, S.ChSTR, static_cast<size_t>(n) + 1);
}

// The sine and cosine of the direction, kept for the same reason; the angle
// is compared bit for bit, since the sign of a zero angle shows in the start
// point.
static void sin_cos(double a, double* s, double* c) {
    static bool valid;
    static double last_a, last_s, last_c;
    if (!valid || std::memcmp(&a, &last_a, sizeof a) != 0) {
        valid = true;
        last_a = a;
        fill_sincos(a, &last_s, &last_c);
    }
    *s = last_s;
    *c = last_c;
}

int STR_LINE() {
    // The scale enters no computation; a layer group outside the table has none.
    S.SCALE = (S.GROUP >= 0 && S.GROUP < LAYER_GROUPS) ? S.G_SCALE[S.GROUP] : 1.0;
    const double W = S.dMOJI_w, D = S.dMOJI_d;
    entry_diagnostics();

    if (S.iPOINTcnt > 2) return 1;
    if (S.iPOINT > 2) return 2;
    const double x1 = S.PX[1], y1 = S.PY[1], x2 = S.PX[2], y2 = S.PY[2];
    const double a = ptslope(x1, y1, x2, y2);
    const int lenin = STRLEN(S.ChS001);
    if (lenin == 0) return 0;
    const double L = PTDIST(x1, y1, x2, y2);
    if (S.isTest == TEST_TRACE) {
        con_out("# ChS001(%s)  lenin(%d)  dlen(%.1f)\n", S.ChS001, lenin, L);
        // a circle through point 2, centred on point 1, when the host can
        // read its numbers (L overflows for points near the double range's ends)
        if (std::isfinite(x1) && std::isfinite(y1) && std::isfinite(L)) Kci(x1, y1, L);
    }

    lay_fill(W, D, L);

    // The start point lies half a text height to the right of point 1, seen
    // towards point 2; the direction is the unnormalised vector 1 -> 2.
    const double dx = x2 - x1, dy = y2 - y1;
    double s, c;
    sin_cos(a, &s, &c);
    const double x = x1 + W * s * 0.5, y = y1 - c * W * 0.5;
    // The host reads numbers only: no pair when one of its numbers is inf or
    // nan (a start point or a direction beyond the double range).
    const double numbers[] = {W, D, x, y, dx, dy};
    for (double v : numbers)
        if (!std::isfinite(v)) return 3;
    // /M sets one size for both: the pitch and the fit above assume square
    // characters, so the height written must be the width they used.
    MojiPairOut(W, W, D, S.iMOJI_p, x, y, dx, dy, S.ChSTR);
    return 0;
}

int CHR_PRO() {
    S.ChSTR[0] = '\0';
    STRCPY(S.ChSTR, S.ChSTR0);  // the record's text, up to its line end
    if (S.isTest == TEST_FILL) tf_printf(S.fpw, "# CHR_PRO  now \n");
    return STR_LINE();
}
