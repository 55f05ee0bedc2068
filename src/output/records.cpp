// Record formats, as the host reads them. A record is one line: its code (two
// lower-case letters; the line record has none and begins with a blank), the
// values separated by single blanks, a line feed (CR LF in the file). Sen,
// Ten, Lcout, Ltout, Cnout, Kci and Kdci end with a blank before the line
// feed; no other record does. A text value follows a double quote and runs to
// the line end, with no closing quote.
#include "output/records.h"

#include <cmath>
#include <cstdarg>
#include <cstring>

#include "state/contract.h"
#include "state/state.h"

FMT_PRINTF(3, 4) static int format(char* out, int cap, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    const int n = fmt_vformat(out, cap, fmt, ap);
    va_end(ap);
    return n;
}

// The text record's position and direction take ten decimals, one more than
// the other text writers give them. A run writes the same pair again for
// every text record while the points and the fill stay as they are, so the
// last pair's bytes are kept and written again when every value is the same
// (the doubles bit for bit: the sign of a zero shows).
int MojiPairOut(double w, double h, double d, int colour, double x, double y, double dx, double dy, const char* text) {
    static struct {
        bool valid;
        double v[7];
        int colour;
        char text[FILL_BUF_SIZE];
        int n;
        char bytes[2 * FMT_LINE_MAX];
    } last;
    const double v[] = {w, h, d, x, y, dx, dy};
    if (!last.valid || std::memcmp(v, last.v, sizeof v) != 0 || colour != last.colour ||
        std::strcmp(text, last.text) != 0) {
        last.valid = true;
        std::memcpy(last.v, v, sizeof v);
        last.colour = colour;
        last.text[copy_text(last.text, text, FILL_BUF_SIZE - 1, 0)] = '\0';
        const int n = format(last.bytes, FMT_LINE_MAX, "cn0 %.2f %.2f %.2f %d\n", w, h, d, colour);
        last.n = n + format(last.bytes + n, FMT_LINE_MAX, "ch %.10f %.10f %.10f %.10f \"%s\n", x, y, dx, dy, text);
    }
    return tf_write(S.fpw, last.bytes, last.n);
}

// "he", two blanks, the 14 Shift-JIS bytes that say the number of elements is
// over the limit, four blanks, MAX= and the limit.
int HEout(unsigned limit) { return tf_printf(S.fpw, HE_RECORD_HEAD "%u\n", limit); }

int Sen(double x1, double y1, double x2, double y2) {
    return tf_printf(S.fpw, " %.12f %.12f %.12f %.12f \n", x1, y1, x2, y2);
}

int Ten(double x, double y) { return tf_printf(S.fpw, "pt %.12f %.12f \n", x, y); }

int Lcout(int color) { return tf_printf(S.fpw, "lc%d \n", color); }

int Ltout(int type) { return tf_printf(S.fpw, "lt%d \n", type); }

// Components are neither clamped nor masked: one outside 0 to 255 carries
// into its neighbour.
int SRGBout(int red, int green, int blue) {
    int rgb = static_cast<int>(static_cast<unsigned>(red) * 65536u + static_cast<unsigned>(green) * 256u +
                               static_cast<unsigned>(blue));
    return tf_printf(S.fpw, "lc10 #%06x\n", rgb);
}

int S16RGBout(int rgb) { return tf_printf(S.fpw, "lc10 #%06x\n", rgb); }

int SL2out(double a, double b, double c, double d) {
    return tf_printf(S.fpw, "sl %.12f %.12f %.12f %.12f\n", a, b, c, d);
}

int SL3out(double a, double b, double c, double d, double e, double f) {
    return tf_printf(S.fpw, "sl %.12f %.12f %.12f %.12f %.12f %.12f\n", a, b, c, d, e, f);
}

// At debug level 1 (the fill's settings level) the values shorten to two
// decimals.
int SL4out(double a, double b, double c, double d, double e, double f, double g, double h) {
    if (S.isTest == TEST_FILL)
        return tf_printf(S.fpw, "sl %.2f %.2f %.2f %.2f %.2f %.2f %.2f %.2f\n", a, b, c, d, e, f, g, h);
    return tf_printf(S.fpw, "sl %.12f %.12f %.12f %.12f %.12f %.12f %.12f %.12f\n", a, b, c, d, e, f, g, h);
}

int SCout(double a, double b, double c, double d, double e, double f, double g, double h) {
    return tf_printf(S.fpw, "sc %.10f %.10f %.10f %.10f %.10f %.10f %.10f %.2f\n", a, b, c, d, e, f, g, h);
}

int SEout(double a, double b, double c, double d, double e, double f, double g, double h) {
    return tf_printf(S.fpw, "se %.10f %.10f %.10f %.10f %.10f %.10f %.10f %.2f\n", a, b, c, d, e, f, g, h);
}

int SOout(double a, double b, double c, double d, double e, double f, double g, double h) {
    return tf_printf(S.fpw, "so %.10f %.10f %.10f %.10f %.10f %.10f %.10f %.2f\n", a, b, c, d, e, f, g, h);
}

int Cnout(int size) { return tf_printf(S.fpw, "cn%d \n", size); }

int MojiOutSS(const char* code, double x, double y, double dx, double dy, const char* text) {
    return tf_printf(S.fpw, "%s %.9f %.9f %.9f %.9f \"%s\n", code, x, y, dx, dy, text);
}

int MojiOutS(double x, double y, const char* text) { return tf_printf(S.fpw, "ch %.9f %.9f 3 0 \"%s\n", x, y, text); }

// The number comes before the text here and after it in the record.
int MojiOutSD(double x, double y, double number, const char* text) {
    return tf_printf(S.fpw, "ch %.9f %.9f 3 0 \"%s %.2f\n", x, y, text, number);
}

int MojiOutD1(double x, double y, int n) { return tf_printf(S.fpw, "ch %.9f %.9f 3 0 \"%d\n", x, y, n); }

int MojiOutD2(double x, double y, int a, int b) { return tf_printf(S.fpw, "ch %.9f %.9f 3 0 \"%d,%d\n", x, y, a, b); }

int Kci(double cx, double cy, double r) { return tf_printf(S.fpw, "ci %.12f %.12f %.12f \n", cx, cy, r); }

int Kdci(double cx, double cy, double r, double start, double end, double sixth, double seventh) {
    return tf_printf(S.fpw, "ci %.12f %.12f %.12f %.12f %.12f %.12f %.12f \n", cx, cy, r, start, end, sixth, seventh);
}

// The attribute-restoring block. The first text-size record of the input
// decides both text-size lines: a free size is written back when its width is
// above 0 (the start value -20.0 and NaN are not), a size class when it is not
// 0 and at most 10 (negative classes too). The pen is written in decimal when
// at most 9; the not-seen 20 is not.
void IniZokusei() {
    if (S.MOJIWi > 0) tf_printf(S.fpw, "cn0 %.2f, %.2f, %.2f, %d\n", S.MOJIWi, S.MOJIHi, S.MOJIDi, S.MOJICi);
    if (S.MOJISi != 0 && S.MOJISi <= SIZE_CLASSES) tf_printf(S.fpw, "cn%d\n", S.MOJISi);
    tf_printf(S.fpw, "lg%x\nly%x\nlt%d\nlc%d\n", S.GROUPi, S.LAYERi, S.TYPEi, S.COLORi);
    if (S.TENSi <= 9) tf_printf(S.fpw, "pn%d\n", S.TENSi);
}

double LengSen(double x1, double y1, double x2, double y2) {
    return std::sqrt((x1 - x2) * (x1 - x2) + (y1 - y2) * (y1 - y2));
}

void LINE_PRO(unsigned n) { (void)n; }
