// The reference reading of a number that the field conversion is held to:
// after white space, an optional sign, digits with at most one point (at
// least one digit in all) and an exponent taken only when it has a digit.
// Shared by the unit tests and the numbers fuzzer.
#pragma once

// The end of that number at the start of s, or s when there is none.
inline const char* decimal_end(const char* s) {
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    const char* q = s;
    while (*q == ' ' || (*q >= '\t' && *q <= '\r')) q++;
    if (*q == '+' || *q == '-') q++;
    const char* m = q;
    while (digit(*q)) q++;
    bool any = q > m;
    if (*q == '.') {
        const char* f = ++q;
        while (digit(*q)) q++;
        any = any || q > f;
    }
    if (!any) return s;
    if (*q == 'e' || *q == 'E') {
        const char* e = q + 1;
        if (*e == '+' || *e == '-') e++;
        if (digit(*e)) {
            while (digit(*e)) e++;
            q = e;
        }
    }
    return q;
}
