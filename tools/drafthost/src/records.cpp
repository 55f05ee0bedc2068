#include "records.h"

#include <algorithm>
#include <cstdio>

#include "run/contract.h"

namespace drafthost {

const std::string kOverLimitRecord = HE_RECORD_HEAD + std::to_string(LINE_LIMIT);

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Walks a line from left to right, one expected piece at a time.
class Scan {
   public:
    explicit Scan(std::string_view s) : s_(s) {}

    bool lit(std::string_view t) {
        if (s_.substr(p_, t.size()) != t) return false;
        p_ += t.size();
        return true;
    }
    // A number as "%.Nf" prints it: optional minus, the integer part without
    // leading zeros, a point and exactly N decimals. "nan" and "inf" are no
    // numbers to the host, which cannot draw them.
    bool fixed(int decimals) {
        lit("-");
        if (!integer_part()) return false;
        if (!lit(".")) return false;
        for (int i = 0; i < decimals; ++i)
            if (!digit()) return false;
        return !at_digit();
    }
    // "%d": optional minus, no leading zeros.
    bool dec() {
        lit("-");
        return integer_part();
    }
    // "%x": lower-case hexadecimal without leading zeros.
    bool hex() {
        std::size_t start = p_;
        while (p_ < s_.size() && (is_digit(s_[p_]) || (s_[p_] >= 'a' && s_[p_] <= 'f'))) ++p_;
        if (p_ == start) return false;
        return !(s_[start] == '0' && p_ - start > 1);
    }
    bool done() const { return p_ == s_.size(); }

   private:
    bool at_digit() const { return p_ < s_.size() && is_digit(s_[p_]); }
    bool digit() {
        if (!at_digit()) return false;
        ++p_;
        return true;
    }
    bool integer_part() {
        if (lit("0")) return !at_digit();
        if (!digit()) return false;
        while (digit()) {}
        return true;
    }

    std::string_view s_;
    std::size_t p_ = 0;
};

// "cn0 W H D C" of the fill (sep " "), "cn0 W, H, D, C" of the restoring block (", ").
bool size_record(std::string_view line, std::string_view sep) {
    Scan s(line);
    return s.lit("cn0 ") && s.fixed(2) && s.lit(sep) && s.fixed(2) && s.lit(sep) && s.fixed(2) && s.lit(sep) &&
           s.dec() && s.done();
}
bool fill_size(std::string_view line) { return size_record(line, " "); }

bool restore_class(std::string_view line) {
    Scan s(line);
    return s.lit("cn") && s.dec() && s.done();
}

bool fill_text(std::string_view line) {
    Scan s(line);
    return s.lit("ch ") && s.fixed(10) && s.lit(" ") && s.fixed(10) && s.lit(" ") && s.fixed(10) && s.lit(" ") &&
           s.fixed(10) && s.lit(" \"");
}

bool circle(std::string_view line) {
    Scan s(line);
    return s.lit("ci ") && s.fixed(12) && s.lit(" ") && s.fixed(12) && s.lit(" ") && s.fixed(12) && s.lit(" ") &&
           s.done();
}

bool attribute(std::string_view line) {
    Scan s(line);
    if (s.lit("lg") || s.lit("ly")) return s.hex() && s.done();
    if (s.lit("lt") || s.lit("lc") || s.lit("pn")) return s.dec() && s.done();
    return false;
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
