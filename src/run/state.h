// The run state: every program-wide variable, through which all modules work
// together. One pass over one exchange file per process, so exactly one run
// state, from process start to process end. Start values are in
// state_start.h (scalars) and state.cpp (arrays) and are in place by static
// initialisation, before main runs. Nothing lives on the heap.
#pragma once

#include "platform/textfile.h"
#include "run/contract.h"

// Sizes that must agree across files, each named once.
//
// A record is one read with a buffer of RECORD_READ_SIZE bytes, so at most
// RECORD_READ_SIZE - 1 bytes; a longer line arrives as several records. The
// counting copy reads with the same size: its count, which refuses a file
// that is too long, must be the number of records the pass reads.
constexpr int RECORD_READ_SIZE = 255;
// ChS001 holds the PATTERN_MAX bytes of the pattern text (run/contract.h) and
// a terminating zero, and STRLEN counts no further than that buffer's size.
// A text record's text is taken up to TEXT_TAKE_MAX bytes, more than any
// record holds after its quote, so a text is always taken whole. ChSTR0 keeps
// the size of TEXT_BUF_SIZE bytes it has always had: room for the most that
// is taken and the terminator behind it, with bytes to spare.
constexpr int TEXT_TAKE_MAX = 260;
constexpr int TEXT_BUF_SIZE = 288;
// The fill stops once the fill string holds more than FILL_MAX bytes
// (run/contract.h), and CHR_PRO takes at most FILL_MAX bytes of a record's
// text; a fill string ended by the bound holds FILL_MAX + 2 bytes at most (a
// two-byte character laid last), which ChSTR, of FILL_BUF_SIZE bytes (the size
// it has always had), holds with its terminator.
constexpr int FILL_BUF_SIZE = 260;

static_assert(RECORD_READ_SIZE <= TF_RECORD_SIZE_MAX, "a record fits the text file's record buffer");
static_assert(RECORD_READ_SIZE - 1 <= TEXT_TAKE_MAX, "a record's text is taken whole");
static_assert(TEXT_TAKE_MAX < TEXT_BUF_SIZE, "a text record's text and its terminator fit");
static_assert(FILL_MAX + 2 < FILL_BUF_SIZE, "the longest fill string and its terminator fit");

// The bounded copy that fills the text buffers of the run state: the bytes of
// src before its first zero byte (and, when line is nonzero, before its first
// CR or LF), at most max of them. Returns how many; stores no terminator.
inline int copy_text(char* dst, const char* src, int max, int line) {
    int n = 0;
    for (; n < max; n++) {
        const char c = src[n];
        if (c == '\0' || (line && (c == '\n' || c == '\r'))) break;
        dst[n] = c;
    }
    return n;
}

// Debug levels (isTest), by what each one prints. Every level is tested for
// equality, except the option echo (TEST_ECHO and up); levels 4 and 6 print
// the option echo only.
constexpr int TEST_OFF = 0;      // no diagnostics; the result replaces the exchange file
constexpr int TEST_FILL = 1;     // the fill's settings line and "# CHR_PRO  now " in the output
constexpr int TEST_TRACE = 2;    // the driver's progress, the fill's trace and its circle record
constexpr int TEST_POINTS = 3;   // one line per point record and the closing block
constexpr int TEST_RECORDS = 5;  // three lines per record read
constexpr int TEST_ECHO = 3;     // the option echo: this level and every one above
constexpr int TEST_MAX = 6;      // the highest level /T takes

// An initial attribute holds NOT_SEEN (20, 0x14 in the hexadecimal records)
// until the first record of its kind is read.
constexpr int NOT_SEEN = 20;

// Options and debug level (set by the option parser, before any file is opened)
extern char ChS001[PATTERN_MAX + 1];  // pattern text: up to PATTERN_MAX bytes and a terminating zero
extern double dMOJI_w;                // width and height of the text the fill writes (5.0)
extern double dMOJI_d;                // spacing between the characters the fill writes (1.0)
extern int iMOJI_p;                   // colour of the text the fill writes (1)
extern int isTest;                    // debug level 0 to 6; 0: no diagnostics, result copied back
extern const int iMode;               // 1, shown by the option echo only
extern const int iMode2;              // 20, shown by the option echo only
extern const int iMode3;              // 20, shown by the option echo only

// Files (the driver opens and closes them)
extern TextFile* fp;   // the exchange file "JWC_TEMP.TXT", open for reading
extern TextFile* fpw;  // the working copy "JWC_TEMP.104": the output of the run

// Current attributes: the value of the last record of each kind
extern int COLOR;  // "lc", line colour, decimal (1)
extern int TYPE;   // "lt", line type, decimal (1)
extern int LAYER;  // "ly", layer, hexadecimal (0)
extern int GROUP;  // "lg", layer group, hexadecimal (0); selects G_SCALE's entry
extern int TENS;   // "pn", pen, hexadecimal (1)
extern int MOJIS;  // "cn", text size class, 0 for the free size (1)
extern int MOJIK;  // "cc", decimal (0)

// Initial attributes: the first value of each attribute in the exchange file.
// While a variable holds NOT_SEEN, the next record of its kind captures the
// current value, and after that it no longer changes; a first record that
// carries 20 itself leaves the mark in place. All start at NOT_SEEN.
extern int COLORi;     // captures COLOR
extern int TYPEi;      // captures TYPE
extern int LAYERi;     // captures LAYER
extern int GROUPi;     // captures GROUP
extern int TENSi;      // captures TENS
extern int MOJISi;     // captures MOJIS; 0 once a free size is captured
extern int MOJIKi;     // captures MOJIK
extern double MOJIWi;  // free-size width (-NOT_SEEN: written back only when > 0)
extern double MOJIHi;  // free-size height
extern double MOJIDi;  // free-size spacing
extern int MOJICi;     // free-size colour

// Text sizes: index 0 the free size ("cn0"), 1 to 10 the size classes ("hc")
extern double MOJI_W[11];  // width per size
extern double MOJI_H[11];  // height per size
extern double MOJI_D[11];  // character spacing per size
extern int MOJI_C[11];     // colour per size

// Layer-group scales
extern double G_SCALE[16];  // scale of each layer group ("hs"), all 1.0
extern double SCALE;        // G_SCALE[GROUP] at each fill; shown at debug level 2 (1.0)

// Indicated points: the fill runs from slot 1 to slot 2
extern double PX[4];     // x of indicated points 0 to 3
extern double PY[4];     // y of indicated points 0 to 3
extern const int HPmax;  // 3: highest slot whose coordinates are stored
extern int iPOINT;       // slot number of the last point record read
extern int iPOINTcnt;    // number of point records read

// Text buffers
extern char ChSTR0[TEXT_BUF_SIZE];  // text of the last text record (after its double quote)
extern char ChSTR[FILL_BUF_SIZE];   // the fill string: a terminated text of at most FILL_MAX + 2 bytes
extern char MOJI_head[3];           // the two leading characters of the last text record ("ch")

// Flags and markers
extern int isZUSUN;  // paper-unit flag: 1 once a "bz" record has been read
extern int stepcnt;  // stage: 1 after "hq", 2 after a "ch"/"ln" point record,
                     // 3 after a line of non-zero length; the last one wins

// Values the reader stores and no other module reads
extern double ChX, ChY;                            // position of the last text record
extern double ChDX, ChDY;                          // direction of the last text record
extern double CX, CY, CR;                          // centre and radius of the last circle
extern double SK, EK;                              // start and end angle of the last circle
extern double HP, JK;                              // the circle record's sixth and seventh numbers
extern double ILINEx1, ILINEy1, ILINEx2, ILINEy2;  // end points of the last line
extern double PNX1, PNY1, PNX2, PNY2;              // the four numbers of the last "hn"
extern double HPOINTx, HPOINTy;                    // coordinates of the last "ch"/"ln" point record
extern double KX[10], KY[10];                      // slot 1: the point of the last "pt" record
extern int ZOKU;                                   // number of the last "z" record
extern int iPL;                                    // polyline state: 1 after "pl", 0 after a reset
extern int iPLcounter, iKtensu;                    // polyline counters, 0 after a reset
extern double KYleng;                              // polyline length, 0.0 after a reset
extern int iLine_cnt;                              // line records of non-zero length
extern int iCi_cnt;                                // circle records
extern int iCHR_cnt;                               // text records
extern int iPLcnt;                                 // "pl" records
extern int iPattern;                               // completed passes of the reader
