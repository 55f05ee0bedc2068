// Runs the fault-injection build of linetext (shim.cpp) once for every fault
// at every call index of every Win32 function it calls, all inside one Wine
// session, and checks each run from outside, as the host would find it:
//
//   win_faults_driver PROGRAM WORKDIR [K/N]
//
// With K/N, only every Nth faulted run from the Kth on (counted from 0) is
// made, so that N drivers can share the work; each counts its own runs.
//
// For each input, a clean run counts the calls (FAULT_REPORT); then every
// call index of every function is, in a fresh directory, failed once with
// each Windows error that the call can meet, failed from then on with the
// errors of a held file and of a lost share, shortened (WriteFile), and
// killed just before and just after. GetFileAttributesA, which only the wait
// for a held file calls, is reached with the first open held a moment. Each run must end as the exit-status
// table of docs/exchange-file.md says:
//   - status 0 only with the clean run's files (the host's file under its own
//     spelling or JWC_TEMP.TXT), output and messages, and never after a failed
//     flush of the result;
//   - status 1 or -1 only with one of the table's messages, and the host's
//     input byte for byte under the name the host wrote or JWC_TEMP.TXT;
//   - killed: the host's file holds the input or the complete result;
//   - a file held for a moment, or a short write, never changes the outcome;
//   - the program never waits more than 5 s in all, and a file held for good
//     is waited for exactly that long;
//   - no name is left but JWC_TEMP.TXT, JWC_TEMP.104 and the host's.
// Two endings are allowed where the file is under the intermediate name of
// the case change (see docs/exchange-file.md), and counted apart: a kill
// between the two moves that go through it, and both the second move and the
// way back failing for good.
//
// The last line is "windows faults: N runs over C calls, V violated"; the
// exit status is 0 when nothing was violated.
#include <stdio.h>
#include <string.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace {

std::string prog, work, run_dir;

std::string slurp(const std::string& path, bool* ok = nullptr) {
    std::string s;
    FILE* f = fopen(path.c_str(), "rb");
    if (ok) *ok = f != nullptr;
    if (!f) return s;
    char buf[1 << 16];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    fclose(f);
    return s;
}

void spill(const std::string& path, const std::string& s) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) {
        fprintf(stderr, "cannot write %s\n", path.c_str());
        exit(2);
    }
    fwrite(s.data(), 1, s.size(), f);
    fclose(f);
}

typedef std::map<std::string, std::string> Files;  // name as stored -> bytes

Files list(const std::string& dir) {
    Files files;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return files;
    do {
        if (!strcmp(fd.cFileName, ".") || !strcmp(fd.cFileName, "..")) continue;
        files[fd.cFileName] = slurp(dir + "\\" + fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return files;
}

void empty(const std::string& dir) {
    for (const auto& f : list(dir)) DeleteFileA((dir + "\\" + f.first).c_str());
}

struct Run {
    long status;
    std::string out, err, log;
    Files files;
    std::map<std::string, unsigned long> report;  // absent when killed
};

void set(const char* name, const std::string& value) { SetEnvironmentVariableA(name, value.c_str()); }

// One run of the program in a fresh run_dir holding input under name.
Run run(const std::string& input, const std::string& name, const std::string& args) {
    empty(run_dir);
    spill(run_dir + "\\" + name, input);
    std::string out = work + "\\stdout", err = work + "\\stderr", rep = work + "\\report", log = work + "\\log";
    DeleteFileA(rep.c_str());
    DeleteFileA(log.c_str());
    set("FAULT_REPORT", rep);
    set("FAULT_LOG", log);
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE ho = CreateFileA(out.c_str(), GENERIC_WRITE, 0, &sa, CREATE_ALWAYS, 0, nullptr);
    HANDLE he = CreateFileA(err.c_str(), GENERIC_WRITE, 0, &sa, CREATE_ALWAYS, 0, nullptr);
    HANDLE hi = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA si;
    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = hi, si.hStdOutput = ho, si.hStdError = he;
    PROCESS_INFORMATION pi;
    std::string cmd = "linetext " + args;
    std::vector<char> line(cmd.begin(), cmd.end());
    line.push_back(0);
    Run r;
    // Wine, short of resources on a busy machine, now and then fails to start
    // a process at all (ERROR_INTERNAL_ERROR); the run is simply started again.
    for (int tries = 1;
         !CreateProcessA(prog.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, run_dir.c_str(), &si, &pi);
         tries++) {
        if (tries == 5) {
            fprintf(stderr, "cannot start %s (error %lu)\n", prog.c_str(), GetLastError());
            exit(2);
        }
        Sleep(200);
    }
    CloseHandle(ho), CloseHandle(he), CloseHandle(hi);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess), CloseHandle(pi.hThread);
    r.status = static_cast<long>(static_cast<int>(code));
    r.out = slurp(out), r.err = slurp(err), r.log = slurp(log);
    r.files = list(run_dir);
    bool ok;
    std::string report = slurp(rep, &ok);
    if (ok) {
        char fn[64];
        unsigned long n;
        int used;
        for (const char* p = report.c_str(); sscanf(p, "%63s %lu%n", fn, &n, &used) == 2; p += used) r.report[fn] = n;
    }
    return r;
}

// The Windows errors, by name
struct Error {
    const char* name;
    DWORD code;
};
const Error ACCESS = {"ACCESS_DENIED", ERROR_ACCESS_DENIED}, SHARING = {"SHARING_VIOLATION", ERROR_SHARING_VIOLATION},
            LOCK = {"LOCK_VIOLATION", ERROR_LOCK_VIOLATION}, NOT_READY = {"NOT_READY", ERROR_NOT_READY},
            NOT_FOUND = {"FILE_NOT_FOUND", ERROR_FILE_NOT_FOUND}, NO_PATH = {"PATH_NOT_FOUND", ERROR_PATH_NOT_FOUND},
            TOO_MANY = {"TOO_MANY_OPEN_FILES", ERROR_TOO_MANY_OPEN_FILES},
            NETNAME = {"NETNAME_DELETED", ERROR_NETNAME_DELETED}, DISK_FULL = {"DISK_FULL", ERROR_DISK_FULL},
            HANDLE_FULL = {"HANDLE_DISK_FULL", ERROR_HANDLE_DISK_FULL}, IO = {"IO_DEVICE", ERROR_IO_DEVICE},
            CRC = {"CRC", ERROR_CRC}, NONE = {"", 0};

struct Fault {
    const char* mode;
    Error error;
};

// What a function is made to do at call index n of count. Opens, moves and
// deletes meet each error of their own, once and, for a held file or a lost
// share, for good; they do so on the inputs whose paths differ (full). The
// program treats every failure of the other calls alike, so each of their
// indexes meets one error in turn, and the first and last write a short one.
// Every call is killed before and after.
std::vector<Fault> faults_of(const std::string& call, unsigned long n, unsigned long count, bool full) {
    static const Error named_errors[] = {ACCESS,  SHARING,  LOCK,    NOT_READY, NOT_FOUND,
                                         NO_PATH, TOO_MANY, NETNAME, DISK_FULL},
                       read_errors[] = {IO, CRC, LOCK, NOT_READY, NETNAME},
                       write_errors[] = {DISK_FULL, HANDLE_FULL, IO, LOCK, NETNAME},
                       flush_errors[] = {DISK_FULL, IO, NETNAME}, close_errors[] = {DISK_FULL, NETNAME},
                       find_errors[] = {NOT_FOUND, ACCESS, NOT_READY, NETNAME}, other_errors[] = {NETNAME};
    std::vector<Fault> f;
    bool named = call == "CreateFileA" || call == "MoveFileExA" || call == "DeleteFileA";
    const Error* once = other_errors;
    size_t k = 1;
#define ERRORS(a) (once = a, k = sizeof a / sizeof a[0])
    if (named) {
        ERRORS(named_errors);
        if (full)
            for (Error e : {ACCESS, SHARING, LOCK, NETNAME}) f.push_back({"from", e});
    } else if (call == "ReadFile") {
        ERRORS(read_errors);
    } else if (call == "WriteFile") {
        ERRORS(write_errors);
        if (n == 1 || n == count) f.push_back({"short", NONE});
    } else if (call == "FlushFileBuffers") {
        ERRORS(flush_errors);
    } else if (call == "CloseHandle") {
        ERRORS(close_errors);
    } else if (call == "FindFirstFileA") {
        ERRORS(find_errors);
    }
#undef ERRORS
    if (named && full)
        for (size_t i = 0; i < k; i++) f.push_back({"once", once[i]});
    else f.push_back({"once", once[(n - 1) % k]});
    f.push_back({"kill_before", NONE});
    f.push_back({"kill_after", NONE});
    return f;
}

bool held(const Error& e) {
    return e.code == ERROR_ACCESS_DENIED || e.code == ERROR_SHARING_VIOLATION || e.code == ERROR_LOCK_VIOLATION;
}

const char* const EXCHANGE = "JWC_TEMP.TXT";
const char* const WORKING = "JWC_TEMP.104";
const char* const STEP = "JWC_TEMP.TXT.~case";
const std::vector<std::string> messages_1 = {
    "Cannot open file: JWC_TEMP.104 \r\n", "Cannot open file: JWC_TEMP.TXT \r\n",
    "Cannot write file: JWC_TEMP.104 \r\n", "Cannot read file: JWC_TEMP.TXT \r\n"};
const std::vector<std::string> messages_m1 = {"Cannot open file: JWC_TEMP.TXT \r\n",
                                              "Cannot open file: JWC_TEMP.104 \r\n",
                                              "Cannot read file: JWC_TEMP.TXT \r\n"};

int runs = 0, violated = 0;
std::map<std::string, int> endings;
std::string what;  // the run being checked

void violation(const std::string& why) {
    printf("VIOLATED [%s]: %s\n", what.c_str(), why.c_str());
    violated++;
}

std::string names_of(const Files& f) {
    std::string s;
    for (const auto& x : f) s += x.first + " ";
    return s;
}

bool same_name(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// The host's file: the one under JWC_TEMP.TXT or the host's name, in any
// spelling (names match regardless of case), or nullptr.
const std::string* host_file(const Files& f, const std::string& name, std::string* found) {
    const std::string* h = nullptr;
    for (const auto& x : f)
        if (same_name(x.first, EXCHANGE) || same_name(x.first, name)) {
            if (h) violation("both " + *found + " and " + x.first + " left");
            h = &x.second, *found = x.first;
        }
    return h;
}

bool in(const std::string& m, const std::vector<std::string>& set) {
    for (const auto& s : set)
        if (m == s) return true;
    return false;
}

// The clean run's files, the host's file's name aside.
bool same_files(const Files& a, const Files& b) {
    if (a.size() != b.size()) return false;
    for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j)
        if (!same_name(i->first, j->first) || i->second != j->second) return false;
    return true;
}

void same_as_clean(const Run& r, const Run& ref) {
    if (r.status != ref.status)
        return violation("status " + std::to_string(r.status) + ", clean run " + std::to_string(ref.status));
    if (r.out != ref.out) violation("standard output differs from the clean run's");
    if (r.err != ref.err) violation("standard error differs from the clean run's");
    if (!same_files(r.files, ref.files)) violation("files differ from the clean run's: " + names_of(r.files));
}

void check(const Run& r, const Run& ref, const std::string& input, const std::string& name, const std::string& call,
           const Fault& f) {
    runs++;
    bool kill = !strncmp(f.mode, "kill", 4);
    // A file held a moment is waited for, a short write finished, and a
    // failed look at a held file's kind means only one more wait: the clean
    // run's ending, exactly.
    bool named = call == "CreateFileA" || call == "MoveFileExA" || call == "DeleteFileA";
    bool retry = !strcmp(f.mode, "short") || (!strcmp(f.mode, "once") && held(f.error) && named) ||
                 (!strcmp(f.mode, "once") && call == "GetFileAttributesA");
    bool lasting_hold = !strcmp(f.mode, "from") && held(f.error);
    // A log line names the injected call's files: "MoveFileExA FROM TO".
    bool step_move = r.log.find(std::string(" ") + STEP) != std::string::npos;
    std::string ending = kill ? "killed" : "status " + std::to_string(r.status);
    if (!r.err.empty() && !kill) ending += ", " + r.err.substr(0, r.err.size() - 2);
    for (const auto& x : r.files)
        if (!same_name(x.first, EXCHANGE) && !same_name(x.first, WORKING) && !same_name(x.first, name) &&
            x.first != STEP)
            violation("left " + x.first);
    if (!kill) {
        auto w = r.report.find("waited");
        if (w == r.report.end()) violation("no report: the run did not end by itself");
        else if (w->second > 5000) violation("waited " + std::to_string(w->second) + " ms");
        else if (lasting_hold && (call == "CreateFileA" || call == "MoveFileExA" || call == "DeleteFileA") &&
                 w->second != 5000)
            violation("held for good, waited " + std::to_string(w->second) + " ms, not the 5000 ms");
    }
    std::string found;
    const std::string* host = host_file(r.files, name, &found);
    if (!host) {
        // Only under the intermediate name of the case change: a kill between
        // its two moves, or the second move and the way back both failing.
        auto s = r.files.find(STEP);
        if (s == r.files.end()) return violation("no exchange file left: " + names_of(r.files));
        if (s->second != input) return violation("under " + std::string(STEP) + ", not the input");
        if (kill && step_move) {
            endings["killed between the two moves of the case change: the input under JWC_TEMP.TXT.~case"]++;
            return;
        }
        bool way_back_failed =
            r.log.find("MoveFileExA " + std::string(STEP) + " " + name + "\r\n") != std::string::npos ||
            r.log.find("MoveFileExA " + std::string(STEP) + " " + name + "\n") != std::string::npos;
        if (!strcmp(f.mode, "from") && call == "MoveFileExA" && way_back_failed && r.status == -1 &&
            r.err == "Cannot open file: JWC_TEMP.TXT \r\n") {
            endings
                ["status -1, the second move of the case change and its way back failing for good: the input "
                 "under JWC_TEMP.TXT.~case"]++;
            return;
        }
        return violation("the input left only under " + std::string(STEP));
    }
    if (r.files.count(STEP)) violation("left " + std::string(STEP));
    endings[ending]++;
    const std::string& result = ref.files.count(EXCHANGE) ? ref.files.at(EXCHANGE) : input;
    if (kill) {
        if (r.status != 137) violation("status " + std::to_string(r.status) + ", expected the kill");
        if (*host != input && !(ref.status == 0 && *host == result))
            violation(found + " neither the input nor the complete result");
        return;
    }
    if (retry) return same_as_clean(r, ref);
    switch (r.status) {
    case 0:
        same_as_clean(r, ref);
        if (r.log.compare(0, 16, "FlushFileBuffers") == 0)
            violation("a failed flush of the result ended with status 0");
        break;
    case 1:
    case -1:
        if (r.err.empty() && r.status == 1) {
            same_as_clean(r, ref);  // the refusal of a long file: its "he" record in JWC_TEMP.104
            break;
        }
        if (!in(r.err, r.status == 1 ? messages_1 : messages_m1)) violation("message [" + r.err + "]");
        if (*host != input) violation("status " + std::to_string(r.status) + ", " + found + " changed");
        break;
    default:
        violation("status " + std::to_string(r.status));
    }
}

std::string records() {
    std::string s = "hp1 0 0\r\nhp2 1000 0\r\n";
    char line[64];
    for (int i = 0; i < 4998; i++) {
        snprintf(line, sizeof line, i % 5 == 4 ? "# comment %d\r\n" : "ch 0 0 1 0 \"t%d\r\n", i);
        s += line;
    }
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    unsigned share = 0, shares = 1;
    if ((argc != 3 && argc != 4) ||
        (argc == 4 && (sscanf(argv[3], "%u/%u", &share, &shares) != 2 || share >= shares))) {
        fprintf(stderr, "usage: win_faults_driver PROGRAM WORKDIR [K/N]\n");
        return 2;
    }
    prog = argv[1], work = argv[2], run_dir = work + "\\run";
    CreateDirectoryA(work.c_str(), nullptr);
    CreateDirectoryA(run_dir.c_str(), nullptr);
    std::string over;
    for (int i = 0; i < 150001; i++) over += "#\r\n";
    struct Case {
        const char* label;
        std::string input;
        const char* name;
        const char* args;
        bool full;  // every error at every open, move and delete
    } cases[] = {
        {"5000 records", records(), "JWC_TEMP.TXT", "/ZAB", true},
        {"5000 records /T3", records(), "JWC_TEMP.TXT", "/ZAB /T3", false},
        {"150001 lines", over, "JWC_TEMP.TXT", "/ZAB", false},
        {"lower-case name", "# a drawing\r\nhp1 0 0\r\nhp2 20 0\r\nch 0 0 1 0 \"t\r\n", "jwc_temp.txt", "/ZAB", true},
    };
    const char* calls[] = {"CreateFileA", "ReadFile",    "WriteFile",      "FlushFileBuffers", "CloseHandle",
                           "MoveFileExA", "DeleteFileA", "FindFirstFileA", "FindClose",        "GetFileAttributesA"};
    unsigned long total_calls = 0, planned = 0;
    DWORD t0 = GetTickCount();
    for (const Case& c : cases) {
        for (const char* v : {"FAULT_CALL", "FAULT_N", "FAULT_MODE", "FAULT_ERROR"})
            SetEnvironmentVariableA(v, nullptr);
        Run ref = run(c.input, c.name, c.args);
        printf("%s (%s %s): clean run status %ld, calls:", c.label, c.name, c.args, ref.status);
        for (const char* call : calls) {
            unsigned long n = ref.report[call];
            if (n) printf(" %s %lu", call, n);
            total_calls += n;
        }
        printf("\n");
        fflush(stdout);
        for (const char* call : calls) {
            unsigned long count = ref.report[call];
            for (unsigned long n = 1; n <= count; n++)
                for (const Fault& f : faults_of(call, n, count, c.full)) {
                    if (planned++ % shares != share) continue;
                    set("FAULT_CALL", call);
                    set("FAULT_N", std::to_string(n));
                    set("FAULT_MODE", f.mode);
                    set("FAULT_ERROR", std::to_string(f.error.code));
                    what = std::string(c.label) + ", " + call + " #" + std::to_string(n) + " " + f.mode +
                           (f.error.code ? std::string(" ") + f.error.name : "");
                    Run r = run(c.input, c.name, c.args);
                    check(r, ref, c.input, c.name, call, f);
                }
        }
    }
    // GetFileAttributesA is called only while a held file is waited for: the
    // exchange file's first open is refused once, and that wait's call fails
    // or is killed around.
    if (shares == 1 || share == 0) {
        const Case& c = cases[0];
        for (const char* v : {"FAULT_CALL", "FAULT_N", "FAULT_MODE", "FAULT_ERROR"})
            SetEnvironmentVariableA(v, nullptr);
        set("FAULT_HOLD", "CreateFileA 1");
        Run ref = run(c.input, c.name, c.args);
        unsigned long count = ref.report["GetFileAttributesA"];
        if (count != 1) {
            what = std::string(c.label) + ", the first open held a moment";
            violation("GetFileAttributesA called " + std::to_string(count) + " times while waiting, not once");
        }
        total_calls += count;
        for (unsigned long n = 1; n <= count; n++)
            for (Fault f : {Fault{"once", ACCESS}, Fault{"once", NOT_READY}, Fault{"kill_before", NONE},
                            Fault{"kill_after", NONE}}) {
                set("FAULT_CALL", "GetFileAttributesA");
                set("FAULT_N", std::to_string(n));
                set("FAULT_MODE", f.mode);
                set("FAULT_ERROR", std::to_string(f.error.code));
                what = std::string(c.label) + ", the first open held a moment, GetFileAttributesA #" +
                       std::to_string(n) + " " + f.mode + (f.error.code ? std::string(" ") + f.error.name : "");
                Run r = run(c.input, c.name, c.args);
                check(r, ref, c.input, c.name, "GetFileAttributesA", f);
            }
        SetEnvironmentVariableA("FAULT_HOLD", nullptr);
    }
    empty(run_dir);
    RemoveDirectoryA(run_dir.c_str());
    printf("endings:\n");
    for (const auto& e : endings) printf("  %5d  %s\n", e.second, e.first.c_str());
    printf("%lu s\n", (GetTickCount() - t0) / 1000);
    printf("windows faults: %d runs over %lu calls, %d violated\n", runs, total_calls, violated);
    return violated ? 1 : 0;
}
