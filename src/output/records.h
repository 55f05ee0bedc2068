// The record writers: one function per record kind, each writing exactly one
// record into the output fpw with one formatted print, and returning what the
// print reports (bytes formatted, or -1 once the file has seen a write error).
// The text of each record is the contract with the host; the formats stand in
// records.cpp, one next to each writer.
#pragma once

int Sen(double x1, double y1, double x2, double y2);
int Ten(double x, double y);
int Lcout(int color);
int Ltout(int type);
int SRGBout(int red, int green, int blue);
int S16RGBout(int rgb);
int SL2out(double a, double b, double c, double d);
int SL3out(double a, double b, double c, double d, double e, double f);
int SL4out(double a, double b, double c, double d, double e, double f, double g, double h);
int SCout(double a, double b, double c, double d, double e, double f, double g, double h);
int SEout(double a, double b, double c, double d, double e, double f, double g, double h);
int SOout(double a, double b, double c, double d, double e, double f, double g, double h);
int Cnout(int size);
int MojiOutSS(const char* code, double x, double y, double dx, double dy, const char* text);
int MojiOutS(double x, double y, const char* text);
int MojiOutSD(double x, double y, double number, const char* text);
int MojiOutD1(double x, double y, int n);
int MojiOutD2(double x, double y, int a, int b);
int Kci(double cx, double cy, double r);
int Kdci(double cx, double cy, double r, double start, double end, double sixth, double seventh);

// The attribute-restoring block: the initial attributes written back as the
// last records of the run.
void IniZokusei();

// Length of the segment (x1, y1)-(x2, y2); writes nothing.
double LengSen(double x1, double y1, double x2, double y2);
// Writes nothing and does nothing.
void LINE_PRO(unsigned n);
