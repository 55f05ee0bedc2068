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
// does not convert; the targets after it keep their values.
#include "input/reader.h"

#include "fill/fill.h"
#include "input/fields.h"
#include "platform/console.h"
#include "run/state.h"

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
    iPL = 0;
    iPLcounter = 0;
    iKtensu = 0;
    KYleng = 0.0;
}

// "hp" + slot digit + form. Forms " ", "+", "/", "-" store the point in its
// slot (0 to HPmax; other slot numbers, negative ones included, are counted
// but not stored); "ch" and "ln" keep it apart and mark stage 2.
static void read_point(const char* rec) {
    const char* p = rec + 2;
    char form = rec[2] != '\0' ? rec[3] : '\0';
    if (form == ' ' || form == '+' || form == '/' || form == '-') {
        iPOINTcnt++;
        int slot = iPOINT;
        if (scan_d(&p, &slot)) iPOINT = slot;
        if (iPOINT < 0 || iPOINT > HPmax) return;
        const char* q = rec + 4;  // behind the form (a blank form is skipped as any blank)
        if (scan_lf(&q, &PX[iPOINT])) scan_lf(&q, &PY[iPOINT]);
        if (isTest == TEST_POINTS && form != '+')
            con_out("##  hp%d%c  %.2f %.2f \n", iPOINT, form, PX[iPOINT], PY[iPOINT]);
    } else if ((form == 'c' && rec[4] == 'h') || (form == 'l' && rec[4] == 'n')) {
        int slot = iPOINT;
        if (scan_d(&p, &slot)) iPOINT = slot;
        const char* q = rec + 5;
        if (scan_lf(&q, &HPOINTx)) scan_lf(&q, &HPOINTy);
        iPOINTcnt++;
        stepcnt = 2;
    }
}

// Text record: two characters of code, x y dx dy, blanks, a double quote and
// the text up to the end of the record (line end included, TEXT_TAKE_MAX bytes at most).
static void read_text(const char* rec, unsigned jd_x) {
    MOJI_head[0] = rec[0];
    MOJI_head[1] = rec[1];
    const char* p = rec + 2;
    if (scan_lf(&p, &ChX) && scan_lf(&p, &ChY) && scan_lf(&p, &ChDX) && scan_lf(&p, &ChDY)) {
        while (*p == ' ' || (*p >= '\t' && *p <= '\r')) p++;
        if (*p == '"') {
            p++;
            // The text ends where the record ends, even when nothing follows
            // the quote: nothing of an earlier text shows behind it.
            ChSTR0[copy_text(ChSTR0, p, TEXT_TAKE_MAX, 0)] = '\0';
        }
    }
    CHR_PRO(jd_x);
    iCHR_cnt++;
}

// A line: only its length is looked at, against what the last line left when
// not every end converts.
static void read_line(const char* rec) {
    const char* p = rec + 1;
    if (scan_lf(&p, &ILINEx1) && scan_lf(&p, &ILINEy1) && scan_lf(&p, &ILINEx2)) scan_lf(&p, &ILINEy2);
    if (ILINEx1 != ILINEx2 || ILINEy1 != ILINEy2) {
        iLine_cnt++;
        stepcnt = 3;
    }
}

// "cn0 W H D colour", the free size, or "cnN", a size class; echoed first.
// The first of either decides the initial text size.
static void read_text_size(const TfRecord* r) {
    const char* rec = r->text;
    tf_echo_record(fpw, r);
    if (rec[2] == '0') {
        MOJIS = 0;
        const char* p = rec + 3;
        if (scan_lf(&p, &MOJI_W[0]) && scan_lf(&p, &MOJI_H[0]) && scan_lf(&p, &MOJI_D[0])) scan_d(&p, &MOJI_C[0]);
        if (MOJISi == NOT_SEEN) {
            MOJISi = 0;
            MOJIWi = MOJI_W[0];
            MOJIHi = MOJI_H[0];
            MOJIDi = MOJI_D[0];
            MOJICi = MOJI_C[0];
        }
    } else if (rec[2] != '"') {
        const char* p = rec + 2;
        scan_d(&p, &MOJIS);
        capture(&MOJISi, MOJIS);
    }
}

// "ci": centre and radius, then start and end angle and two more numbers,
// which take their defaults when the record leaves them out.
static void read_circle(const char* rec) {
    SK = 0.0;
    EK = 360.0;
    HP = -2.0;
    JK = 0.0;
    const char* p = rec + 2;
    double* t[7] = {&CX, &CY, &CR, &SK, &EK, &HP, &JK};
    for (int k = 0; k < 7 && scan_lf(&p, t[k]); k++) {}
    iCi_cnt++;
}

// The line attributes "lg", "ly" (hexadecimal), "lt" and "lc" (decimal): the
// current value, and the initial one while not seen.
static void read_attribute(const char* rec) {
    const char* p = rec + 2;
    switch (rec[1]) {
    case 'g':
        scan_x(&p, &GROUP);
        capture(&GROUPi, GROUP);
        break;
    case 'y':
        scan_x(&p, &LAYER);
        capture(&LAYERi, LAYER);
        break;
    case 't':
        scan_d(&p, &TYPE);
        capture(&TYPEi, TYPE);
        break;
    case 'c':
        scan_d(&p, &COLOR);
        capture(&COLORi, COLOR);
        break;
    }
}

// "pn", the pen, hexadecimal.
static void read_pen(const char* rec) {
    const char* p = rec + 2;
    scan_x(&p, &TENS);
    capture(&TENSi, TENS);
}

// "cc", the text attribute, decimal.
static void read_text_attribute(const char* rec) {
    const char* p = rec + 2;
    scan_d(&p, &MOJIK);
    capture(&MOJIKi, MOJIK);
}

// The host's settings: "hq" stage marker, "hn" four numbers, "hp" points,
// "hs" layer-group scales, "hcw" "hch" "hcd" "hcc" the size-class tables.
static void read_setting(const char* rec) {
    switch (rec[1]) {
    case 'q':
        stepcnt = 1;
        break;
    case 'n': {
        const char* p = rec + 2;
        if (scan_lf(&p, &PNX1) && scan_lf(&p, &PNY1) && scan_lf(&p, &PNX2)) scan_lf(&p, &PNY2);
        break;
    }
    case 'p':
        read_point(rec);
        break;
    case 's':
        scan_lfs(rec + 3, G_SCALE, 16);
        break;
    case 'c':
        if (rec[2] == 'w') scan_lfs(rec + 4, &MOJI_W[1], 10);
        else if (rec[2] == 'h') scan_lfs(rec + 4, &MOJI_H[1], 10);
        else if (rec[2] == 'd') scan_lfs(rec + 4, &MOJI_D[1], 10);
        else if (rec[2] == 'c') scan_ds(rec + 4, &MOJI_C[1], 10);
        break;
    }
}

// "pt x y", kept in slot 1 of KX and KY.
static void read_pt(const char* rec) {
    const char* p = rec + 2;
    if (scan_lf(&p, &KX[1])) scan_lf(&p, &KY[1]);
}

static void read_polyline_start() {
    PLreset();
    iPL = 1;
    iPLcounter = 0;
    iPLcnt++;
}

// A comment is echoed and ends a polyline.
static void echo_comment(const TfRecord* r) {
    tf_echo_record(fpw, r);
    PLreset();
}

static void echo_paper_units(const TfRecord* r) {
    isZUSUN = 1;
    tf_echo_record(fpw, r);
}

// "z" and the attribute number.
static void read_attribute_number(const char* rec) {
    const char* p = rec + 1;
    scan_d(&p, &ZOKU);
}

// One record by its leading characters. It is looked at up to its first NUL
// byte; an echo copies the whole read (tf_echo_record).
static void dispatch(const TfRecord* r, unsigned jd_x) {
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
        else if (rec[1] == 'i') read_circle(rec);
        else read_text(rec, jd_x);
        break;
    case 'h':
        read_setting(rec);
        break;
    case 'l':
        read_attribute(rec);
        break;
    case 'p':
        if (rec[1] == 'n') read_pen(rec);
        else if (rec[1] == 't') read_pt(rec);
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
        if (tf_read_record(fp, RECORD_READ_SIZE, &r) < 0) break;
        if (isTest == TEST_RECORDS) {
            con_out("## ---- JW_PATTERN()  jwc_temp.txt processing --------\n");
            con_out("##  jd_x=%u/%u : jd_x/jd_xmax  jd_limit=%u\n", jd_x, jd_xmax, jd_limit);
            con_out("##  buf=(%s)\n", r.text);
        }
        dispatch(&r, jd_x);
    }
    iPattern++;
    return 0;
}
