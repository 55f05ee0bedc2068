// Runs many cases of the cross-build comparison (tests/cross_diff.sh) in one
// process of a Windows build, for where every start of Wine costs seconds: a
// 32-bit Wine that QEMU emulates starts in about 3 s, and one start then runs
// them all. Built from linetext.exe's own library and flags (tests/win/
// CMakeLists.txt), it makes for each case the call that linetext.exe's main
// makes, so a case ends as linetext.exe ends, with its files, console and status.
//
//   batch_runner CASES OUT LIST
//
// For each name in the file LIST (one a line): the arguments are the lines of
// CASES\NAME\args; the run goes in OUT\NAME\dir, which holds the case's
// files already; standard output and error go to OUT\NAME\stdout and
// OUT\NAME\stderr and the exit status, as a shell shows it, to OUT\NAME\status:
// what tests/e2e/run_case.sh --results leaves for a run of linetext.exe.
// Exit status 0; 1 after a case that could not be set up (named on the
// runner's standard error; it has no status file); 2 for a wrong call.
//
// What one run leaves for the next: the run state, put back by run_linetext;
// the caches of pure results (docs/design.md), which change no byte; and the
// Windows wait for a held file (os_win.cpp), a budget of 5 s for the whole
// process, which these cases never draw on: nothing else holds their files.
#include <direct.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "run/run.h"

namespace {

// The bytes of a file, or false when it cannot be read.
bool read_all(const std::string& name, std::string& bytes) {
    FILE* f = std::fopen(name.c_str(), "rb");
    if (!f) return false;
    char buf[4096];
    size_t n;
    bytes.clear();
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    return std::fclose(f) == 0;
}

// The lines as bash's mapfile -t gives them to run_case.sh: each up to its
// '\n', and the rest after the last one when it is not empty.
std::vector<std::string> lines(const std::string& bytes) {
    std::vector<std::string> out;
    size_t start = 0, end;
    while ((end = bytes.find('\n', start)) != std::string::npos) {
        out.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    if (start < bytes.size()) out.push_back(bytes.substr(start));
    return out;
}

int original_stderr = -1;  // the runner's own, for what goes wrong

bool fail(const std::string& what) {
    const std::string line = "batch_runner: " + what + "\n";
    _write(original_stderr, line.data(), static_cast<unsigned>(line.size()));
    return false;
}

// One case, as run_case.sh --results runs linetext.exe.
bool run_case(const std::string& cases, const std::string& out, const std::string& name) {
    const std::string o = out + "\\" + name;
    std::string args_bytes;
    if (!read_all(cases + "\\" + name + "\\args", args_bytes)) args_bytes.clear();  // no file: no arguments
    std::vector<std::string> args = lines(args_bytes);
    std::vector<char*> argv{const_cast<char*>("linetext.exe")};
    for (std::string& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);

    if (_chdir((o + "\\dir").c_str()) != 0) return fail("cannot enter " + o + "\\dir");
    if (!std::freopen((o + "\\stdout").c_str(), "w", stdout) || !std::freopen((o + "\\stderr").c_str(), "w", stderr))
        return fail("cannot write the console files of " + o);
    const int status = run_linetext(static_cast<int>(argv.size() - 1), argv.data());
    std::fflush(stdout);
    std::fflush(stderr);

    FILE* f = std::fopen((o + "\\status").c_str(), "wb");
    if (!f || std::fprintf(f, "%d\n", status & 0xff) < 0 || std::fclose(f) != 0)
        return fail("cannot write " + o + "\\status");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    original_stderr = _dup(2);
    std::string list;
    if (argc != 4 || !read_all(argv[3], list)) {
        fail("usage: batch_runner CASES OUT LIST, LIST a file that can be read");
        return 2;
    }
    int status = 0;
    for (const std::string& name : lines(list))
        if (!run_case(argv[1], argv[2], name)) status = 1;
    return status;
}
