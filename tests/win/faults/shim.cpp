// The fault injector of the Windows build (see shim.h): counts the program's
// calls of each Win32 function that the platform layer makes and makes one of
// them misbehave, as the environment says:
//
//   FAULT_CALL    the function, by its Win32 name (CreateFileA, ReadFile, ...)
//   FAULT_N       which call of it, counted from 1
//   FAULT_MODE    once   the Nth call fails with FAULT_ERROR (a Windows error
//                        number), doing nothing
//                 from   every call from the Nth on fails so
//                 short  from the Nth call on, WriteFile writes at most half
//                        the bytes asked for (at least one)
//                 kill_before / kill_after  the process is terminated just
//                        before or just after the Nth call, with status 137
//   FAULT_REPORT  a file that receives, when the process ends, a line
//                 "NAME COUNT" per function and "waited MS", the wait that
//                 the program asked of Sleep in all
//   FAULT_LOG     a file that receives a line per fault injected: the
//                 function and the names it was given
//   FAULT_HOLD    "NAME N": besides, the Nth call of NAME is refused once with
//                 ERROR_SHARING_VIOLATION, as by a file held for a moment,
//                 so that the calls made while it is waited for are reached
//
// Sleep only adds up what it is asked: a file held past the program's wait
// costs no real time. A CloseHandle or FindClose that fails has still closed
// the handle, as Windows does.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

namespace {

enum Call { CREATE, READ, WRITE, FLUSH, CLOSE, MOVE, REMOVE, FIND_FIRST, FIND_CLOSE, ATTRIBUTES, CALLS };
const char* const names[CALLS] = {"CreateFileA", "ReadFile",          "WriteFile",   "FlushFileBuffers",
                                  "CloseHandle", "MoveFileExA",       "DeleteFileA", "FindFirstFileA",
                                  "FindClose",   "GetFileAttributesA"};

enum Mode { NONE, ONCE, FROM, SHORT, KILL_BEFORE, KILL_AFTER };
enum Act { PASS, FAIL, SHORTEN, KILL_AFTER_CALL };

bool ready = false;
int target = -1;
unsigned long n_target = 0;
Mode mode = NONE;
DWORD error = ERROR_IO_DEVICE;
unsigned long counts[CALLS];
int hold_call = -1;
unsigned long hold_n = 0;
unsigned long long waited_ms = 0;
char report_path[MAX_PATH], log_path[MAX_PATH];

void report() {
    if (!report_path[0]) return;
    FILE* f = fopen(report_path, "w");
    if (!f) return;
    for (int i = 0; i < CALLS; i++) fprintf(f, "%s %lu\n", names[i], counts[i]);
    fprintf(f, "waited %llu\n", waited_ms);
    fclose(f);
}

void setup() {
    ready = true;
    char v[64];
    if (GetEnvironmentVariableA("FAULT_CALL", v, sizeof v) - 1 < sizeof v - 1)
        for (int i = 0; i < CALLS; i++)
            if (strcmp(v, names[i]) == 0) target = i;
    if (GetEnvironmentVariableA("FAULT_N", v, sizeof v) - 1 < sizeof v - 1) n_target = strtoul(v, nullptr, 10);
    if (GetEnvironmentVariableA("FAULT_ERROR", v, sizeof v) - 1 < sizeof v - 1) error = strtoul(v, nullptr, 10);
    if (GetEnvironmentVariableA("FAULT_MODE", v, sizeof v) - 1 < sizeof v - 1)
        mode = !strcmp(v, "once")          ? ONCE
               : !strcmp(v, "from")        ? FROM
               : !strcmp(v, "short")       ? SHORT
               : !strcmp(v, "kill_before") ? KILL_BEFORE
               : !strcmp(v, "kill_after")  ? KILL_AFTER
                                           : NONE;
    if (GetEnvironmentVariableA("FAULT_HOLD", v, sizeof v) - 1 < sizeof v - 1) {
        char name[64];
        if (sscanf(v, "%63s %lu", name, &hold_n) == 2)
            for (int i = 0; i < CALLS; i++)
                if (strcmp(name, names[i]) == 0) hold_call = i;
    }
    if (GetEnvironmentVariableA("FAULT_REPORT", report_path, MAX_PATH) >= MAX_PATH) report_path[0] = 0;
    if (GetEnvironmentVariableA("FAULT_LOG", log_path, MAX_PATH) >= MAX_PATH) log_path[0] = 0;
    atexit(report);
}

void log_fault(int call, const char* a, const char* b) {
    if (!log_path[0]) return;
    FILE* f = fopen(log_path, "a");
    if (!f) return;
    fprintf(f, "%s %s %s\n", names[call], a ? a : "-", b ? b : "-");
    fclose(f);
}

void kill() { TerminateProcess(GetCurrentProcess(), 137); }

// What to do with this call of `call`, after counting it.
Act decide(int call, const char* a = nullptr, const char* b = nullptr) {
    if (!ready) setup();
    unsigned long k = ++counts[call];
    if (call == hold_call && k == hold_n) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FAIL;
    }
    if (call != target) return PASS;
    Act act = PASS;
    switch (mode) {
    case ONCE:
        act = k == n_target ? FAIL : PASS;
        break;
    case FROM:
        act = k >= n_target ? FAIL : PASS;
        break;
    case SHORT:
        act = k >= n_target ? SHORTEN : PASS;
        break;
    case KILL_BEFORE:
        if (k == n_target) log_fault(call, a, b), kill();
        break;
    case KILL_AFTER:
        act = k == n_target ? KILL_AFTER_CALL : PASS;
        break;
    case NONE:
        break;
    }
    if (act == FAIL || act == KILL_AFTER_CALL) log_fault(call, a, b);
    if (act == FAIL) SetLastError(error);
    return act;
}

void after(Act a) {
    if (a == KILL_AFTER_CALL) kill();
}

// The usual call: failed, it does nothing and returns `failed`.
template <class R, class F, class... Args>
R call_or_fail(Act a, R failed, F real, Args... args) {
    if (a == FAIL) return failed;
    R r = real(args...);
    after(a);
    return r;
}

// A close: failed, it has still closed, as Windows does.
template <class F>
BOOL close_then_fail(Act a, F real, HANDLE h) {
    BOOL r = real(h);
    if (a == FAIL) {
        SetLastError(error);
        return FALSE;
    }
    after(a);
    return r;
}

}  // namespace

HANDLE fault_CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD how, DWORD flags,
                         HANDLE templ) {
    return call_or_fail(decide(CREATE, name), INVALID_HANDLE_VALUE, CreateFileA, name, access, share, sa, how, flags,
                        templ);
}

BOOL fault_ReadFile(HANDLE f, LPVOID buf, DWORD n, LPDWORD got, LPOVERLAPPED o) {
    Act a = decide(READ);
    if (a == FAIL) {
        if (got) *got = 0;
        return FALSE;
    }
    BOOL r = ReadFile(f, buf, n, got, o);
    after(a);
    return r;
}

BOOL fault_WriteFile(HANDLE f, LPCVOID buf, DWORD n, LPDWORD put, LPOVERLAPPED o) {
    Act a = decide(WRITE);
    if (a == FAIL) {
        if (put) *put = 0;
        return FALSE;
    }
    if (a == SHORTEN && n > 1) n = (n + 1) / 2;
    BOOL r = WriteFile(f, buf, n, put, o);
    after(a);
    return r;
}

BOOL fault_FlushFileBuffers(HANDLE f) { return call_or_fail(decide(FLUSH), FALSE, FlushFileBuffers, f); }

BOOL fault_CloseHandle(HANDLE f) { return close_then_fail(decide(CLOSE), CloseHandle, f); }

BOOL fault_MoveFileExA(LPCSTR from, LPCSTR to, DWORD how) {
    return call_or_fail(decide(MOVE, from, to), FALSE, MoveFileExA, from, to, how);
}

BOOL fault_DeleteFileA(LPCSTR name) { return call_or_fail(decide(REMOVE, name), FALSE, DeleteFileA, name); }

HANDLE fault_FindFirstFileA(LPCSTR name, LPWIN32_FIND_DATAA fd) {
    return call_or_fail(decide(FIND_FIRST, name), INVALID_HANDLE_VALUE, FindFirstFileA, name, fd);
}

BOOL fault_FindClose(HANDLE f) { return close_then_fail(decide(FIND_CLOSE), FindClose, f); }

DWORD fault_GetFileAttributesA(LPCSTR name) {
    return call_or_fail(decide(ATTRIBUTES, name), INVALID_FILE_ATTRIBUTES, GetFileAttributesA, name);
}

void fault_Sleep(DWORD ms) {
    if (!ready) setup();
    waited_ms += ms;
}
