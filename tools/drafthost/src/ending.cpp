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
    case 0: return "0 (completed)";
    case 1: return "1 (ended early, input untouched)";
    case 255: return "255, that is -1 (ended early, input untouched)";
    default: return std::to_string(s.code) + " (not a status the host knows)";
    }
}

EndingCheck check_ending(const ExitStatus& status, int level, const std::string& name,
                         const std::string& drawing, const DirState& after) {
    EndingCheck c;
    const std::string T = kExchangeFile, W = kWorkingCopy;
    const NameKind kind = name_kind(name);

    auto has = [&](const std::string& n) {
        auto it = after.find(n);
        return it != after.end() && it->second.regular;
    };
    auto bytes = [&](const std::string& n) -> const std::string& { return after.at(n).bytes; };
    auto problem = [&](std::string s) { c.problems.push_back(std::move(s)); };
    // The file must be there and hold exactly the host's input.
    auto input_kept = [&](const std::string& file, const std::string& why) {
        if (!has(file))
            problem(why + ": " + file + " should hold the host's input unchanged, but is missing");
        else if (bytes(file) != drawing)
            problem(why + ": " + file + " should hold the host's input unchanged, but differs from it");
    };

    std::set<std::string> accounted{name, T, W};

    if (status.completed()) {
        const std::string why = "completed at debug level " + std::to_string(level);
        if (level == 0) {
            if (!has(T)) {
                problem(why + ": " + T + " should hold the result, but is missing");
            } else {
                c.returned = T;
                c.returned_is_result = true;
            }
            if (has(W)) problem(why + ": " + W + " should have been deleted, but is still there");
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
            problem(why + " although the drawing was under " + name +
                    ", a name the program does not look for");
        else if (kind == NameKind::CaseVariant && has(name))
            problem(why + ": the drawing is still under " + name + ", not renamed to " + T);
    } else if (status.early()) {
        const std::string why = "status " + std::to_string(status.code == 255 ? -1 : 1);
        if (kind == NameKind::Exact) {
            input_kept(T, why);
        } else if (kind == NameKind::CaseVariant) {
            if (has(T)) {
                input_kept(T, why);
                if (has(name))
                    problem(why + ": the drawing is under both " + T + " and " + name);
            } else if (status.code == 255) {
                input_kept(name, why + " before the renaming");
            } else {
                problem(why + ": " + T + " is missing (a missing exchange file ends with -1, and "
                              "status 1 comes only after the renaming)");
            }
        } else {
            if (has(T)) problem(why + ": " + T + " appeared although the host put its drawing under " + name);
            if (status.code == 1)
                problem(why + ": there was no exchange file for the program to find, which ends with -1");
            input_kept(name, why);
        }
        if (has(W)) {
            if (bytes(W) == drawing) {
                c.notes.push_back(W + " left behind holding a copy of the input");
            } else if (bytes(W).empty()) {
                c.notes.push_back(W + " left behind empty");
            } else {
                c.notes.push_back(W + " left behind; its lines are checked as records");
                c.returned = W;
            }
        }
    } else {
        problem("exit status " + describe(status) + ": the host knows only 0, 1 and -1");
        for (const std::string& n : {T, W})
            c.notes.push_back(n + (has(n) ? " is there" : " is not there"));
    }

    for (const auto& [n, e] : after) {
        if (!accounted.count(n))
            problem("left behind: " + n + (e.regular ? "" : " (not a regular file)"));
        else if (!e.regular)
            problem(n + " is not a regular file");
    }
    return c;
}

}  // namespace drafthost
