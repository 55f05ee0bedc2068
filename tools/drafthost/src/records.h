// The records a host reads back from a run: splitting the returned file into
// lines, telling each line's kind and finding the lines that are no record the
// program may write.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace drafthost {

enum class Kind {
    Comment,       // "#..." echoed, or a diagnostic line
    Bz,            // "bz..." echoed
    EchoedCn,      // any other line beginning "cn", echoed
    FillSize,      // "cn0 W H D C" written by the fill
    FillText,      // "ch X Y DX DY \"text" written by the fill
    RestoreSize,   // "cn0 W, H, D, C" of the attribute-restoring block
    RestoreClass,  // "cnN" of the attribute-restoring block
    Attribute,     // "lg<hex>", "ly<hex>", "lt<dec>", "lc<dec>", "pn<dec>"
    OverLimit,     // the "he" record of a refused, over-long exchange file
    Circle,        // "ci X Y R " of the fill's level-2 trace
    Unknown,
};
constexpr std::size_t kKinds = static_cast<std::size_t>(Kind::Unknown) + 1;

// The record that refuses an over-long exchange file, without its line end.
extern const std::string kOverLimitRecord;

// Tells the kind of one line, given without its line end.
Kind classify(std::string_view line);

enum class LineEnd { CrLf, LfOnly, None };

// A file split at its line feeds: each line without its line end; cr_only
// marks a last line cut between CR and LF.
struct RawLine {
    std::string_view text;
    LineEnd end;
    bool cr_only;
};
std::vector<RawLine> split_lines(std::string_view bytes);

// A Shift-JIS lead byte: it and the byte after it make one character.
inline bool sjis_lead(char c) {
    const unsigned char b = static_cast<unsigned char>(c);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

struct Line {
    std::size_t number;  // from 1
    std::string text;    // without its line end
    LineEnd end;
    Kind kind;
};

struct RecordCheck {
    std::vector<Line> lines;
    std::vector<std::string> problems;  // each names its line number
    std::array<std::size_t, kKinds> count{};
    std::size_t fills() const { return count[static_cast<std::size_t>(Kind::FillText)]; }
};

// Checks every line of a returned file ("Returned lines" in README.md): its
// CR LF, its kind, and each text record right after its text-size record.
RecordCheck check_records(std::string_view bytes);

// "12 records: 3 echoed, ...; fills written: 2"
std::string summary(const RecordCheck& check);

// A line made printable for a problem report: bytes outside 0x20..0x7E as \xNN.
std::string quoted(std::string_view s);

}  // namespace drafthost
