#!/usr/bin/env python3
"""Writes src/fill/trig_tables.h: the constants of src/fill/trig.cpp.

    python3 tools/trig_tables.py > src/fill/trig_tables.h

Everything is computed here with exact integer arithmetic (pi by Machin's
formula to 4096 bits), so the table depends on no library's trigonometry.
A pair hi, lo is a double-double: hi is the value rounded to a double, lo the
remainder rounded to a double.
"""
from fractions import Fraction
import math

BITS = 4096
ONE = 1 << BITS


def atan_inv(q):
    """atan(1/q) * ONE for an integer q > 1, by its Taylor series."""
    total, term, k, sign = 0, ONE // q, 1, 1
    q2 = q * q
    while term:
        total += sign * (term // k)
        term //= q2
        k += 2
        sign = -sign
    return total


PI = Fraction(16 * atan_inv(5) - 4 * atan_inv(239), ONE)


def atan_frac(x):
    """atan(x) for a Fraction 0 <= x <= 1, by Euler's series
    atan(x) = sum 2^2n (n!)^2 / (2n+1)! * x^(2n+1) / (1+x^2)^(n+1),
    whose terms fall at least by half each."""
    y = x * x / (1 + x * x)
    term = x / (1 + x * x)
    total = Fraction(0)
    n = 0
    while True:
        total += term
        n += 1
        term = term * y * Fraction(2 * n, 2 * n + 1)
        if term < Fraction(1, 1 << 300):
            return total + term


def dd(v):
    hi = float(v)
    lo = float(v - Fraction(hi))
    assert Fraction(hi) + Fraction(lo) - v < Fraction(1, 1 << 100) * abs(v) + Fraction(1, 1 << 1200)
    return hi, lo


def lit(x):
    return x.hex() if x != 0 else "0.0"


def pair(name, v):
    hi, lo = dd(v)
    return "static const double %s_hi = %s, %s_lo = %s;" % (name, lit(hi), name, lit(lo))


out = []
out.append("// Written by tools/trig_tables.py; do not edit.")
out.append("#pragma once")
out.append("")

out.append(pair("trig_pi", PI))
out.append(pair("trig_pi_2", PI / 2))
# The rest of pi/2 beyond the pair, for the reduction of arguments near pi/2
# and pi, whose remainder can be as small as 2^-54.
hi, lo = dd(PI / 2)
out.append("static const double trig_pi_2_lo2 = %s;" % lit(float(PI / 2 - Fraction(hi) - Fraction(lo))))
out.append("")

# sin r = r * sum_k (-1)^k z^k / (2k+1)!,  cos r = sum_k (-1)^k z^k / (2k)!,
# z = r^2, |r| <= pi/4: eleven terms leave a truncation below 2^-75.
TERMS = 11
out.append("// (-1)^k / (2k+1)! and (-1)^k / (2k)!, k = 0 .. %d." % (TERMS - 1))
for name, off in (("trig_sin_c", 1), ("trig_cos_c", 0)):
    out.append("static const double %s[%d][2] = {" % (name, TERMS))
    for k in range(TERMS):
        v = Fraction((-1) ** k, math.factorial(2 * k + off))
        hi, lo = dd(v)
        out.append("    {%s, %s}," % (lit(hi), lit(lo)))
    out.append("};")
out.append("")

# atan t = t * sum_k (-1)^k t^2k / (2k+1), |t| <= 1/16: ten terms leave a
# truncation below 2^-80.
ATERMS = 10
out.append("// (-1)^k / (2k+1), k = 0 .. %d." % (ATERMS - 1))
out.append("static const double trig_atan_c[%d][2] = {" % ATERMS)
for k in range(ATERMS):
    hi, lo = dd(Fraction((-1) ** k, 2 * k + 1))
    out.append("    {%s, %s}," % (lit(hi), lit(lo)))
out.append("};")
out.append("")

out.append("// atan(i/8), i = 0 .. 8.")
out.append("static const double trig_atan_i8[9][2] = {")
for i in range(9):
    v = PI / 4 if i == 8 else atan_frac(Fraction(i, 8))
    hi, lo = dd(v)
    out.append("    {%s, %s}," % (lit(hi), lit(lo)))
out.append("};")
print("\n".join(out))
