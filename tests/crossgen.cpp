// crossgen DIR SEED COUNT: seeded random cases for the cross-build comparison
// (tests/cross_diff.sh; docs/testing.md lists what they aim at), an exchange
// file and an option list each. "crossgen DIR S 1" makes again the case of
// seed S, the same bytes on every machine (our own random numbers, numbers
// printed from integers or fixed texts). Arguments never hold '*' or '?' (the
// Windows runtime expands them), line ends, or bytes that are no valid
// Shift-JIS (Wine cannot pass those).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "rng.h"

namespace {

// Shift-JIS words: "壁" (wall), "寸法" (dimension), "通り芯" (grid line),
// "テキスト" (text), "表" and "ソ" (0x5C as their second byte), "ｱｲｳ"
// (half-width kana, single bytes), "①" (a row-13 symbol).
// clang-format off
const char* const sjis_words[] = {
    "\x95\xc7", "\x90\xa1\x96\x40", "\x92\xca\x82\xe8\x90\x63", "\x83\x65\x83\x4c\x83\x58\x83\x67",
    "\x95\x5c", "\x83\x5c", "\xb1\xb2\xb3", "\x87\x40",
};
// clang-format on
const char* const ascii_words[] = {"A", "AB", "=+", "-", "W1200", "GL+150", "a b", "x\\y", "\"q\"", "#", "@", "."};

// A pattern or record text: ASCII (no '*' or '?'), Shift-JIS words, or both.
std::string text(Rng& r, unsigned max_len) {
    std::string t;
    unsigned len = r.chance(10) ? max_len : r.below(max_len < 24 ? max_len + 1 : 24);
    unsigned kind = r.below(4);
    while (t.size() < len) {
        if (kind == 0 || (kind == 2 && r.chance(50))) {
            char c = static_cast<char>(r.range(' ', '~'));
            if (c == '*' || c == '?') c = '_';
            t += c;
        } else if (kind == 1 || kind == 2) {
            t += r.pick(sjis_words);
        } else {
            t += r.pick(ascii_words);
        }
    }
    return t;
}

// A width or spacing as typed: the bound 0.5 and around it, the extremes of
// a double, overflowing and special spellings, and plain values.
std::string size_text(Rng& r) {
    // clang-format off
    static const char* const fixed[] = {
        "0.5", "0.49999999999999994", "0.5000000000000001", "0.4", "1e-300", "1e300", "-1e300", "1e308",
        "1.7976931348623157e308", "1e309", "2e308", "inf", "INF", "infinity", "-inf", "nan", "-nan", "-0", "0",
        "1e12", "1e15", "1e-5", "0x10", "0x1p-1", "+7", " 3", "3x", "abc", "", ".5", "5.", "1e", "4.9e-324",
    };
    // clang-format on
    if (r.chance(45)) return r.pick(fixed);
    std::string t = std::to_string(r.range(0, 99999));
    if (r.chance(60)) t += "." + std::to_string(r.range(0, 999999999));
    if (r.chance(30)) t += "e" + std::to_string(r.range(-320, 320));
    return t;
}

// The option list: mostly a pattern text, then any of the others, in any
// order, with any lead byte and either case.
void args_file(Rng& r, std::string& out) {
    unsigned n = r.below(6);
    bool z = r.chance(92);
    for (unsigned k = 0; k < n + (z ? 1 : 0); k++) {
        static const char leads[] = {'/', '-', '$'};
        std::string a(1, r.pick(leads));
        unsigned what = (z && k == 0) ? 0 : r.below(12);
        static const char letters[] = "ZZMMLLKTTT";  // the option of each `what` below 10
        static const char* const colours[] = {"0", "1", "5", "9", "10", "-1", "3.7", "x", "", "007"};
        static const char* const others[] = {"e", "s", "sfoo", "x", "A", ""};
        static const char* const levels[] = {"0", "1", "2", "2", "2", "3", "3",  "3",
                                             "4", "5", "5", "6", "7", "",  "3x", "t"};
        if (what < 10) a += r.chance(80) ? letters[what] : static_cast<char>(letters[what] + ('a' - 'A'));
        if (what < 2) a += r.chance(5) ? std::string() : text(r, r.chance(8) ? 300 : 40);
        else if (what < 6) a += size_text(r);
        else if (what == 6) a += r.pick(colours);
        else if (what < 10) a += r.pick(levels);
        else if (what == 10) a += r.pick(others);
        else a = r.chance(50) ? "plain" : "word=1";
        out += a;
        out += '\n';
    }
}

// A coordinate: plain, huge, tiny, negative zero or an odd spelling.
std::string coord(Rng& r) {
    // clang-format off
    static const char* const odd[] = {"-0", "-0.0", "0", "1e300", "-1e300", "1e-300", "-1e-300", "1e308",
                                      "4.9e-324", "-4.9e-324", "1e15", "123456789012345678", "inf", "nan", ""};
    // clang-format on
    if (r.chance(12)) return r.pick(odd);
    std::string t = r.chance(30) ? "-" : "";
    t += std::to_string(r.chance(40) ? r.range(0, 60) : r.range(0, 100000));
    if (r.chance(50)) t += "." + std::to_string(r.range(0, 999999));
    if (r.chance(8)) t += "e" + std::to_string(r.range(-310, 310));
    return t;
}

// Points 1 and 2 of a line that is axis-parallel, nearly so, tiny, huge,
// between coincident points, or anywhere.
void line_points(Rng& r, std::string p[4]) {
    static const char* const near[] = {".000000000001", ".0000000000000001", "e-12", "00000001", "1"};
    p[0] = coord(r);
    p[1] = coord(r);
    const unsigned k = r.below(8);
    if (k == 0) {  // vertical
        p[2] = r.chance(30) ? (p[0] == "0" ? "-0" : p[0]) : p[0];
        p[3] = coord(r);
    } else if (k == 1) {  // horizontal
        p[2] = coord(r);
        p[3] = p[1];
    } else if (k == 2) {  // nearly vertical: x2 a few ulps or a trifle off x1
        p[0] = std::to_string(r.range(-1000, 1000));
        p[2] = p[0] + r.pick(near);
        p[3] = coord(r);
    } else if (k == 3) {  // nearly horizontal
        p[1] = std::to_string(r.range(-1000, 1000));
        p[2] = coord(r);
        p[3] = p[1] + r.pick(near);
    } else if (k == 4) {  // negative zeros and zero
        p[0] = r.chance(50) ? "-0" : "0";
        p[1] = r.chance(50) ? "-0" : "0";
        p[2] = r.chance(50) ? "-0" : std::to_string(r.range(-20, 20));
        p[3] = r.chance(50) ? "-0" : std::to_string(r.range(-20, 20));
    } else if (k == 5) {  // coincident
        p[2] = p[0];
        p[3] = p[1];
    } else {
        p[2] = coord(r);
        p[3] = coord(r);
    }
}

// A point record; mostly of a form that stores the point.
void point_record(Rng& r, std::string& f, int slot, const std::string& x, const std::string& y) {
    static const char* const forms[] = {" ", "+", "/", "-"};
    static const char* const odd[] = {"ch ", "ln ", "c", "x"};
    f += "hp";
    f += slot < 0 ? std::string() : std::to_string(slot);
    f += r.chance(90) ? r.pick(forms) : r.pick(odd);
    f += x + " " + y;
}

// More than two point records stop the fill: only some cases have them.
void record(Rng& r, std::string& f, bool more_points) {
    const unsigned k = r.below(more_points ? 20 : 9);
    if (k < 3) {  // text record
        f += r.chance(90) ? "ch " : "c";
        f += coord(r) + " " + coord(r) + " " + coord(r) + " " + coord(r);
        if (r.chance(90)) f += " \"" + text(r, r.chance(10) ? 300 : 60);
    } else if (k == 3) {  // comment, sometimes longer than a read
        f += "#" + text(r, r.chance(15) ? 600 : 30);
    } else if (k == 4) {
        static const char* const heads[] = {"cn0 ", "cn", "cn\"", "cc"};
        const unsigned h = r.below(4);
        f += heads[h];
        if (h == 0) f += size_text(r) + " " + size_text(r) + " " + size_text(r) + " " + std::to_string(r.range(-2, 12));
        else if (h == 2) f += text(r, 40);
        else f += std::to_string(r.range(-1, 21));
    } else if (k == 5) {
        static const char* const attrs[] = {"lg", "ly", "lt", "lc", "pn"};
        static const char* const values[] = {"0", "1", "9", "a", "f", "10", "14", "20", "-1", "ff", "0x3", "x"};
        f += r.pick(attrs);
        f += r.pick(values);
    } else if (k == 6) {  // other records; the text-size tables given one number more than they hold
        // clang-format off
        static const char* const fixed[] = {"hq", "bz", "pl", "z3", "hn 1 2 3 4", "pt 5 -0", "ci 0 0 10",
                                            "ci 1e300 -0 1e-300 0 90 1 0", "hcc 1 2 3 4 5 6 7 8 9 10 11",
                                            "hch 1 2 3 4 5 6 7 8 9 10 11", "hcw 2 2.5 3 3.5 4 5 6 7 8 10 12", "lq",
                                            "b", ""};
        // clang-format on
        f += r.pick(fixed);
    } else if (k == 7) {  // scales: the current group's one is printed at level 2
        f += "hs";
        for (int i = 0; i < 16; i++) f += " " + (r.chance(80) ? std::to_string(r.range(1, 500)) : coord(r));
    } else if (k == 8) {  // a drawn line
        f += " " + coord(r) + " " + coord(r) + " " + coord(r) + " " + coord(r);
    } else if (k < 12) {  // stray points: any slot, any form
        const int slot = r.chance(10) ? (r.chance(50) ? -1 : r.range(3, 12)) : static_cast<int>(r.range(0, 2));
        point_record(r, f, slot, coord(r), coord(r));
    } else {  // the line itself, again
        std::string p[4];
        line_points(r, p);
        point_record(r, f, 1, p[0], p[1]);
        f += "\r\n";
        point_record(r, f, 2, p[2], p[3]);
    }
}

void exchange_file(Rng& r, std::string& f) {
    unsigned n = r.chance(5) ? r.range(200, 2000) : r.below(40);
    if (r.chance(60)) {  // a host's usual head
        f += "hq\r\n";
        if (r.chance(30)) f += "bz\r\n";
        f += "cn0 3.5 3.5 0.5 2\r\nlg2\r\nly5\r\nlt1\r\nlc3\r\npn4\r\n";
    }
    std::string p[4];
    line_points(r, p);
    if (r.chance(90)) {
        point_record(r, f, 1, p[0], p[1]);
        f += "\r\n";
        point_record(r, f, 2, p[2], p[3]);
        f += "\r\n";
    }
    bool more_points = r.chance(15);
    for (unsigned k = 0; k < n; k++) {
        record(r, f, more_points);
        unsigned e = r.below(100);
        f += e < 90 ? "\r\n" : e < 95 ? "\n" : e < 98 ? "\r" : "\r\r\n";
    }
    if (!f.empty() && r.chance(10)) {  // no final line end
        while (!f.empty() && (f.back() == '\n' || f.back() == '\r')) f.pop_back();
    }
}

// Case k (0-based) from seed SEED + k alone: DIR/<SEED+k>/args, and the
// exchange file in DIR/<SEED+k>/in/ under either name, or none.
void make_case(const std::filesystem::path& dir, std::uint64_t seed) {
    Rng r{seed};
    const std::filesystem::path c = dir / std::to_string(seed);
    std::filesystem::create_directories(c / "in");
    std::string args, file;
    args_file(r, args);
    exchange_file(r, file);
    auto put = [](const std::filesystem::path& p, const std::string& bytes) {
        std::ofstream out(p, std::ios::binary);
        out << bytes;
        out.close();
        if (!out) throw std::runtime_error("cannot write " + p.string());
    };
    put(c / "args", args);
    const unsigned name = r.below(100);
    if (name >= 3) put(c / "in" / (name < 10 ? "jwc_temp.txt" : "JWC_TEMP.TXT"), file);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: crossgen DIR SEED COUNT\n");
        return 2;
    }
    const std::uint64_t seed = std::strtoull(argv[2], nullptr, 10);
    try {
        for (unsigned long k = 0, count = std::strtoul(argv[3], nullptr, 10); k < count; k++)
            make_case(argv[1], seed + k);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "crossgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
