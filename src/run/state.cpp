// The run state's definitions and start values (see state.h). Every variable
// without a value here starts at 0, 0.0, all zero bytes or no file.
#include "run/state.h"

// Options and debug level
char ChS001[257];
double dMOJI_w = 5.0;
double dMOJI_d = 1.0;
int iMOJI_p = 1;
int isTest;
const int iMode = 1;
const int iMode2 = 20;
const int iMode3 = 20;

// Files
TextFile* fp;
TextFile* fpw;

// Current attributes
int COLOR = 1;
int TYPE = 1;
int LAYER;
int GROUP;
int TENS = 1;
int MOJIS = 1;
int MOJIK;

// Initial attributes
int COLORi = 20;
int TYPEi = 20;
int LAYERi = 0x14;
int GROUPi = 0x14;
int TENSi = 0x14;
int MOJISi = 20;
int MOJIKi = 20;
double MOJIWi = -20.0;
double MOJIHi = 20.0;
double MOJIDi = 20.0;
int MOJICi = 20;

// Text sizes
double MOJI_W[11];
double MOJI_H[11];
double MOJI_D[11];
int MOJI_C[11];

// Layer-group scales
double G_SCALE[16] = {1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
double SCALE = 1.0;

// Indicated points
double PX[4];
double PY[4];
const int HPmax = 3;
int iPOINT;
int iPOINTcnt;

// Text buffers
char ChSTR0[288];
char ChSTR[260];
char MOJI_head[3] = "ch";

// Flags and markers
int isZUSUN;
int stepcnt;

// Values the reader stores and no other module reads
double ChX, ChY;
double ChDX, ChDY;
double CX, CY, CR;
double SK, EK;
double HP, JK;
double ILINEx1, ILINEy1, ILINEx2, ILINEy2;
double PNX1, PNY1, PNX2, PNY2;
double HPOINTx, HPOINTy;
double KX[10], KY[10];
int ZOKU;
int iPL;
int iPLcounter, iKtensu;
double KYleng;
int iLine_cnt;
int iCi_cnt;
int iCHR_cnt;
int iPLcnt;
int iPattern;
