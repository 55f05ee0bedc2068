// Windows side of the platform layer.

#include <string.h>
#include <windows.h>

#include "platform/os.h"
#include "platform/os_calls.h"

OsCalls os_calls = {CreateFileA, ReadFile,       WriteFile, FlushFileBuffers,   CloseHandle, MoveFileExA,
                    DeleteFileA, FindFirstFileA, FindClose, GetFileAttributesA, Sleep};

// The runtime expands unquoted * and ? arguments into the matching file names
// before main runs, as the host's console start-up does.
extern "C" {
int _dowildcard = -1;
}

static HANDLE h(OsFile f) { return reinterpret_cast<HANDLE>(f); }

// Virus scanners, indexers and preview panes open a freshly written file for
// a moment without letting others move or delete it. Opening the exchange file
// or the working copy and the replacing move are therefore tried again while
// the file is held: 5 s in all over the run, short waits growing from 10 ms
// to 100 ms. Any other error fails at once. The budget is for the whole run,
// not per call, so it is state of its own; it lives here, beside the only
// code that waits, since nothing above the seam knows of holding or waiting.
static DWORD lock_wait_left_ms = 5000;
static DWORD lock_wait_step_ms = 10;

// Called right after a failed call on `name`: 1 when it is worth trying again
// (the wait is done), 0 when the failure stands. A directory in the file's
// place is refused with ERROR_ACCESS_DENIED too, but no wait will change it.
static int wait_for_lock(const char* name) {
    DWORD e = GetLastError();
    if ((e != ERROR_SHARING_VIOLATION && e != ERROR_LOCK_VIOLATION && e != ERROR_ACCESS_DENIED) ||
        lock_wait_left_ms == 0)
        return 0;
    DWORD a = os_calls.GetFileAttributesA(name);
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) return 0;
    DWORD ms = lock_wait_step_ms < lock_wait_left_ms ? lock_wait_step_ms : lock_wait_left_ms;
    os_calls.Sleep(ms);
    lock_wait_left_ms -= ms;
    lock_wait_step_ms = lock_wait_step_ms * 2 < 100 ? lock_wait_step_ms * 2 : 100;
    return 1;
}

static HANDLE open_file(const char* name, DWORD access, DWORD share, DWORD how) {
    HANDLE x;
    do x = os_calls.CreateFileA(name, access, share, nullptr, how, FILE_ATTRIBUTE_NORMAL, nullptr);
    while (x == INVALID_HANDLE_VALUE && wait_for_lock(name));
    return x;
}

static int move_file(const char* from, const char* to) {
    while (!os_calls.MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        if (!wait_for_lock(to)) return -1;
    return 0;
}

static OsFile wrap(HANDLE x) { return x == INVALID_HANDLE_VALUE ? OS_NO_FILE : reinterpret_cast<OsFile>(x); }

OsFile os_open_read(const char* name) {
    return wrap(open_file(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING));
}

OsFile os_create_new(const char* name) {
    // Deleting a link deletes the link; should the name stay, CREATE_NEW fails.
    while (!os_calls.DeleteFileA(name) && GetLastError() != ERROR_FILE_NOT_FOUND && wait_for_lock(name)) {}
    return wrap(open_file(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, CREATE_NEW));
}

long os_read(OsFile f, void* buf, long n) {
    DWORD got = 0;
    if (!os_calls.ReadFile(h(f), buf, static_cast<DWORD>(n), &got, nullptr))
        return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
    return static_cast<long>(got);
}

long os_write(OsFile f, const void* buf, long n) {
    const char* p = static_cast<const char*>(buf);
    long done = 0;
    while (done < n) {
        DWORD put = 0;
        if (!os_calls.WriteFile(h(f), p + done, static_cast<DWORD>(n - done), &put, nullptr) || put == 0) return -1;
        done += static_cast<long>(put);
    }
    return done;
}

int os_sync(OsFile f) {
    if (os_calls.FlushFileBuffers(h(f))) return 0;
    // Devices and pipes cannot be flushed; that is no loss of data.
    DWORD e = GetLastError();
    return (e == ERROR_INVALID_HANDLE || e == ERROR_INVALID_FUNCTION) ? 0 : -1;
}

void os_write_behind(OsFile, long long, long long) {}

int os_close(OsFile f) { return os_calls.CloseHandle(h(f)) ? 0 : -1; }

// The file that answers to name, in fd (its stored spelling in cFileName);
// 0 when none does.
static int find_file(const char* name, WIN32_FIND_DATAA* fd) {
    HANDLE f = os_calls.FindFirstFileA(name, fd);
    if (f == INVALID_HANDLE_VALUE) return 0;
    os_calls.FindClose(f);
    return 1;
}

// Whether the directory holds name in exactly this spelling. When it cannot
// be told, the answer is yes: no further move is made on a guess.
static int stored_as(const char* name) {
    WIN32_FIND_DATAA fd;
    return !find_file(name, &fd) || strcmp(fd.cFileName, name) == 0;
}

int os_replace(const char* from, const char* to) {
    if (lstrcmpiA(from, to) != 0) return move_file(from, to);
    // A move that changes only the case of a name gives the new spelling in
    // one step on Windows' own file systems. Some keep the old spelling (so
    // does Wine) or refuse the move; there the file goes through a name of
    // our own. Should the second of those moves fail, the file goes back to
    // the name it came with, where the run and the host still find it.
    if (move_file(from, to) == 0 && stored_as(to)) return 0;
    char step[MAX_PATH];
    size_t n = strlen(to);
    if (n + sizeof OS_CASE_STEP > sizeof step) return -1;
    memcpy(step, to, n);
    memcpy(step + n, OS_CASE_STEP, sizeof OS_CASE_STEP);
    if (move_file(from, step) != 0) return -1;
    if (move_file(step, to) == 0) return 0;
    move_file(step, from);
    return -1;
}

// MOVEFILE_WRITE_THROUGH has made the replacement durable.
int os_sync_dir() { return 0; }

// Names match regardless of case here, so the file system finds the file
// under any case; only its stored spelling may need the upper-case form.
int os_find_case_variant(const char* lower, const char* upper, char* out) {
    (void)lower;
    WIN32_FIND_DATAA fd;
    if (!find_file(upper, &fd)) return 0;
    if (strcmp(fd.cFileName, upper) == 0 || strlen(fd.cFileName) != strlen(upper)) return 0;
    strcpy(out, fd.cFileName);
    return 1;
}
