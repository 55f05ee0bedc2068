#include "records.h"

#include <algorithm>
#include <cstdio>

#include "state/contract.h"

namespace drafthost {

const std::string kOverLimitRecord = HE_RECORD_HEAD + std::to_string(LINE_LIMIT);

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Each takes its piece off the front of a line, or answers false.
bool lit(std::string_view& s, std::string_view t) {
    if (s.substr(0, t.size()) != t) return false;
    s.remove_prefix(t.size());
    return true;
}
std::size_t digits(std::string_view& s) {
    std::size_t n = 0;
    while (n < s.size() && is_digit(s[n])) ++n;
    s.remove_prefix(n);
    return n;
}
// "%d": optional minus, no leading zeros.
bool dec(std::string_view& s) {
    lit(s, "-");
    const bool zero = !s.empty() && s[0] == '0';
    const std::size_t n = digits(s);
    return n == 1 || (n > 1 && !zero);
}
// A number as "%.Nf" prints it: "%d" and a point with exactly N decimals.
// "nan" and "inf" are no numbers to the host, which cannot draw them.
bool fixed(std::string_view& s, std::size_t decimals) { return dec(s) && lit(s, ".") && digits(s) == decimals; }
// "%x": lower-case hexadecimal without leading zeros.
bool hex(std::string_view& s) {
    const std::size_t n = std::min(s.find_first_not_of("0123456789abcdef"), s.size());
    const bool ok = n == 1 || (n > 1 && s[0] != '0');
    s.remove_prefix(n);
    return ok;
}

// "cn0 W H D C" of the fill (sep " "), "cn0 W, H, D, C" of the restoring block (", ").
bool size_record(std::string_view s, std::string_view sep) {
    return lit(s, "cn0 ") && fixed(s, 2) && lit(s, sep) && fixed(s, 2) && lit(s, sep) && fixed(s, 2) && lit(s, sep) &&
           dec(s) && s.empty();
}
bool fill_size(std::string_view line) { return size_record(line, " "); }

bool restore_class(std::string_view s) { return lit(s, "cn") && dec(s) && s.empty(); }

bool fill_text(std::string_view s) {
    return lit(s, "ch ") && fixed(s, 10) && lit(s, " ") && fixed(s, 10) && lit(s, " ") && fixed(s, 10) && lit(s, " ") &&
           fixed(s, 10) && lit(s, " \"");
}

bool circle(std::string_view s) {
    return lit(s, "ci ") && fixed(s, 12) && lit(s, " ") && fixed(s, 12) && lit(s, " ") && fixed(s, 12) && lit(s, " ") &&
           s.empty();
}

bool attribute(std::string_view s) {
    if (lit(s, "lg") || lit(s, "ly")) return hex(s) && s.empty();
    return (lit(s, "lt") || lit(s, "lc") || lit(s, "pn")) && dec(s) && s.empty();
}

bool starts(std::string_view line, std::string_view prefix) { return line.substr(0, prefix.size()) == prefix; }

bool echoed(Kind k) { return k == Kind::Comment || k == Kind::Bz || k == Kind::EchoedCn; }

// An echoed line that a fill text-size record ran into: the record is its end.
bool ends_in_fill_size(std::string_view line) {
    for (std::size_t p = line.rfind("cn0 "); p != std::string_view::npos && p > 0; p = line.rfind("cn0 ", p - 1))
        if (fill_size(line.substr(p))) return true;
    return false;
}

}  // namespace

Kind classify(std::string_view line) {
    if (starts(line, "#")) return Kind::Comment;
    if (starts(line, "bz")) return Kind::Bz;
    if (starts(line, "cn")) {
        if (fill_size(line)) return Kind::FillSize;
        if (size_record(line, ", ")) return Kind::RestoreSize;
        if (restore_class(line)) return Kind::RestoreClass;
        return Kind::EchoedCn;
    }
    if (fill_text(line)) return Kind::FillText;
    if (line == kOverLimitRecord) return Kind::OverLimit;
    if (circle(line)) return Kind::Circle;
    if (attribute(line)) return Kind::Attribute;
    return Kind::Unknown;
}

std::string quoted(std::string_view s) {
    const std::size_t most = 120;
    std::string out = "\"";
    for (std::size_t i = 0; i < s.size() && i < most; ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
    }
    out += '"';
    if (s.size() > most) out += "...";
    return out;
}

std::vector<RawLine> split_lines(std::string_view bytes) {
    std::vector<RawLine> out;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t lf = std::min(bytes.find('\n', pos), bytes.size());
        RawLine l{bytes.substr(pos, lf - pos), lf == bytes.size() ? LineEnd::None : LineEnd::LfOnly, false};
        if (!l.text.empty() && l.text.back() == '\r') {
            l.text.remove_suffix(1);
            if (l.end == LineEnd::LfOnly) l.end = LineEnd::CrLf;
            else l.cr_only = true;
        }
        out.push_back(l);
        pos = lf + 1;
    }
    return out;
}

RecordCheck check_records(std::string_view bytes) {
    RecordCheck check;
    for (const auto& [text, end, cr_only] : split_lines(bytes)) {
        Line line;
        line.number = check.lines.size() + 1;
        line.end = end;
        line.text = std::string(text);
        line.kind = classify(text);
        check.count[static_cast<std::size_t>(line.kind)]++;

        const std::string at = "line " + std::to_string(line.number) + ": ";
        if (line.end == LineEnd::LfOnly) check.problems.push_back(at + "ends in a bare line feed, not CR LF");
        if (cr_only) check.problems.push_back(at + "ends in a carriage return without a line feed");
        if (line.kind == Kind::Unknown)
            check.problems.push_back(at + "not a record the program writes: " + quoted(text));
        if (line.kind == Kind::FillText && (check.lines.empty() || check.lines.back().kind != Kind::FillSize)) {
            const Line* before = check.lines.empty() ? nullptr : &check.lines.back();
            if (before && echoed(before->kind) && ends_in_fill_size(before->text))
                check.problems.push_back(at + "its text-size record ran into line " + std::to_string(before->number) +
                                         ", an echoed line that was given no line end");
            else check.problems.push_back(at + "text record not directly after a text-size record");
        }
        check.lines.push_back(std::move(line));
    }
    return check;
}

std::string summary(const RecordCheck& c) {
    auto n = [&](Kind k) { return c.count[static_cast<std::size_t>(k)]; };
    std::string s = std::to_string(c.lines.size()) + " records: ";
    s += std::to_string(n(Kind::Comment) + n(Kind::Bz) + n(Kind::EchoedCn)) + " echoed or comment (";
    s += std::to_string(n(Kind::Comment)) + " #, " + std::to_string(n(Kind::Bz)) + " bz, " +
         std::to_string(n(Kind::EchoedCn)) + " cn), ";
    s += std::to_string(n(Kind::FillSize)) + " text-size, ";
    s += std::to_string(n(Kind::FillText)) + " text, ";
    s += std::to_string(n(Kind::RestoreSize) + n(Kind::RestoreClass) + n(Kind::Attribute)) + " attribute-restoring, ";
    s += std::to_string(n(Kind::Circle)) + " circle, ";
    s += std::to_string(n(Kind::OverLimit)) + " over-limit, ";
    s += std::to_string(n(Kind::Unknown)) + " unknown; fills written: " + std::to_string(c.fills());
    return s;
}

}  // namespace drafthost
