// The run state: every program-wide variable, through which all modules work
// together, as the members of one value, S. Each member's start value stands
// beside it; putting the whole state back is one assignment, S = RunState{},
// which the run makes first (so a process may run more than once, as the
// fuzzer does). Nothing lives on the heap.
#pragma once

#include <cstring>

#include "platform/textfile.h"
#include "state/contract.h"

// Sizes that must agree across files, each named once.
//
// A record is one read with a buffer of RECORD_READ_SIZE bytes, so at most
// RECORD_READ_SIZE - 1 bytes; a longer line arrives as several records. The
// counting copy reads with the same size: its count, which refuses a file
// that is too long, must be the number of records the pass reads.
constexpr int RECORD_READ_SIZE = 255;
// ChS001 holds the PATTERN_MAX bytes of the pattern text (state/contract.h) and
// a terminating zero, and STRLEN counts no further than that buffer's size.
// A text record's text is taken up to TEXT_TAKE_MAX bytes, more than any
// record holds after its quote, so a text is always taken whole. ChSTR0 keeps
// the size of TEXT_BUF_SIZE bytes it has always had: room for the most that
// is taken and the terminator behind it, with bytes to spare.
constexpr int TEXT_TAKE_MAX = 260;
constexpr int TEXT_BUF_SIZE = 288;
// The fill stops once the fill string holds more than FILL_MAX bytes
// (state/contract.h), and CHR_PRO takes at most FILL_MAX bytes of a record's
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
    std::size_t n = strnlen(src, static_cast<std::size_t>(max));
    if (line) n = std::strcspn(src, "\r\n") < n ? std::strcspn(src, "\r\n") : n;
    std::memcpy(dst, src, n);
    return static_cast<int>(n);
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

// Sizes of the state's tables.
constexpr int SIZE_CLASSES = 10;  // "hcw" "hch" "hcd" "hcc" give classes 1 to 10
constexpr int LAYER_GROUPS = 16;  // "hs" gives a scale for each
constexpr int HPmax = 3;          // highest indicated-point slot whose coordinates are stored

// Shown by the option echo only.
constexpr int iMode = 1;
constexpr int iMode2 = 20;
constexpr int iMode3 = 20;

struct RunState {
    // Options and debug level (set by the option parser, before any file is opened)
    char ChS001[PATTERN_MAX + 1] = {};  // pattern text: up to PATTERN_MAX bytes and a terminating zero
    double dMOJI_w = 5.0;               // width and height of the text the fill writes
    double dMOJI_d = 1.0;               // spacing between the characters the fill writes
    int iMOJI_p = 1;                    // colour of the text the fill writes
    int isTest = TEST_OFF;              // debug level 0 to 6; 0: no diagnostics, result copied back

    // Files (the driver opens and closes them)
    TextFile* fp = nullptr;   // the exchange file "JWC_TEMP.TXT", open for reading
    TextFile* fpw = nullptr;  // the working copy "JWC_TEMP.104": the output of the run

    // Current attributes: the value of the last record of each kind
    int COLOR = 1;  // "lc", line colour, decimal
    int TYPE = 1;   // "lt", line type, decimal
    int LAYER = 0;  // "ly", layer, hexadecimal
    int GROUP = 0;  // "lg", layer group, hexadecimal; selects G_SCALE's entry
    int TENS = 1;   // "pn", pen, hexadecimal
    int MOJIS = 1;  // "cn", text size class, 0 for the free size
    int MOJIK = 0;  // "cc", decimal

    // Initial attributes: the first value of each attribute in the exchange
    // file. While a variable holds NOT_SEEN, the next record of its kind
    // captures the current value, and after that it no longer changes; a
    // first record that carries 20 itself leaves the mark in place.
    int COLORi = NOT_SEEN;      // captures COLOR
    int TYPEi = NOT_SEEN;       // captures TYPE
    int LAYERi = NOT_SEEN;      // captures LAYER
    int GROUPi = NOT_SEEN;      // captures GROUP
    int TENSi = NOT_SEEN;       // captures TENS
    int MOJISi = NOT_SEEN;      // captures MOJIS; 0 once a free size is captured
    int MOJIKi = NOT_SEEN;      // captures MOJIK
    double MOJIWi = -NOT_SEEN;  // free-size width (written back only when > 0, so not before a capture)
    double MOJIHi = NOT_SEEN;   // free-size height
    double MOJIDi = NOT_SEEN;   // free-size spacing
    int MOJICi = NOT_SEEN;      // free-size colour

    // Text sizes: index 0 the free size ("cn0"), 1 to SIZE_CLASSES the size classes ("hc")
    double MOJI_W[SIZE_CLASSES + 1] = {};  // width per size
    double MOJI_H[SIZE_CLASSES + 1] = {};  // height per size
    double MOJI_D[SIZE_CLASSES + 1] = {};  // character spacing per size
    int MOJI_C[SIZE_CLASSES + 1] = {};     // colour per size

    // Layer-group scales, all 1.0 until an "hs" record
    double G_SCALE[LAYER_GROUPS] = {1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
    double SCALE = 1.0;  // G_SCALE[GROUP] at each fill; shown at debug level 2

    // Indicated points: the fill runs from slot 1 to slot 2
    double PX[HPmax + 1] = {};  // x of indicated points 0 to HPmax
    double PY[HPmax + 1] = {};  // y of indicated points 0 to HPmax
    int iPOINT = 0;             // slot number of the last point record read
    int iPOINTcnt = 0;          // number of point records read

    // Text buffers
    char ChSTR0[TEXT_BUF_SIZE] = {};  // text of the last text record (after its double quote)
    char ChSTR[FILL_BUF_SIZE] = {};   // the fill string: a terminated text of at most FILL_MAX + 2 bytes
    char MOJI_head[3] = "ch";         // the two leading characters of the last text record

    // Flags and markers
    int isZUSUN = 0;  // paper-unit flag: 1 once a "bz" record has been read
    int stepcnt = 0;  // stage: 1 after "hq", 2 after a "ch"/"ln" point record,
                      // 3 after a line of non-zero length; the last one wins

    // Values the reader stores and no other module reads
    double ILINEx1 = 0, ILINEy1 = 0, ILINEx2 = 0, ILINEy2 = 0;  // end points of the last line
    double PNX1 = 0, PNY1 = 0, PNX2 = 0, PNY2 = 0;              // the four numbers of the last "hn"
    double HPOINTx = 0, HPOINTy = 0;                            // coordinates of the last "ch"/"ln" point record
    int ZOKU = 0;                                               // number of the last "z" record
    int iPL = 0;                                                // polyline state: 1 after "pl", 0 after a reset
    int iPLcounter = 0, iKtensu = 0;                            // polyline counters, 0 after a reset
    double KYleng = 0;                                          // polyline length, 0 after a reset
    int iLine_cnt = 0;                                          // line records of non-zero length
    int iCHR_cnt = 0;                                           // text records
    int iPLcnt = 0;                                             // "pl" records
    int iPattern = 0;                                           // completed passes of the reader
};

extern RunState S;  // the run state
