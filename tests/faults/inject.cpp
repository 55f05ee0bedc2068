// The fault injector of the fault-injection build (linetext_faults): linked
// with the program's own sources, it puts its functions into the platform
// layer's table of OS calls (src/platform/os_calls.h) before main runs. They
// count the calls of each function and make one misbehave, as told:
//
//   FAULT_CALL    the function by the OS's name (open, read, ...; CreateFileA, ...)
//   FAULT_N       which call of it, counted from 1
//   FAULT_MODE    once: the Nth call fails with FAULT_ERROR (errno, or a
//                 Windows error number), doing nothing; from: every call from
//                 the Nth on fails so; short: from the Nth call on, read and
//                 write move at most half the bytes asked for (at least one);
//                 zero: from the Nth call on, a write moves nothing and
//                 reports success with 0 bytes written; a process still
//                 writing 1000 calls later, calling again without end, is
//                 killed as by kill_before, not left to hang;
//                 kill_before, kill_after: the process is killed around the
//                 Nth call (SIGKILL; on Windows terminated with status 137)
//   FAULT_HOLD    "NAME N" (Windows): the Nth call of NAME is refused once as
//                 by a file held a moment, so that the wait's calls are reached
//   FAULT_REPORT  a file that receives at the end "NAME COUNT" per function,
//                 and on Windows "waited MS", the sum of the Sleeps asked for
//                 (Sleep only adds it up)
//   FAULT_LOG     a file that receives a line per fault: the function and the
//                 names it was given ("file" or "dir" for fsync)
//   FAULT_BROKEN  "1": a broken program for the driver's self-test: a read,
//                 write, sync or move that is to fail does nothing and reports
//                 success, as if the program never looked at results
//
// A close that fails has still closed, as the OS does.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "platform/os_calls.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <errno.h>
#include <signal.h>
#include <stdarg.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
enum Call { OPEN, READ, WRITE, FLUSH, CLOSE, MOVE, REMOVE, FIND_FIRST, FIND_CLOSE, ATTRIBUTES, CALLS };
const char* const names[CALLS] = {"CreateFileA", "ReadFile",          "WriteFile",   "FlushFileBuffers",
                                  "CloseHandle", "MoveFileExA",       "DeleteFileA", "FindFirstFileA",
                                  "FindClose",   "GetFileAttributesA"};
#else
enum Call { OPEN, READ, WRITE, FSYNC, CLOSE, RENAME, UNLINK, OPENDIR, READDIR, CLOSEDIR, SYNC_RANGE, CALLS };
const char* const names[CALLS] = {"open",   "read",    "write",   "fsync",    "close",          "rename",
                                  "unlink", "opendir", "readdir", "closedir", "sync_file_range"};
#endif

enum Mode { NONE, ONCE, FROM, SHORT, ZERO, KILL_BEFORE, KILL_AFTER };
enum Act { PASS, FAIL, SHORTEN, MOVE_NONE, KILL_AFTER_CALL, SKIP };

OsCalls os;  // the OS's own functions
int target = -1, hold_call = -1;
unsigned long n_target = 0, hold_n = 0, counts[CALLS];
Mode mode = NONE;
bool broken = false;
long error = 5;

#ifdef _WIN32
extern unsigned long long waited_ms;
#endif

int call_named(const char* n) {
    for (int i = 0; n && i < CALLS; i++)
        if (strcmp(n, names[i]) == 0) return i;
    return -1;
}

void report() {
    const char* path = getenv("FAULT_REPORT");
    FILE* f = path ? fopen(path, "w") : nullptr;
    if (!f) return;
    for (int i = 0; i < CALLS; i++) fprintf(f, "%s %lu\n", names[i], counts[i]);
#ifdef _WIN32
    fprintf(f, "waited %llu\n", waited_ms);
#endif
    fclose(f);
}

void log_fault(int call, const char* a, const char* b) {
    const char* path = getenv("FAULT_LOG");
    FILE* f = path ? fopen(path, "a") : nullptr;
    if (!f) return;
    fprintf(f, "%s %s %s\n", names[call], a ? a : "-", b ? b : "-");
    fclose(f);
}

void set_error(long e) {
#ifdef _WIN32
    SetLastError(static_cast<DWORD>(e));
#else
    errno = static_cast<int>(e);
#endif
}

void kill_now() {
#ifdef _WIN32
    TerminateProcess(GetCurrentProcess(), 137);
#else
    kill(getpid(), SIGKILL);
#endif
}

// What to do with this call of `call`, after counting it; a, b name what it
// was given, for the log.
Act decide(int call, const char* a = nullptr, const char* b = nullptr) {
    const unsigned long k = ++counts[call];
    if (call == hold_call && k == hold_n) return set_error(32), FAIL;  // ERROR_SHARING_VIOLATION
    const bool from_nth = mode == FROM || mode == SHORT || mode == ZERO;
    if (call != target || mode == NONE || (from_nth ? k < n_target : k != n_target)) return PASS;
    if (mode == SHORT) return SHORTEN;
    if (mode == ZERO) {
        if (k - n_target >= 1000) kill_now();
        return MOVE_NONE;
    }
    log_fault(call, a, b);
    if (mode == KILL_BEFORE) kill_now();
    if (mode == KILL_AFTER) return KILL_AFTER_CALL;
    if (broken) return SKIP;
    set_error(error);
    return FAIL;
}

template <class R>
R after(Act a, R r) {
    if (a == KILL_AFTER_CALL) kill_now();
    return r;
}

// The usual call: failed, it does nothing and returns `failed`; in the broken
// build, a read, write, sync or move to fail does nothing and returns
// `skipped`, any other call is made.
template <class R, class F, class... Args>
R through(Act a, R failed, R skipped, F real, Args... args) {
    if (a == FAIL) return failed;
    if (a == SKIP && skipped != failed) return skipped;
    return after(a, real(args...));
}
template <class R, class F, class... Args>
R through(Act a, R failed, F real, Args... args) {
    return through(a, failed, failed, real, args...);
}

// A close: failed, it has still closed.
template <class R, class F, class H>
R closing(Act a, R failed, F real, H h) {
    R r = real(h);
    if (a == FAIL) return set_error(error), failed;
    return after(a, r);
}

#ifdef _WIN32
HANDLE WINAPI create(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD how, DWORD flags,
                     HANDLE templ) {
    return through(decide(OPEN, name), INVALID_HANDLE_VALUE, os.CreateFileA, name, access, share, sa, how, flags,
                   templ);
}
BOOL WINAPI read_file(HANDLE f, LPVOID buf, DWORD n, LPDWORD got, LPOVERLAPPED o) {
    Act a = decide(READ);
    if (a == FAIL || a == SKIP) *got = 0;
    if (a == SHORTEN && n > 1) n = (n + 1) / 2;
    return through(a, FALSE, TRUE, os.ReadFile, f, buf, n, got, o);
}
BOOL WINAPI write_file(HANDLE f, LPCVOID buf, DWORD n, LPDWORD put, LPOVERLAPPED o) {
    Act a = decide(WRITE);
    if (a == MOVE_NONE) return *put = 0, TRUE;
    if (a == FAIL || a == SKIP) *put = a == SKIP ? n : 0;
    if (a == SHORTEN && n > 1) n = (n + 1) / 2;
    return through(a, FALSE, TRUE, os.WriteFile, f, buf, n, put, o);
}
BOOL WINAPI flush(HANDLE f) { return through(decide(FLUSH, "file"), FALSE, TRUE, os.FlushFileBuffers, f); }
BOOL WINAPI close_handle(HANDLE f) { return closing(decide(CLOSE), FALSE, os.CloseHandle, f); }
BOOL WINAPI move(LPCSTR from, LPCSTR to, DWORD how) {
    return through(decide(MOVE, from, to), FALSE, TRUE, os.MoveFileExA, from, to, how);
}
BOOL WINAPI delete_file(LPCSTR name) { return through(decide(REMOVE, name), FALSE, os.DeleteFileA, name); }
HANDLE WINAPI find_first(LPCSTR name, LPWIN32_FIND_DATAA fd) {
    return through(decide(FIND_FIRST, name), INVALID_HANDLE_VALUE, os.FindFirstFileA, name, fd);
}
BOOL WINAPI find_close(HANDLE f) { return closing(decide(FIND_CLOSE), FALSE, os.FindClose, f); }
DWORD WINAPI attributes(LPCSTR name) {
    return through(decide(ATTRIBUTES, name), INVALID_FILE_ATTRIBUTES, os.GetFileAttributesA, name);
}
unsigned long long waited_ms = 0;
void WINAPI add_wait(DWORD ms) { waited_ms += ms; }
#else
int open_file(const char* path, int flags, ...) {
    mode_t m = 0;
    if (flags & O_CREAT) {
        va_list ap;
        va_start(ap, flags);
        m = static_cast<mode_t>(va_arg(ap, int));
        va_end(ap);
    }
    Act a = decide(OPEN, path);
    return a == FAIL ? -1 : after(a, os.open(path, flags, m));
}
ssize_t read_file(int fd, void* buf, size_t n) {
    Act a = decide(READ);
    if (a == SHORTEN && n > 1) n = (n + 1) / 2;
    return through(a, ssize_t(-1), ssize_t(0), os.read, fd, buf, n);
}
ssize_t write_file(int fd, const void* buf, size_t n) {
    Act a = decide(WRITE);
    if (a == MOVE_NONE) return 0;
    const ssize_t all = static_cast<ssize_t>(n);
    if (a == SHORTEN && n > 1) n = (n + 1) / 2;
    return through(a, ssize_t(-1), all, os.write, fd, buf, n);
}
int sync_file(int fd) {
    struct stat st;
    return through(decide(FSYNC, fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) ? "dir" : "file"), -1, 0, os.fsync, fd);
}
int close_file(int fd) { return closing(decide(CLOSE), -1, os.close, fd); }
int rename_file(const char* from, const char* to) {
    return through(decide(RENAME, from, to), -1, 0, os.rename, from, to);
}
int unlink_file(const char* path) { return through(decide(UNLINK, path), -1, os.unlink, path); }
DIR* open_dir(const char* path) { return through(decide(OPENDIR, path), static_cast<DIR*>(nullptr), os.opendir, path); }
struct dirent* read_dir(DIR* d) {
    return through(decide(READDIR), static_cast<struct dirent*>(nullptr), os.readdir, d);
}
int close_dir(DIR* d) { return closing(decide(CLOSEDIR), -1, os.closedir, d); }
#ifdef __linux__
int sync_range(int fd, off64_t offset, off64_t n, unsigned int flags) {
    return through(decide(SYNC_RANGE), -1, os.sync_file_range, fd, offset, n, flags);
}
#endif
#endif

// In place before main: the table's entries go through the functions above.
struct Install {
    Install() {
        target = call_named(getenv("FAULT_CALL"));
        if (const char* n = getenv("FAULT_N")) n_target = strtoul(n, nullptr, 10);
        if (const char* e = getenv("FAULT_ERROR")) error = strtol(e, nullptr, 10);
        broken = getenv("FAULT_BROKEN") && !strcmp(getenv("FAULT_BROKEN"), "1");
        const char* const modes[] = {"", "once", "from", "short", "zero", "kill_before", "kill_after"};
        const char* m = getenv("FAULT_MODE");
        for (int i = ONCE; m && i <= KILL_AFTER; i++)
            if (!strcmp(m, modes[i])) mode = static_cast<Mode>(i);
        if (const char* h = getenv("FAULT_HOLD")) {
            char name[64];
            if (sscanf(h, "%63s %lu", name, &hold_n) == 2) hold_call = call_named(name);
        }
        atexit(report);
        os = os_calls;
#ifdef _WIN32
        os_calls = {create,      read_file,  write_file, flush,      close_handle, move,
                    delete_file, find_first, find_close, attributes, add_wait};
#else
        os_calls = {open_file,   read_file,   write_file, sync_file, close_file,
                    rename_file, unlink_file, open_dir,   read_dir,  close_dir,
#ifdef __linux__
                    sync_range
#endif
        };
#endif
    }
} install;

}  // namespace
