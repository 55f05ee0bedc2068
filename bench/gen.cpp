// benchgen: writes a seeded exchange file of a given shape and line count, as
// a host writes it (Shift-JIS bytes, CR LF line ends). The same shape, count
// and seed give the same bytes on every machine: the random numbers are our
// own and every number is printed from integers.
//
//   benchgen SHAPE LINES [SEED] > JWC_TEMP.TXT
//
// Shapes (every line is shorter than 200 bytes, so one line is one record):
//   a  two indicated points 800 to 3000 apart, then text records only: with
//      a text width of 5 and a spacing of 1 every fill ends at the byte bound,
//      so each input line becomes two records of about 330 bytes;
//   b  a drawing: settings, attributes and the two points first, then lines,
//      circles, arcs, points, attribute changes, comments, text sizes and
//      texts in the proportions a drafted plan shows;
//   c  pass-through records only: comments and "cn" records, echoed as read.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "rng.h"

namespace {

std::string out;  // one line at a time

void add(const char* s) { out += s; }
void addc(char c) { out += c; }
void addl(long v) { out += std::to_string(v); }

// A coordinate in thousandths, printed with three decimals (or fewer, as
// hosts drop trailing zeros).
void addmil(long mil) {
    if (mil < 0) {
        addc('-');
        mil = -mil;
    }
    addl(mil / 1000);
    long frac = mil % 1000;
    if (frac == 0) return;
    char b[24];
    std::snprintf(b, sizeof b, ".%03ld", frac);
    std::size_t n = std::strlen(b);
    while (b[n - 1] == '0') b[--n] = '\0';
    add(b);
}

void num(Rng& r, long lo_mil, long hi_mil) {
    addc(' ');
    addmil(r.range(lo_mil, hi_mil));
}

void end_line() {
    out += "\r\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    out.clear();
}

// Words of a drawing's texts, some in Shift-JIS: "壁" (wall), "寸法" (dimension),
// "通り芯" (grid line), "テキスト" (text).
// clang-format off
const char* const words[] = {
    "wall", "door", "W1200", "H2100", "GL+150", "FL", "grid", "A-A", "\x95\xc7", "\x90\xa1\x96\x40",
    "\x92\xca\x82\xe8\x90\x53", "\x83\x65\x83\x4c\x83\x58\x83\x67", "R=300", "t=12", "@450", "No.7",
};
// clang-format on
const unsigned n_words = sizeof words / sizeof words[0];

void text_words(Rng& r, int lo, int hi) {
    int k = static_cast<int>(r.range(lo, hi));
    for (int i = 0; i < k; i++) {
        if (i) addc(' ');
        add(words[r.below(n_words)]);
    }
}

void text_record(Rng& r) {
    add("ch");
    num(r, -50000000, 50000000);
    num(r, -50000000, 50000000);
    static const char* const dirs[] = {" 1 0", " 0 1", " -1 0", " 0.707107 0.707107", " 0.866025 -0.5"};
    add(dirs[r.below(5)]);
    add(" \"");
    text_words(r, 1, 6);
    end_line();
}

void comment(Rng& r) {
    add("#");
    if (r.below(4) == 0) {
        add(" ");
        text_words(r, 1, 12);
    } else {
        static const char* const heads[] = {" block ", "layer ", " sheet ", ""};
        add(heads[r.below(4)]);
        addl(r.range(0, 999));
    }
    end_line();
}

void size_record(Rng& r) {
    switch (r.below(3)) {
    case 0:
        add("cn0");
        num(r, 500, 10000);
        num(r, 500, 10000);
        num(r, 0, 2000);
        addc(' ');
        addl(r.range(1, 9));
        break;
    case 1:
        add("cn");
        addl(r.range(1, 10));
        break;
    default:
        add("cn\"");
        text_words(r, 1, 3);
        break;
    }
    end_line();
}

// Two points of a line of the given length range (thousandths), at an
// angle whose sine and cosine are taken from a small table of integers.
void two_points(Rng& r, long lo_mil, long hi_mil) {
    static const int cs[][2] = {{1000, 0}, {0, 1000}, {-1000, 0}, {0, -1000}, {600, 800}, {-800, 600}, {280, -960}};
    const int* d = cs[r.below(7)];
    long x1 = r.range(-10000000, 10000000), y1 = r.range(-10000000, 10000000);
    long len = r.range(lo_mil, hi_mil);
    add("hp1 ");
    addmil(x1);
    addc(' ');
    addmil(y1);
    end_line();
    add("hp2 ");
    addmil(x1 + len * d[0] / 1000);
    addc(' ');
    addmil(y1 + len * d[1] / 1000);
    end_line();
}

void shape_a(Rng& r, long lines) {
    if (lines < 2) return;
    two_points(r, 800000, 3000000);
    for (long k = 2; k < lines; k++) text_record(r);
}

void header_b(Rng& r, long* left) {
    // clang-format off
    const char* fixed[] = {
        "hq",
        "bz",
        "hs 1 1 2 1 1 1 1 1 1 1 1 1 1 1 0.5 1",
        "hcw 2 2.5 3 3.5 4 5 6 7 8 10",
        "hch 2 2.5 3 3.5 4 5 6 7 8 10",
        "hcd 0 0 0 0 0 0 0 0 0 0",
        "hcc 1 1 1 1 1 1 1 1 1 1",
        "cn0 3.5 3.5 0.5 2",
        "lg2",
        "ly5",
        "lt1",
        "lc3",
        "pn4",
    };
    // clang-format on
    for (const char* s : fixed) {
        if (*left <= 0) return;
        add(s);
        end_line();
        --*left;
    }
    if (*left < 2) return;
    two_points(r, 20000, 600000);
    *left -= 2;
}

void shape_b(Rng& r, long lines) {
    long left = lines;
    header_b(r, &left);
    for (; left > 0; left--) {
        unsigned k = r.below(100);
        if (k < 46) {  // line
            num(r, -100000000, 100000000);
            num(r, -100000000, 100000000);
            num(r, -100000000, 100000000);
            num(r, -100000000, 100000000);
            end_line();
        } else if (k < 54) {  // circle or arc
            add("ci");
            num(r, -100000000, 100000000);
            num(r, -100000000, 100000000);
            num(r, 100, 5000000);
            if (r.below(2)) {
                num(r, 0, 360000);
                num(r, 0, 360000);
                add(" 1 0");
            }
            end_line();
        } else if (k < 58) {  // point
            add("pt");
            num(r, -100000000, 100000000);
            num(r, -100000000, 100000000);
            end_line();
        } else if (k < 70) {  // attribute change
            static const char* const codes[] = {"lg", "ly", "lt", "lc", "pn"};
            unsigned c = r.below(5);
            add(codes[c]);
            if (c < 2) {
                static const char hex[] = "0123456789abcdef";
                addc(hex[r.below(16)]);
            } else {
                addl(r.range(1, 9));
            }
            end_line();
        } else if (k < 74) {
            comment(r);
        } else if (k < 78) {
            size_record(r);
        } else if (k < 80) {
            add("pl");
            end_line();
        } else {
            text_record(r);
        }
    }
}

void shape_c(Rng& r, long lines) {
    for (long k = 0; k < lines; k++) {
        if (r.below(4) == 0) size_record(r);
        else comment(r);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || std::strlen(argv[1]) != 1 || !std::strchr("abc", argv[1][0])) {
        std::fprintf(stderr, "usage: benchgen a|b|c LINES [SEED] > FILE\n");
        return 2;
    }
    long lines = std::strtol(argv[2], nullptr, 10);
    Rng r{argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1};
    switch (argv[1][0]) {
    case 'a':
        shape_a(r, lines);
        break;
    case 'b':
        shape_b(r, lines);
        break;
    default:
        shape_c(r, lines);
        break;
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
