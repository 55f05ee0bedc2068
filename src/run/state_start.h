// Every scalar of the run state with its type and start value, listed once:
// state.cpp defines them from this list, and a test that runs the pass more
// than once in one process puts them back from it.
#pragma once

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
