// The record writers: every record this program writes for the host to read,
// except the echoed ones, which pass through as they came. Each record is one
// formatted print into the output fpw; a writer returns what its last print
// reports (bytes formatted, or -1 once the file has seen a write error), and
// no caller looks at it. The text of each record is the contract with the host; the
// formats stand in records.cpp, one next to each writer.
#pragma once

// Written by this program:
// the fill's pair, a free text size and then the text placed along the line
// (the fill's checks stand before the call; the two records are always written
// together);
int MojiPairOut(double w, double h, double d, int colour, double x, double y, double dx, double dy, const char* text);
// the "he" record: the exchange file holds more than limit lines, so the run
// refuses it;
int HEout(unsigned limit);
// the circle the fill marks at its trace level (Kci, below), and the
// attribute-restoring block (IniZokusei, below).

// The rest of the module: the host's other record kinds, written by no step
// of this run.

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
