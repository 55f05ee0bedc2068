// Field conversion for records and options, the way formatted scanning reads
// them: white space before each number is skipped, and a conversion that
// fails leaves its target and the text position alone. Out-of-range numbers
// are defined here, never left to chance:
//  - decimal integers: optional sign and digits, saturating at the 32-bit range;
//  - hexadecimal integers: optional sign, optional 0x or 0X, hex digits; the
//    magnitude saturates at 0xFFFFFFFF, a minus sign negates modulo 2^32, and
//    the 32-bit pattern is stored ("ffffffff" is -1);
//  - doubles: decimal only, an optional sign, digits with at most one point
//    and an optional exponent, converted as strtod converts that text; inf,
//    nan and hexadecimal do not convert ("0x10" reads as 0, up to the x), nor
//    does a value beyond the double range, so that no record and no option
//    ever carries anything but a finite number. Underflow gives 0 or a
//    subnormal.
#pragma once

// White space as formatted scanning skips it: blanks and \t to \r.
const char* skip_space(const char* s);

// Each converts one field at *p, stores it and moves *p behind it, returning
// 1; or returns 0 and changes nothing.
int scan_lf(const char** p, double* out);  // "%lf"
int scan_d(const char** p, int* out);      // "%d"
int scan_x(const char** p, int* out);      // "%x"
// Takes a field as scan_lf would and converts nothing: for a value that no
// output shows, where only whether it converts matters.
int skip_lf(const char** p);

// Whole-text conversions of the options: text without a number gives 0.
double text_to_double(const char* s);  // as atof, decimal numbers only
int text_to_int(const char* s);        // as atoi, saturating
