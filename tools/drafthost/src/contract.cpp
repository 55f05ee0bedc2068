#include "contract.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "state/contract.h"

namespace drafthost {

namespace {

// Where names match regardless of case, the exchange file under any spelling
// is the exchange file.
void fold_names(RunFacts& f) {
    auto fold = [](DirState& d) {
        if (d.count(EXCHANGE_FILE)) return;
        for (auto it = d.begin(); it != d.end(); ++it)
            if (name_kind(it->first) == NameKind::CaseVariant) {
                DirEntry e = it->second;
                d.erase(it);
                d[EXCHANGE_FILE] = e;
                return;
            }
    };
    fold(f.after);
    if (f.prepared.name && name_kind(*f.prepared.name) == NameKind::CaseVariant) {
        auto node = f.prepared.before.extract(*f.prepared.name);
        node.key() = EXCHANGE_FILE;
        f.prepared.before.insert(std::move(node));
        f.prepared.name = EXCHANGE_FILE;
    }
}

// A kill promises only that the host's file is the input or the result.
void check_killed(const RunFacts& f, EndingCheck& c) {
    const std::string input = f.prepared.name ? f.prepared.before.at(*f.prepared.name).bytes : "";
    auto host = f.after.find(EXCHANGE_FILE);
    if (host == f.after.end() && f.prepared.name) host = f.after.find(*f.prepared.name);
    if (host == f.after.end()) {
        if (f.prepared.name) c.problems.push_back("killed: no exchange file left");
    } else if (host->second.bytes != input && !(f.result && host->second.bytes == *f.result)) {
        c.problems.push_back("killed: " + host->first + " is neither the host's input nor the complete result");
    }
    for (const auto& [n, e] : f.after)
        if (n != EXCHANGE_FILE && n != WORKING_COPY && !(f.prepared.name && n == *f.prepared.name) &&
            !f.prepared.before.count(n))
            c.problems.push_back("killed: left behind: " + n);
}

// What stands on standard error: the refusals of options, then at most the
// one message of the step that ended the run.
void check_message(const RunFacts& f, std::vector<std::string>& problems) {
    std::string err;
    for (char ch : *f.err)
        if (ch != '\r') err += ch;
    const std::string illegal = MSG_ILLEGAL_OPTION;
    while (err.compare(0, illegal.size(), illegal) == 0) err.erase(0, illegal.size());
    const int code = f.status.code;
    if (code == STATUS_DONE) {
        if (!err.empty()) problems.push_back("completed, but standard error holds " + quoted(err));
        return;
    }
    static const std::vector<std::string> refused = {
        MSG_CANNOT_OPEN WORKING_COPY " \n", MSG_CANNOT_OPEN EXCHANGE_FILE " \n", MSG_CANNOT_WRITE WORKING_COPY " \n",
        MSG_CANNOT_READ EXCHANGE_FILE " \n"};
    static const std::vector<std::string> copy_failed = {
        MSG_CANNOT_OPEN EXCHANGE_FILE " \n", MSG_CANNOT_OPEN WORKING_COPY " \n", MSG_CANNOT_READ EXCHANGE_FILE " \n"};
    if (code == STATUS_REFUSED && err.empty()) {
        // The refusal of a long file: no message, the "he" record says why.
        auto w = f.after.find(WORKING_COPY);
        if (w == f.after.end() || w->second.bytes != kOverLimitRecord + "\r\n")
            problems.push_back("status 1 without a message, but " WORKING_COPY " is not the refusal record alone");
        return;
    }
    const auto& allowed = code == STATUS_REFUSED ? refused : copy_failed;
    for (const std::string& m : allowed)
        if (err == m) return;
    problems.push_back("status " + std::to_string(code == 255 ? -1 : code) + " with the message " + quoted(err));
}

// A width or spacing as "/M" and "/L" give it: a plain decimal is known
// exactly; anything else only as the record prints it.
bool plain_decimal(const std::string& t, double* v) {
    const std::string body = t.substr(!t.empty() && (t[0] == '+' || t[0] == '-'));
    if (body.find_first_not_of("0123456789.") != std::string::npos || std::count(body.begin(), body.end(), '.') > 1 ||
        body.find_first_of("0123456789") == std::string::npos)
        return false;
    *v = std::strtod(t.c_str(), nullptr);
    return true;
}

struct Setting {
    bool given = false, known = true;  // an option seen; its value known exactly
    double value = 0;
};

void take(Setting& s, const std::string& text) {
    if (text.empty()) return;
    double v;
    if (!plain_decimal(text, &v)) s.given = true, s.known = false;
    else if (v >= 0.5) s.given = true, s.known = true, s.value = v;
}

// The value the fill used, from the record's printed one and the options.
double used(const Setting& s, double printed, bool* exact) {
    char buf[64];
    if (!s.given) return printed;
    if (s.known && std::snprintf(buf, sizeof buf, "%.2f", s.value) > 0 && std::strtod(buf, nullptr) == printed)
        return s.value;
    *exact = false;
    return printed;
}

}  // namespace

std::vector<std::string> check_fills(const RecordCheck& records, const std::vector<std::string>& args) {
    std::vector<std::string> problems;
    std::string pattern;
    Setting width, spacing;
    for (const std::string& a : args) {
        const char letter = option_letter(a);
        const std::string text = a.size() > 2 ? a.substr(2) : "";
        if (letter == 'Z') pattern = text.substr(0, std::min(text.find_first_of("\r\n"), std::size_t{PATTERN_MAX}));
        else if (letter == 'M') take(width, text);
        else if (letter == 'L') take(spacing, text);
    }
    if (pattern.empty()) return problems;
    for (std::size_t k = 1; k < records.lines.size(); k++) {
        const Line& size = records.lines[k - 1];
        const Line& text = records.lines[k];
        if (size.kind != Kind::FillSize || text.kind != Kind::FillText) continue;
        double w, h, d, x, y, dx, dy;
        int colour, used_chars = 0;
        if (std::sscanf(size.text.c_str(), "cn0 %lf %lf %lf %d", &w, &h, &d, &colour) != 4 ||
            std::sscanf(text.text.c_str(), "ch %lf %lf %lf %lf \"%n", &x, &y, &dx, &dy, &used_chars) != 4 ||
            used_chars == 0)
            continue;
        bool exact = true;
        const double W = used(width, w, &exact), D = used(spacing, d, &exact);
        const double P = (W + D) * 0.5, limit = std::sqrt(dx * dx + dy * dy) + D * 0.5;
        if (!std::isfinite(limit)) continue;
        const std::string got = text.text.substr(static_cast<std::size_t>(used_chars));
        // The longest run of the repeated pattern that fits, a character at a
        // time: `sure` bytes surely fit; a character whose edge lies within
        // the numbers' precision may or may not, and with printed sizes that
        // can be several in a row, so each such run's end is allowed too.
        // The fill finds its end by subtracting the pitch again and again
        // from the line's length, each step rounding at the length's scale:
        // an edge within that many units in the last place of the limit is
        // one the fill may take either way.
        std::string run;
        std::size_t sure = 0;
        std::vector<std::size_t> ends;
        for (std::size_t i = 0, units = 0; run.size() <= static_cast<std::size_t>(FILL_MAX);) {
            const std::size_t u = sjis_lead(pattern[i]) && i + 1 < pattern.size() ? 2 : 1;
            const double margin = limit - static_cast<double>(units + u) * P;
            const double steps = static_cast<double>(units + u + 2);
            const double tol = (exact ? 1e-9 * (1 + limit) : 0.005 * steps + 0.0025) + steps * DBL_EPSILON * limit;
            if (margin < -tol) break;
            run += pattern.substr(i, u);
            units += u;
            i = i + u < pattern.size() ? i + u : 0;
            if (margin > tol && ends.empty()) sure = run.size();
            else ends.push_back(run.size());
        }
        // Nothing surely laid: the text record may keep what the fill string held.
        if (sure == 0) continue;
        ends.push_back(sure);
        const std::string want = run.substr(0, sure);
        if (std::find(ends.begin(), ends.end(), got.size()) != ends.end() && run.compare(0, got.size(), got) == 0)
            continue;
        problems.push_back("line " + std::to_string(text.number) + ": the fill " + quoted(got) + " (" +
                           std::to_string(got.size()) + " bytes) is not the pattern's longest run that fits, " +
                           quoted(want) + " (" + std::to_string(want.size()) + " bytes)");
    }
    return problems;
}

Verdict check_run(RunFacts f) {
    if (f.fold_case) fold_names(f);
    Verdict v;
    if (f.killed) {
        check_killed(f, v.ending);
        v.problems = v.ending.problems;
        return v;
    }
    if (f.query) {
        if (!f.status.completed())
            v.problems.push_back("a lone " + f.args.back() + " ended with " + describe(f.status));
        if (f.after != f.prepared.before) v.problems.push_back("a lone " + f.args.back() + " changed the directory");
        return v;
    }
    v.ending = check_ending(f.status, debug_level(f.args), f.prepared, f.after);
    v.problems = v.ending.problems;
    if (f.err && (f.status.completed() || f.status.early())) check_message(f, v.problems);
    if (v.ending.returned) {
        std::string_view bytes = f.after.at(*v.ending.returned).bytes;
        // A working copy left by an early ending may stop inside a line,
        // where the failed write cut it: that piece is no record.
        if (!v.ending.returned_is_result && !bytes.empty() && bytes.back() != '\n') {
            v.ending.notes.push_back(std::string(WORKING_COPY) + " ends inside a line, which is not judged");
            bytes = bytes.substr(0, bytes.rfind('\n') + 1);
        }
        v.records = check_records(bytes);
        v.problems.insert(v.problems.end(), v.records.problems.begin(), v.records.problems.end());
        if (f.measure_fills)
            for (const std::string& p : check_fills(v.records, f.args)) v.problems.push_back(p);
    }
    return v;
}

}  // namespace drafthost
