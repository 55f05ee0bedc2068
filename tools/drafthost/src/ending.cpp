#include "ending.h"

#include <strings.h>

#include <cctype>
#include <cstring>
#include <set>

namespace drafthost {

char option_letter(const std::string& a) {
    if (a.size() < 2 || (a[0] != '-' && a[0] != '/' && a[0] != '$')) return 0;
    return static_cast<char>(std::toupper(static_cast<unsigned char>(a[1])));
}

int debug_level(const std::vector<std::string>& args) {
    int level = 0;
    for (const std::string& a : args)
        if (option_letter(a) == 'T') level = a.size() >= 3 && a[2] >= '1' && a[2] <= '6' ? a[2] - '0' : 0;
    return level;
}

NameKind name_kind(const std::string& name) {
    if (name == EXCHANGE_FILE) return NameKind::Exact;
    if (strcasecmp(name.c_str(), EXCHANGE_FILE) == 0) return NameKind::CaseVariant;
    return NameKind::Other;
}

bool clashes_with_handoff(const std::string& name) {
    for (const char* n : {WORKING_COPY, "JWC_q7q7.10", "JWC_q7q7.104"})
        if (strcasecmp(name.c_str(), n) == 0) return true;
    return false;
}

std::string describe(const ExitStatus& s) {
    if (s.signalled) {
#ifdef _WIN32
        const char* what = nullptr;
#else
        const char* what = strsignal(s.code);
#endif
        return "killed by signal " + std::to_string(s.code) + (what ? std::string(" (") + what + ")" : "");
    }
    if (s.code == 0) return "0 (completed)";
    if (s.code == 1) return "1 (ended early, input untouched)";
    if (s.code == 255) return "255, that is -1 (ended early, input untouched)";
    return std::to_string(s.code) + " (not a status the host knows)";
}

namespace {

const DirEntry* entry(const DirState& d, const std::string& n) {
    auto it = d.find(n);
    return it == d.end() ? nullptr : &it->second;
}

// The directory before and after one run, and what is found in it.
struct Look {
    Look(const Prepared& prepared, const DirState& after_run)
        : name(prepared.name),
          kind(name ? name_kind(*name) : NameKind::Other),
          before(prepared.before),
          after(after_run),
          drawing(name ? &before.at(*name) : nullptr),
          under(name ? "the host put its drawing under " + *name : "the host gave no exchange file") {}

    const std::optional<std::string>& name;
    const NameKind kind;
    const DirState& before;
    const DirState& after;
    const DirEntry* const drawing;
    const std::string under;  // where the host put its drawing, for the messages
    EndingCheck c;

    void problem(std::string s) { c.problems.push_back(std::move(s)); }
    // As the host left it before the run, absence included.
    bool as_before(const std::string& n) const {
        const DirEntry* a = entry(after, n);
        const DirEntry* b = entry(before, n);
        return a ? b && *a == *b : !b;
    }
    // The entry must be there and be exactly the host's input.
    void input_kept(const std::string& file, const std::string& why) {
        const DirEntry* e = entry(after, file);
        if (!e) problem(why + ": " + file + " should hold the host's input unchanged, but is missing");
        else if (!drawing || *e != *drawing)
            problem(why + ": " + file + " should hold the host's input unchanged, but differs from it");
    }
    // The file that holds the result, as the host will read it.
    void result_in(const std::string& file, const std::string& why) {
        const DirEntry* e = entry(after, file);
        if (!e || !e->regular) return problem(why + ": " + file + " should hold the result, but is missing");
        c.returned = file;
        c.returned_is_result = true;
    }
};

void check_completed(Look& k, int level) {
    const std::string T = EXCHANGE_FILE, W = WORKING_COPY;
    const std::string why = "completed at debug level " + std::to_string(level);
    if (level == 0) {
        k.result_in(T, why);
        if (entry(k.after, W)) k.problem(why + ": " + W + " should have been deleted, but is still there");
    } else {
        k.input_kept(T, why);
        k.result_in(W, why);
    }
    if (k.kind == NameKind::Other)
        k.problem(why + " although " + k.under + (k.name ? ", a name the program does not look for" : ""));
    else if (k.kind == NameKind::CaseVariant && entry(k.after, *k.name))
        k.problem(why + ": the drawing is still under " + *k.name + ", not renamed to " + T);
}

// An early ending leaves the drawing as it was: under the exchange file's
// name, or, before any renaming, under the host's own name.
void check_drawing_untouched(Look& k, const ExitStatus& status, const std::string& why) {
    const std::string T = EXCHANGE_FILE;
    if (k.kind == NameKind::Exact) {
        k.input_kept(T, why);
    } else if (k.kind == NameKind::CaseVariant) {
        if (entry(k.after, *k.name)) {  // not renamed
            k.input_kept(*k.name, why + " before the renaming");
            if (!k.as_before(T))
                k.problem(why + ": " + T + (entry(k.before, T) ? " changed" : " appeared") +
                          " although the drawing is still under " + *k.name);
            if (status.code == 1)
                k.problem(why + ": the drawing is still under " + *k.name + ", not renamed to " + T +
                          " (status 1 comes only after the renaming; a missing exchange file ends with -1)");
        } else {
            k.input_kept(T, why);
        }
    } else {
        if (!k.as_before(T)) k.problem(why + ": " + T + " appeared although " + k.under);
        if (status.code == 1)
            k.problem(why + ": there was no exchange file for the program to find, which ends with -1");
        if (k.name) k.input_kept(*k.name, why);
    }
}

// What an early ending left as the working copy; only records are checked.
void note_working_copy(Look& k) {
    const std::string W = WORKING_COPY;
    const DirEntry* w = entry(k.after, W);
    if (!w) return;
    if (entry(k.before, W) && k.as_before(W)) {
        k.c.notes.push_back(W + " left as the host had it" + (w->regular ? "" : " (" + w->other + ")"));
    } else if (!w->regular) {
        // reported with the other entries
    } else if (k.drawing && *w == *k.drawing) {
        k.c.notes.push_back(W + " left behind holding a copy of the input");
    } else if (w->bytes.empty()) {
        k.c.notes.push_back(W + " left behind empty");
    } else if (k.drawing && k.drawing->bytes.compare(0, w->bytes.size(), w->bytes) == 0) {
        k.c.notes.push_back(W + " left behind holding the input's first " + std::to_string(w->bytes.size()) +
                            " bytes, a copy cut short");
    } else {
        k.c.notes.push_back(W + " left behind; its lines are checked as records");
        k.c.returned = W;
    }
}

void check_early(Look& k, const ExitStatus& status) {
    const std::string why = "status " + std::to_string(status.code == 255 ? -1 : 1);
    check_drawing_untouched(k, status, why);
    note_working_copy(k);
}

void check_unknown_status(Look& k, const ExitStatus& status) {
    k.problem("exit status " + describe(status) + ": the host knows only 0, 1 and -1");
    for (const std::string& n : {std::string(EXCHANGE_FILE), std::string(WORKING_COPY)})
        k.c.notes.push_back(n + (entry(k.after, n) ? " is there" : " is not there"));
}

// Everything besides the hand-off's own names must be as the host left it,
// and nothing under those names may be other than a regular file unless the
// host put it there.
void check_other_entries(Look& k) {
    std::set<std::string> accounted{EXCHANGE_FILE, WORKING_COPY};
    if (k.name) accounted.insert(*k.name);
    for (const auto& [n, e] : k.after) {
        const DirEntry* b = entry(k.before, n);
        if (!accounted.count(n)) {
            if (!b) k.problem("left behind: " + n + (e.regular ? "" : " (not a regular file)"));
            else if (*b != e) k.problem("changed: " + n + ", which the host had put there");
        } else if (!e.regular && !(b && *b == e)) {
            k.problem(n + " is not a regular file" + (e.other.empty() ? "" : " (" + e.other + ")"));
        }
    }
    for (const auto& [n, e] : k.before)
        if (!accounted.count(n) && !entry(k.after, n)) k.problem("removed: " + n + ", which the host had put there");
}

}  // namespace

EndingCheck check_ending(const ExitStatus& status, int level, const Prepared& prepared, const DirState& after) {
    Look k(prepared, after);
    if (status.completed()) check_completed(k, level);
    else if (status.early()) check_early(k, status);
    else check_unknown_status(k, status);
    check_other_entries(k);
    return k.c;
}

}  // namespace drafthost
