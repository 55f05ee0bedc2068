// How a run ended, and whether the files it left in the working directory are
// those the host expects for that ending.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "state/contract.h"

namespace drafthost {

// The letter of an option: an argument whose first byte is '-', '/' or '$',
// its second byte upper-cased; 0 for any other argument.
char option_letter(const std::string& arg);

// The debug level the program was given: a "T" option sets it to its third
// byte when that is a digit from 1 to 6, and to 0 otherwise; the last decides.
int debug_level(const std::vector<std::string>& args);

// How the name the drawing was put under relates to the exchange file's.
enum class NameKind {
    Exact,        // "JWC_TEMP.TXT"
    CaseVariant,  // the same letters in another case, e.g. "jwc_temp.txt"
    Other,        // a name the program does not look for
};
NameKind name_kind(const std::string& name);

// Names that would be mistaken for the files of the hand-off itself.
bool clashes_with_handoff(const std::string& name);

struct ExitStatus {
    bool signalled = false;
    int code = 0;          // exit status 0..255, or the signal number
    long max_rss_kib = 0;  // the program's peak resident memory (POSIX runs of the runner; else 0)
    bool completed() const { return !signalled && code == 0; }
    bool early() const { return !signalled && (code == 1 || code == 255); }
};
// "0 (completed)", "255 = -1 (ended early, input untouched)", ...
std::string describe(const ExitStatus& s);

// What a working directory holds: every entry by name, with the bytes of the
// regular files and, for anything else, what it is ("directory", ...).
struct DirEntry {
    bool regular = true;
    std::string bytes;
    std::string other;
    bool operator==(const DirEntry& o) const { return regular == o.regular && bytes == o.bytes && other == o.other; }
    bool operator!=(const DirEntry& o) const { return !(*this == o); }
};
using DirState = std::map<std::string, DirEntry>;

// What the host put into the working directory before the run: the drawing
// under its name (none: there is no exchange file at all) and everything else
// that was already there, such as files left over from an earlier run.
struct Prepared {
    std::optional<std::string> name;
    DirState before;  // holds the drawing's entry when there is a name
};

struct EndingCheck {
    std::vector<std::string> problems;
    std::vector<std::string> notes;
    // The file whose lines are to be checked as records: the result the host
    // reads, or a working copy left behind by an early ending.
    std::optional<std::string> returned;
    bool returned_is_result = false;
};

// Checks the files left against what the hand-off gives for the ending (the
// table "Files left" in README.md). Unchanged means of the same kind with the
// same bytes or link target: the input may be a directory, say.
EndingCheck check_ending(const ExitStatus& status, int level, const Prepared& prepared, const DirState& after);

}  // namespace drafthost
