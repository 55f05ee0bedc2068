// Puts the run state back to its start values, for the fuzzer, which runs the
// pass once per input in one process (the program runs it once).
#pragma once

#include <cstring>

#include "run/state.h"
#include "run/state_start.h"

inline void reset_run_state() {
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
