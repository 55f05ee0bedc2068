// The run state's definitions and start values (see state.h).
//
// Every scalar is listed once, with its type and start value; its definition
// and reset_run_state() are both made from that list, so the two cannot
// drift apart. Arrays start all zero unless said otherwise.
#include "run/state.h"

#include <cstring>

// A table, laid out by hand.
// clang-format off
#define RUN_STATE_SCALARS(X)                                                            \
    /* Options and debug level */                                                       \
    X(double, dMOJI_w, 5.0) X(double, dMOJI_d, 1.0) X(int, iMOJI_p, 1) X(int, isTest, 0) \
    /* Files */                                                                         \
    X(TextFile*, fp, nullptr) X(TextFile*, fpw, nullptr)                                \
    /* Current attributes */                                                            \
    X(int, COLOR, 1) X(int, TYPE, 1) X(int, LAYER, 0) X(int, GROUP, 0) X(int, TENS, 1)  \
    X(int, MOJIS, 1) X(int, MOJIK, 0)                                                   \
    /* Initial attributes: NOT_SEEN until captured */                                   \
    X(int, COLORi, NOT_SEEN) X(int, TYPEi, NOT_SEEN) X(int, LAYERi, NOT_SEEN)           \
    X(int, GROUPi, NOT_SEEN) X(int, TENSi, NOT_SEEN) X(int, MOJISi, NOT_SEEN)           \
    X(int, MOJIKi, NOT_SEEN) X(double, MOJIWi, -NOT_SEEN) X(double, MOJIHi, NOT_SEEN)   \
    X(double, MOJIDi, NOT_SEEN) X(int, MOJICi, NOT_SEEN)                                \
    /* Layer-group scale */                                                             \
    X(double, SCALE, 1.0)                                                               \
    /* Indicated points */                                                              \
    X(int, iPOINT, 0) X(int, iPOINTcnt, 0)                                              \
    /* Flags and markers */                                                             \
    X(int, isZUSUN, 0) X(int, stepcnt, 0)                                               \
    /* Values the reader stores and no other module reads */                            \
    X(double, ChX, 0.0) X(double, ChY, 0.0) X(double, ChDX, 0.0) X(double, ChDY, 0.0)   \
    X(double, CX, 0.0) X(double, CY, 0.0) X(double, CR, 0.0)                            \
    X(double, SK, 0.0) X(double, EK, 0.0) X(double, HP, 0.0) X(double, JK, 0.0)         \
    X(double, ILINEx1, 0.0) X(double, ILINEy1, 0.0)                                     \
    X(double, ILINEx2, 0.0) X(double, ILINEy2, 0.0)                                     \
    X(double, PNX1, 0.0) X(double, PNY1, 0.0) X(double, PNX2, 0.0) X(double, PNY2, 0.0) \
    X(double, HPOINTx, 0.0) X(double, HPOINTy, 0.0)                                     \
    X(int, ZOKU, 0) X(int, iPL, 0) X(int, iPLcounter, 0) X(int, iKtensu, 0)             \
    X(double, KYleng, 0.0) X(int, iLine_cnt, 0) X(int, iCi_cnt, 0) X(int, iCHR_cnt, 0)  \
    X(int, iPLcnt, 0) X(int, iPattern, 0)
// clang-format on

#define DEFINE(type, name, start) type name = start;
RUN_STATE_SCALARS(DEFINE)
#undef DEFINE

// Constants
const int iMode = 1;
const int iMode2 = 20;
const int iMode3 = 20;
const int HPmax = 3;

// Arrays
char ChS001[PATTERN_MAX + 1];
double MOJI_W[11];
double MOJI_H[11];
double MOJI_D[11];
int MOJI_C[11];
double G_SCALE[16] = {1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
double PX[4];
double PY[4];
char ChSTR0[TEXT_BUF_SIZE];
char ChSTR[FILL_BUF_SIZE];
char MOJI_head[3] = "ch";
double KX[10], KY[10];

void reset_run_state() {
#define ASSIGN(type, name, start) name = start;
    RUN_STATE_SCALARS(ASSIGN)
#undef ASSIGN
    std::memset(ChS001, 0, sizeof ChS001);
    std::memset(MOJI_W, 0, sizeof MOJI_W);
    std::memset(MOJI_H, 0, sizeof MOJI_H);
    std::memset(MOJI_D, 0, sizeof MOJI_D);
    std::memset(MOJI_C, 0, sizeof MOJI_C);
    for (double& s : G_SCALE) s = 1.0;
    std::memset(PX, 0, sizeof PX);
    std::memset(PY, 0, sizeof PY);
    std::memset(ChSTR0, 0, sizeof ChSTR0);
    std::memset(ChSTR, 0, sizeof ChSTR);
    std::memcpy(MOJI_head, "ch", 3);
    std::memset(KX, 0, sizeof KX);
    std::memset(KY, 0, sizeof KY);
}
