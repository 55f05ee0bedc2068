// Records as the host writes them. A record is one read of at most
// RECORD_READ_SIZE - 1 bytes (a longer line arrives as several records); its
// first characters select its kind, compared byte for byte:
//
//   " "   line            x1 y1 x2 y2              "#"   comment (echoed)
//   "bz"  paper units     (echoed)                 "z"   attribute number
//   "cc"  text attribute  decimal                  "cn0" free text size W H D colour (echoed)
//   "cn"  size class      decimal (echoed)         "cn\"" (echoed)
//   "ci"  circle          cx cy r [start end 6 7]  "c?"  text: x y dx dy "text
//   "hq"  stage marker                             "hn"  four numbers
//   "hp"  indicated point (see read_point)         "hs"  16 layer-group scales
//   "hcw" "hch" "hcd"  size-class widths, heights, spacings (10 each)
//   "hcc" size-class colours (10)                  "pt"  point x y
//   "lg" "ly"  layer group, layer: hexadecimal     "lt" "lc"  line type, colour: decimal
//   "pn"  pen: hexadecimal                         "pl"  polyline start
//
// Every other record is dropped. Fields are converted up to the first one that
// does not convert; the targets after it keep their values. A number that no
// output shows at the run's debug level is not converted: a circle's and a
// "pt" record's are not looked at, a text record's only checked, a line's
// read at level 3 alone (its stage marker), a free size's only until it is
// captured and at level 2.
#include "input/reader.h"

#include "fill/fill.h"
#include "input/fields.h"
#include "platform/console.h"
#include "state/state.h"

// An initial attribute takes the first value of its kind.
static void capture(int* initial, int current) {
    if (*initial == NOT_SEEN) *initial = current;
}

// Up to n "%lf" fields into consecutive doubles.
static void scan_lfs(const char* p, double* t, int n) {
    for (int k = 0; k < n && scan_lf(&p, &t[k]); k++) {}
}

static void scan_ds(const char* p, int* t, int n) {
    for (int k = 0; k < n && scan_d(&p, &t[k]); k++) {}
}

void PLreset() {
    S.iPL = 0;
    S.iPLcounter = 0;
    S.iKtensu = 0;
    S.KYleng = 0.0;
}

// "hp" + slot digit + form. Forms " ", "+", "/", "-" store the point in its
// slot (0 to HPmax; other slot numbers, negative ones included, are counted
// but not stored); "ch" and "ln" keep it apart and mark stage 2.
static void read_point(const char* rec) {
    const char* p = rec + 2;
    char form = rec[2] != '\0' ? rec[3] : '\0';
    if (form == ' ' || form == '+' || form == '/' || form == '-') {
        S.iPOINTcnt++;
        int slot = S.iPOINT;
        if (scan_d(&p, &slot)) S.iPOINT = slot;
        if (S.iPOINT < 0 || S.iPOINT > HPmax) return;
        const char* q = rec + 4;  // behind the form (a blank form is skipped as any blank)
        if (scan_lf(&q, &S.PX[S.iPOINT])) scan_lf(&q, &S.PY[S.iPOINT]);
        if (S.isTest == TEST_POINTS && form != '+')
            con_out("##  hp%d%c  %.2f %.2f \n", S.iPOINT, form, S.PX[S.iPOINT], S.PY[S.iPOINT]);
    } else if ((form == 'c' && rec[4] == 'h') || (form == 'l' && rec[4] == 'n')) {
        int slot = S.iPOINT;
        if (scan_d(&p, &slot)) S.iPOINT = slot;
        const char* q = rec + 5;
        if (scan_lf(&q, &S.HPOINTx)) scan_lf(&q, &S.HPOINTy);
        S.iPOINTcnt++;
        S.stepcnt = 2;
    }
}

// Text record: two characters of code, x y dx dy, blanks, a double quote and
// the text up to the end of the record (line end included, TEXT_TAKE_MAX bytes
// at most). The four numbers reach no output; whether they convert decides
// whether the text is taken.
static void read_text(const char* rec) {
    S.MOJI_head[0] = rec[0];
    S.MOJI_head[1] = rec[1];
    const char* p = rec + 2;
    if (skip_lf(&p) && skip_lf(&p) && skip_lf(&p) && skip_lf(&p)) {
        p = skip_space(p);
        if (*p == '"') {
            p++;
            // The text ends where the record ends, even when nothing follows
            // the quote: nothing of an earlier text shows behind it.
            S.ChSTR0[copy_text(S.ChSTR0, p, TEXT_TAKE_MAX, 0)] = '\0';
        }
    }
    CHR_PRO();
    S.iCHR_cnt++;
}

// A line: only its length is looked at, against what the last line left when
// not every end converts, and it shows only in the stage marker that debug
// level 3 prints.
static void read_line(const char* rec) {
    if (S.isTest != TEST_POINTS) return;
    const char* p = rec + 1;
    if (scan_lf(&p, &S.ILINEx1) && scan_lf(&p, &S.ILINEy1) && scan_lf(&p, &S.ILINEx2)) scan_lf(&p, &S.ILINEy2);
    if (S.ILINEx1 != S.ILINEx2 || S.ILINEy1 != S.ILINEy2) {
        S.iLine_cnt++;
        S.stepcnt = 3;
    }
}

// "cn0 W H D colour", the free size, or "cnN", a size class; echoed first.
// The first of either decides the initial text size.
static void read_text_size(const TfRecord* r) {
    const char* rec = r->text;
    tf_echo_record(S.fpw, r);
    if (rec[2] == '0') {
        S.MOJIS = 0;
        // The size shows in the restoring block once captured (the first
        // free size is) and in the fill's trace.
        if (S.MOJISi != NOT_SEEN && S.isTest != TEST_TRACE) return;
        const char* p = rec + 3;
        if (scan_lf(&p, &S.MOJI_W[0]) && scan_lf(&p, &S.MOJI_H[0]) && scan_lf(&p, &S.MOJI_D[0]))
            scan_d(&p, &S.MOJI_C[0]);
        if (S.MOJISi == NOT_SEEN) {
            S.MOJISi = 0;
            S.MOJIWi = S.MOJI_W[0];
            S.MOJIHi = S.MOJI_H[0];
            S.MOJIDi = S.MOJI_D[0];
            S.MOJICi = S.MOJI_C[0];
        }
    } else if (rec[2] != '"') {
        const char* p = rec + 2;
        scan_d(&p, &S.MOJIS);
        capture(&S.MOJISi, S.MOJIS);
    }
}

// The line attributes "lg", "ly" (hexadecimal), "lt" and "lc" (decimal): the
// current value, and the initial one while not seen.
static void read_attribute(const char* rec) {
    const char* p = rec + 2;
    switch (rec[1]) {
    case 'g':
        scan_x(&p, &S.GROUP);
        capture(&S.GROUPi, S.GROUP);
        break;
    case 'y':
        scan_x(&p, &S.LAYER);
        capture(&S.LAYERi, S.LAYER);
        break;
    case 't':
        scan_d(&p, &S.TYPE);
        capture(&S.TYPEi, S.TYPE);
        break;
    case 'c':
        scan_d(&p, &S.COLOR);
        capture(&S.COLORi, S.COLOR);
        break;
    }
}

// "pn", the pen, hexadecimal.
static void read_pen(const char* rec) {
    const char* p = rec + 2;
    scan_x(&p, &S.TENS);
    capture(&S.TENSi, S.TENS);
}

// "cc", the text attribute, decimal.
static void read_text_attribute(const char* rec) {
    const char* p = rec + 2;
    scan_d(&p, &S.MOJIK);
    capture(&S.MOJIKi, S.MOJIK);
}

// The host's settings: "hq" stage marker, "hn" four numbers, "hp" points,
// "hs" layer-group scales, "hcw" "hch" "hcd" "hcc" the size-class tables.
static void read_setting(const char* rec) {
    switch (rec[1]) {
    case 'q':
        S.stepcnt = 1;
        break;
    case 'n': {
        const char* p = rec + 2;
        if (scan_lf(&p, &S.PNX1) && scan_lf(&p, &S.PNY1) && scan_lf(&p, &S.PNX2)) scan_lf(&p, &S.PNY2);
        break;
    }
    case 'p':
        read_point(rec);
        break;
    case 's':
        scan_lfs(rec + 3, S.G_SCALE, LAYER_GROUPS);
        break;
    case 'c':
        if (rec[2] == 'w') scan_lfs(rec + 4, &S.MOJI_W[1], SIZE_CLASSES);
        else if (rec[2] == 'h') scan_lfs(rec + 4, &S.MOJI_H[1], SIZE_CLASSES);
        else if (rec[2] == 'd') scan_lfs(rec + 4, &S.MOJI_D[1], SIZE_CLASSES);
        else if (rec[2] == 'c') scan_ds(rec + 4, &S.MOJI_C[1], SIZE_CLASSES);
        break;
    }
}

static void read_polyline_start() {
    PLreset();
    S.iPL = 1;
    S.iPLcounter = 0;
    S.iPLcnt++;
}

// A comment is echoed and ends a polyline.
static void echo_comment(const TfRecord* r) {
    tf_echo_record(S.fpw, r);
    PLreset();
}

static void echo_paper_units(const TfRecord* r) {
    S.isZUSUN = 1;
    tf_echo_record(S.fpw, r);
}

// "z" and the attribute number.
static void read_attribute_number(const char* rec) {
    const char* p = rec + 1;
    scan_d(&p, &S.ZOKU);
}

// One record by its leading characters. It is looked at up to its first NUL
// byte; an echo copies the whole read (tf_echo_record).
static void dispatch(const TfRecord* r) {
    const char* rec = r->text;
    switch (rec[0]) {
    case ' ':
        read_line(rec);
        break;
    case '#':
        echo_comment(r);
        break;
    case 'b':
        if (rec[1] == 'z') echo_paper_units(r);
        break;
    case 'c':
        if (rec[1] == 'c') read_text_attribute(rec);
        else if (rec[1] == 'n') read_text_size(r);
        else if (rec[1] == 'i') break;  // a circle: none of its numbers reaches an output
        else read_text(rec);
        break;
    case 'h':
        read_setting(rec);
        break;
    case 'l':
        read_attribute(rec);
        break;
    case 'p':
        if (rec[1] == 'n') read_pen(rec);
        else if (rec[1] == 't') break;  // a point: neither of its numbers reaches an output
        else if (rec[1] == 'l') read_polyline_start();
        break;
    case 'z':
        read_attribute_number(rec);
        break;
    }
}

int JW_PATTERN(unsigned jd_xmax, unsigned jd_limit) {
    TfRecord r;
    for (unsigned jd_x = 0; jd_x != jd_limit; jd_x++) {
        if (tf_read_record(S.fp, RECORD_READ_SIZE, &r) < 0) break;
        if (S.isTest == TEST_RECORDS) {
            con_out("## ---- JW_PATTERN()  jwc_temp.txt processing --------\n");
            con_out("##  jd_x=%u/%u : jd_x/jd_xmax  jd_limit=%u\n", jd_x, jd_xmax, jd_limit);
            con_out("##  buf=(%s)\n", r.text);
        }
        dispatch(&r);
    }
    S.iPattern++;
    return 0;
}
