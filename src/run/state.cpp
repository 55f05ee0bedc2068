// The run state's definitions and start values (see state.h). The scalars
// are defined from their list in state_start.h; arrays start all zero unless
// said otherwise.
#include "run/state.h"

#include "run/state_start.h"

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
