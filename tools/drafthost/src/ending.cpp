#include "ending.h"

#include <cstring>
#include <set>

namespace drafthost {

namespace {

bool same_ignoring_case(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace

int debug_level(const std::vector<std::string>& args) {
    int level = 0;
    for (const std::string& a : args) {
        if (a.size() < 2) continue;
        if (a[0] != '-' && a[0] != '/' && a[0] != '$') continue;
        if (a[1] != 'T' && a[1] != 't') continue;
        level = (a.size() >= 3 && a[2] >= '1' && a[2] <= '6') ? a[2] - '0' : 0;
    }
    return level;
}

NameKind name_kind(const std::string& name) {
    if (name == kExchangeFile) return NameKind::Exact;
    if (same_ignoring_case(name, kExchangeFile)) return NameKind::CaseVariant;
    return NameKind::Other;
}

bool clashes_with_handoff(const std::string& name) {
    for (const char* n : {kWorkingCopy, "JWC_q7q7.10", "JWC_q7q7.104"})
        if (same_ignoring_case(name, n)) return true;
    return false;
}

std::string describe(const ExitStatus& s) {
    if (s.signalled) {
        const char* what = strsignal(s.code);
        return "killed by signal " + std::to_string(s.code) + (what ? std::string(" (") + what + ")" : "");
    }
    switch (s.code) {
    case 0:
        return "0 (completed)";
    case 1:
        return "1 (ended early, input untouched)";
    case 255:
        return "255, that is -1 (ended early, input untouched)";
    default:
        return std::to_string(s.code) + " (not a status the host knows)";
    }
}

EndingCheck check_ending(const ExitStatus& status, int level, const Prepared& prepared, const DirState& after) {
    EndingCheck c;
    const std::string T = kExchangeFile, W = kWorkingCopy;
    const std::optional<std::string>& name = prepared.name;
    const NameKind kind = name ? name_kind(*name) : NameKind::Other;
    const DirState& before = prepared.before;
    // Where the host put its drawing, for the messages.
    const std::string under = name ? "the host put its drawing under " + *name : "the host gave no exchange file";

    auto entry = [](const DirState& d, const std::string& n) -> const DirEntry* {
        auto it = d.find(n);
        return it == d.end() ? nullptr : &it->second;
    };
    const DirEntry* drawing = name ? &before.at(*name) : nullptr;
    auto has = [&](const std::string& n) {
        const DirEntry* e = entry(after, n);
        return e && e->regular;
    };
    // As the host left it before the run, absence included.
    auto as_before = [&](const std::string& n) {
        const DirEntry* a = entry(after, n);
        const DirEntry* b = entry(before, n);
        return a ? b && *a == *b : !b;
    };
    auto problem = [&](std::string s) { c.problems.push_back(std::move(s)); };
    // The entry must be there and be exactly the host's input.
    auto input_kept = [&](const std::string& file, const std::string& why) {
        const DirEntry* e = entry(after, file);
        if (!e) problem(why + ": " + file + " should hold the host's input unchanged, but is missing");
        else if (!drawing || *e != *drawing)
            problem(why + ": " + file + " should hold the host's input unchanged, but differs from it");
    };

    std::set<std::string> accounted{T, W};
    if (name) accounted.insert(*name);

    if (status.completed()) {
        const std::string why = "completed at debug level " + std::to_string(level);
        if (level == 0) {
            if (!has(T)) {
                problem(why + ": " + T + " should hold the result, but is missing");
            } else {
                c.returned = T;
                c.returned_is_result = true;
            }
            if (entry(after, W)) problem(why + ": " + W + " should have been deleted, but is still there");
        } else {
            input_kept(T, why);
            if (!has(W)) {
                problem(why + ": " + W + " should hold the result, but is missing");
            } else {
                c.returned = W;
                c.returned_is_result = true;
            }
        }
        if (kind == NameKind::Other)
            problem(why + " although " + under + (name ? ", a name the program does not look for" : ""));
        else if (kind == NameKind::CaseVariant && entry(after, *name))
            problem(why + ": the drawing is still under " + *name + ", not renamed to " + T);
    } else if (status.early()) {
        const std::string why = "status " + std::to_string(status.code == 255 ? -1 : 1);
        if (kind == NameKind::Exact) {
            input_kept(T, why);
        } else if (kind == NameKind::CaseVariant) {
            if (entry(after, *name)) {  // not renamed
                input_kept(*name, why + " before the renaming");
                if (!as_before(T))
                    problem(why + ": " + T + (entry(before, T) ? " changed" : " appeared") +
                            " although the drawing is still under " + *name);
                if (status.code == 1)
                    problem(why + ": the drawing is still under " + *name + ", not renamed to " + T +
                            " (status 1 comes only after the renaming; a missing exchange file ends with -1)");
            } else {
                input_kept(T, why);
            }
        } else {
            if (!as_before(T)) problem(why + ": " + T + " appeared although " + under);
            if (status.code == 1)
                problem(why + ": there was no exchange file for the program to find, which ends with -1");
            if (name) input_kept(*name, why);
        }
        if (const DirEntry* w = entry(after, W)) {
            if (entry(before, W) && as_before(W)) {
                c.notes.push_back(W + " left as the host had it" + (w->regular ? "" : " (" + w->other + ")"));
            } else if (!w->regular) {
                // reported below
            } else if (drawing && *w == *drawing) {
                c.notes.push_back(W + " left behind holding a copy of the input");
            } else if (w->bytes.empty()) {
                c.notes.push_back(W + " left behind empty");
            } else {
                c.notes.push_back(W + " left behind; its lines are checked as records");
                c.returned = W;
            }
        }
    } else {
        problem("exit status " + describe(status) + ": the host knows only 0, 1 and -1");
        for (const std::string& n : {T, W}) c.notes.push_back(n + (entry(after, n) ? " is there" : " is not there"));
    }

    for (const auto& [n, e] : after) {
        const DirEntry* b = entry(before, n);
        if (!accounted.count(n)) {
            if (!b) problem("left behind: " + n + (e.regular ? "" : " (not a regular file)"));
            else if (*b != e) problem("changed: " + n + ", which the host had put there");
        } else if (!e.regular && !(b && *b == e)) {
            problem(n + " is not a regular file" + (e.other.empty() ? "" : " (" + e.other + ")"));
        }
    }
    for (const auto& [n, e] : before)
        if (!accounted.count(n) && !entry(after, n)) problem("removed: " + n + ", which the host had put there");
    return c;
}

EndingCheck check_ending(const ExitStatus& status, int level, const std::string& name, const std::string& drawing,
                         const DirState& after) {
    Prepared p;
    p.name = name;
    p.before[name] = DirEntry{true, drawing, ""};
    return check_ending(status, level, p, after);
}

}  // namespace drafthost
