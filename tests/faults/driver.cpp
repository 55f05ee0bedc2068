// The fault driver of both platforms (docs/reliability.md says what it
// checks): runs the fault-injection build (inject.cpp) once per fault at every
// call index of every OS call it makes, and checks each run with drafthost's
// check_run. Under Wine it is a Windows program, so that all runs share one
// Wine session.
//
//   faults_driver PROGRAM WORKDIR [K/N]
//
// With K/N, only every Nth faulted run from the Kth on (counted from 0) is
// made, so that N drivers can share the work. With FAULT_BROKEN=1 (the
// self-test) every case must show violations. The last line is "faults: N
// runs over C calls, V violated"; the status is 0 when nothing was violated.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "contract.h"
#include "platform/os.h"
#include "runner.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;
using namespace drafthost;

namespace {

#ifdef _WIN32
const bool kWindows = true;
#else
const bool kWindows = false;
#endif
const std::string kStep = EXCHANGE_FILE OS_CASE_STEP;  // the case change's intermediate name (Windows)

std::string prog, work, run_dir;
// A run takes well under a second; one still going after this hangs.
const unsigned kLimitSeconds = 30;

std::string slurp(const std::string& p) { return fs::exists(p) ? read_file(p) : ""; }

void set_env(const char* name, const char* value) {
#ifdef _WIN32
    SetEnvironmentVariableA(name, value);
#else
    value ? setenv(name, value, 1) : unsetenv(name);
#endif
}

struct Case {
    const char* label;
    std::string input;
    const char* name;
    std::vector<std::string> args;
};

struct Run {
    ExitStatus status;
    bool killed = false;
    std::string out, err, log;
    DirState files;
    std::map<std::string, unsigned long> report;  // empty when killed
};

// One run of the program in a fresh run_dir holding the case's input.
Run run(const Case& c) {
    fs::remove_all(run_dir);
    fs::create_directories(run_dir);
    std::ofstream(fs::path(run_dir) / c.name, std::ios::binary) << c.input;
    auto at = [](const char* f) { return (fs::path(work) / f).string(); };
    const std::string rep = at("report"), log = at("log");
    fs::remove(rep), fs::remove(log);
    set_env("FAULT_REPORT", rep.c_str());
    set_env("FAULT_LOG", log.c_str());
    Launch l{run_dir, {prog}, at("stdout"), at("stderr"), false, kLimitSeconds};
    l.command.insert(l.command.end(), c.args.begin(), c.args.end());
    Run r;
    try {
        r.status = run_program(l);
        r.files = read_dir(run_dir);
    } catch (const SetupError& e) {
        fprintf(stderr, "%s\n", e.what());
        exit(2);
    }
    // The injector's kill: SIGKILL, or exit code 137 on Windows.
    r.killed = kWindows ? r.status.code == 137 : r.status.signalled && r.status.code == 9;
    r.out = slurp(l.out), r.err = slurp(l.err), r.log = slurp(log);
    std::istringstream report(slurp(rep));
    std::string fn;
    for (unsigned long n; report >> fn >> n;) r.report[fn] = n;
    return r;
}

// A fault, and whether the layer makes the run end exactly as the clean one
// (a retry, or a failure it takes for none).
struct Fault {
    const char* mode;
    long error;
    const char* name;
    bool as_clean;
};

// The faults tried at each call of a function: one error for each class the
// layer handles alike, but each error that makes a sync no failure.
std::vector<Fault> faults_of(const std::string& call) {
    auto is = [&call](std::initializer_list<const char*> names) {
        for (const char* n : names)
            if (call == n) return true;
        return false;
    };
#ifdef _WIN32
    std::vector<Fault> f = {{"once", ERROR_IO_DEVICE, "IO_DEVICE", false},
                            {"from", ERROR_IO_DEVICE, "IO_DEVICE", false}};
    if (is({"CreateFileA", "MoveFileExA", "DeleteFileA"}))
        f.insert(f.end(), {{"once", ERROR_SHARING_VIOLATION, "SHARING_VIOLATION", true},  // waited for
                           {"from", ERROR_SHARING_VIOLATION, "SHARING_VIOLATION", false}});
    if (call == "DeleteFileA") f.push_back({"once", ERROR_FILE_NOT_FOUND, "FILE_NOT_FOUND", false});
    if (call == "FlushFileBuffers") f.push_back({"once", ERROR_INVALID_FUNCTION, "INVALID_FUNCTION", true});
    if (is({"WriteFile", "ReadFile"})) f.push_back({"short", 0, "", true});
    if (call == "WriteFile") f.push_back({"zero", 0, "", false});  // 0 bytes written, no error: not to be called again
#else
    std::vector<Fault> f = {{"once", EIO, "EIO", false}, {"from", EIO, "EIO", false}};
    if (is({"open", "read", "write", "fsync", "close"})) f.push_back({"once", EINTR, "EINTR", true});  // tried again
    if (call == "fsync")  // nothing that can be synced: no loss
        f.insert(
            f.end(),
            {{"once", EINVAL, "EINVAL", true}, {"once", EROFS, "EROFS", true}, {"once", ENOTSUP, "ENOTSUP", true}});
    if (is({"read", "write"})) f.push_back({"short", 0, "", true});
    if (call == "write") f.push_back({"zero", 0, "", false});  // 0 bytes written, no error: not to be called again
#endif
    f.insert(f.end(), {{"kill_before", 0, "", false}, {"kill_after", 0, "", false}});
    return f;
}

int runs = 0, violated = 0;
std::map<std::string, int> endings;
std::string what;  // the run being checked

void violation(const std::string& why) {
    printf("VIOLATED [%s]: %s\n", what.c_str(), why.c_str());
    violated++;
}

std::string names_of(const DirState& d) {
    std::string s;
    for (const auto& x : d) s += x.first + " ";
    return s;
}

// The same files as the clean run, the spelling of the exchange file's name
// aside where names match regardless of case.
bool same_files(const DirState& a, const DirState& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.second == y.second && (x.first == y.first || (kWindows && name_kind(x.first) != NameKind::Other &&
                                                               name_kind(y.first) != NameKind::Other));
    });
}

void same_as_clean(const Run& r, const Run& ref) {
    if (r.status.code != ref.status.code || r.killed)
        return violation("status " + describe(r.status) + ", clean run " + describe(ref.status));
    if (r.out != ref.out) violation("standard output differs from the clean run's");
    if (r.err != ref.err) violation("standard error differs from the clean run's");
    if (!same_files(r.files, ref.files)) violation("files differ from the clean run's: " + names_of(r.files));
}

// Beyond the contract: an interruption, a short transfer, a file held a moment
// or a failure the layer takes for none ends exactly as the clean run; status
// 0 never follows a failed sync of the result; on Windows the waits add up to
// 5 s at most, exactly that for a file held for good.
void check(const Run& r, const Run& ref, const Case& c, const std::string& call, const Fault& f) {
    runs++;
    const bool kill = !strncmp(f.mode, "kill", 4);
    if (kWindows && !kill) {
        auto w = r.report.find("waited");
        if (w == r.report.end()) violation("no report: the run did not end by itself");
        else if (w->second > 5000) violation("waited " + std::to_string(w->second) + " ms");
        else if (!strcmp(f.mode, "from") && f.error == 32 && w->second != 5000)
            violation("held for good, waited " + std::to_string(w->second) + " ms, not the 5000 ms");
    }
    // Only under the intermediate name of the case change (Windows): a kill
    // between its two moves, or the second move and the way back both failing.
    if (r.files.count(kStep)) {
        const bool alone = r.files.size() == 1 || (r.files.size() == 2 && r.files.count(WORKING_COPY));
        if (!alone || r.files.at(kStep).bytes != c.input) return violation("left " + kStep + ": " + names_of(r.files));
        if (kill && r.log.find(" " + kStep) != std::string::npos) {
            endings["killed between the two moves of the case change: the input under " + kStep]++;
            return;
        }
        if (!strcmp(f.mode, "from") && call == "MoveFileExA" && r.status.code == 255 &&
            r.log.find("MoveFileExA " + kStep + " " + c.name) != std::string::npos) {
            endings["status -1, the case change's second move and its way back failing for good: the input under " +
                    kStep]++;
            return;
        }
        return violation("the input left only under " + kStep);
    }
    if (kill && !r.killed) violation("status " + describe(r.status) + ", expected the kill");
    if (!kill && f.as_clean) return same_as_clean(r, ref);
    RunFacts facts;
    facts.status = r.status;
    facts.killed = kill;
    if (ref.status.completed() && !ref.files.count(WORKING_COPY))
        for (const auto& [n, e] : ref.files)
            if (name_kind(n) != NameKind::Other) facts.result = &e.bytes;
    facts.args = c.args;
    facts.prepared.name = c.name;
    facts.prepared.before[c.name] = DirEntry{true, c.input, ""};
    facts.after = r.files;
    std::string err = r.err;
    err.erase(std::remove(err.begin(), err.end(), '\r'), err.end());
    facts.err = err;
    facts.fold_case = kWindows;
    const std::vector<std::string> problems = check_run(facts).problems;
    for (std::size_t i = 0; i < problems.size() && i < 3; i++) violation(problems[i]);
    std::string ending = kill ? "killed" : "status " + std::to_string(r.status.code == 255 ? -1 : r.status.code);
    if (!kill && !err.empty()) ending += ", " + err.substr(0, err.size() - 1);
    endings[ending]++;
    if (!kill && r.status.completed()) {
        same_as_clean(r, ref);
        if (!r.log.compare(0, 10, "fsync file") || !r.log.compare(0, 16, "FlushFileBuffers"))
            violation("a failed sync of the result ended with status 0");
    }
}

std::string records() {
    std::string s = "hp1 0 0\r\nhp2 1000 0\r\n";
    for (int i = 0; i < 4998; i++) s += (i % 5 == 4 ? "# comment " : "ch 0 0 1 0 \"t") + std::to_string(i) + "\r\n";
    return s;
}

bool self_test = false;

// No fault: the clean run, the real program.
void clear_faults() {
    for (const char* v : {"FAULT_CALL", "FAULT_N", "FAULT_MODE", "FAULT_ERROR", "FAULT_BROKEN"}) set_env(v, nullptr);
}

// One run of case c whose nth call of `call` meets f, checked against the clean run ref.
void fault_run(const Case& c, const Run& ref, const std::string& label, const std::string& call, unsigned long n,
               const Fault& f) {
    const std::string n_s = std::to_string(n), e_s = std::to_string(f.error);
    set_env("FAULT_CALL", call.c_str());
    set_env("FAULT_N", n_s.c_str());
    set_env("FAULT_MODE", f.mode);
    set_env("FAULT_ERROR", e_s.c_str());
    set_env("FAULT_BROKEN", self_test ? "1" : nullptr);
    what = label + ", " + call + " #" + n_s + " " + f.mode + " " + f.name;
    check(run(c), ref, c, call, f);
}

}  // namespace

int main(int argc, char** argv) {
    unsigned share = 0, shares = 1;
    if ((argc != 3 && argc != 4) ||
        (argc == 4 && (sscanf(argv[3], "%u/%u", &share, &shares) != 2 || share >= shares))) {
        fprintf(stderr, "usage: faults_driver PROGRAM WORKDIR [K/N]\n");
        return 2;
    }
    fs::create_directories(argv[2]);
    prog = fs::absolute(argv[1]).string(), work = fs::absolute(argv[2]).string();
    run_dir = (fs::path(work) / "run").string();
    std::string over;
    for (unsigned i = 0; i <= LINE_LIMIT; i++) over += "#\r\n";
    const std::string tiny = "# a drawing\r\nhp1 0 0\r\nhp2 20 0\r\nch 0 0 1 0 \"t\r\n";
    // A 5000-record file (about 1.3 MB of output, more than the write-behind's
    // megabyte), at level 0 and at level 3; one over the limit; a small one
    // under the lower-case name.
    const Case cases[] = {
        {"5000 records", records(), EXCHANGE_FILE, {"/ZAB"}},
        {"5000 records /T3", records(), EXCHANGE_FILE, {"/ZAB", "/T3"}},
        {"over the limit", over, EXCHANGE_FILE, {"/ZAB"}},
        {"lower-case name", tiny, EXCHANGE_FILE_LOWER, {"/ZAB"}},
    };
    self_test = getenv("FAULT_BROKEN") && !strcmp(getenv("FAULT_BROKEN"), "1");
    int uncaught = 0;
    unsigned long total_calls = 0, planned = 0;
    for (const Case& c : cases) {
        const int violated_before = violated;
        clear_faults();
        const Run ref = run(c);
        if (ref.report.empty()) {
            fprintf(stderr, "%s: no count of calls from %s (status %d)\n", c.label, prog.c_str(), ref.status.code);
            return 2;
        }
        printf("%s (%s): clean run status %d, calls:", c.label, c.name, ref.status.code);
        for (const auto& [call, n] : ref.report)
            if (n && call != "waited") printf(" %s %lu", call.c_str(), n), total_calls += n;
        printf("\n");
        fflush(stdout);
        // A result handed back is synced, and so is the directory after the rename.
        what = c.label;
        if (!kWindows && ref.status.completed() && !ref.files.count(WORKING_COPY) && ref.report.at("fsync") != 2)
            violation("the result and the directory not both synced");
        for (const auto& [call, count] : ref.report)
            for (unsigned long n = 1; call != "waited" && n <= count; n++)
                for (const Fault& f : faults_of(call))
                    if ((!self_test || !strcmp(f.mode, "once")) && planned++ % shares == share)
                        fault_run(c, ref, c.label, call, n, f);
        if (self_test && violated == violated_before)
            uncaught++, printf("self-test: the broken build passed every run of %s\n", c.label);
    }
#ifdef _WIN32
    // GetFileAttributesA is called only while a held file is waited for: the
    // exchange file's first open is refused once, and that wait's call fails
    // or is killed around.
    if (share == 0 && !self_test) {
        const Case& c = cases[0];
        clear_faults();
        const std::string call = "GetFileAttributesA";
        set_env("FAULT_HOLD", "CreateFileA 1");
        const Run ref = run(c);
        what = std::string(c.label) + ", the first open held a moment";
        if (ref.report.at(call) != 1) violation(call + " called " + std::to_string(ref.report.at(call)) + " times");
        total_calls++;
        for (Fault f : faults_of(call)) {
            f.as_clean = !strcmp(f.mode, "once");  // a failed look at the held file's kind means only one more wait
            fault_run(c, ref, what, call, 1, f);
        }
        set_env("FAULT_HOLD", nullptr);
    }
#endif
    printf("endings:\n");
    for (const auto& e : endings) printf("  %5d  %s\n", e.second, e.first.c_str());
    // The two failures of the pass that no other test reaches, named for
    // run.sh too, which looks for them over the endings of all the drivers.
    what = "all runs";
    const char* const expected[] = {"status 1, " MSG_CANNOT_OPEN EXCHANGE_FILE " ",
                                    "status 1, " MSG_CANNOT_READ EXCHANGE_FILE " "};
    for (const char* m : expected) {
        if (self_test) continue;
        printf("expected ending: %s\n", m);
        if (shares == 1 && !endings.count(m)) violation(std::string("no run ended with ") + m);
    }
    printf("faults: %d runs over %lu calls, %d violated\n", runs, total_calls, violated);
    if (self_test) printf("self-test: the broken build was%s caught on every case\n", uncaught ? " not" : "");
    return (self_test ? uncaught : violated) ? 1 : 0;
}
