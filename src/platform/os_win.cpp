// Windows side of the platform layer.
#ifdef _WIN32

#include "platform/os.h"

#include <string.h>
#include <windows.h>

// The runtime expands unquoted * and ? arguments into the matching file names
// before main runs, as the host's console start-up does.
extern "C" {
int _dowildcard = -1;
}

static HANDLE h(OsFile f) { return reinterpret_cast<HANDLE>(f); }

static OsFile wrap(HANDLE x) {
    return x == INVALID_HANDLE_VALUE ? OS_NO_FILE : reinterpret_cast<OsFile>(x);
}

OsFile os_open_read(const char* name) {
    return wrap(CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

OsFile os_open_write(const char* name) {
    return wrap(CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
}

long os_read(OsFile f, void* buf, long n) {
    DWORD got = 0;
    if (!ReadFile(h(f), buf, static_cast<DWORD>(n), &got, nullptr))
        return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
    return static_cast<long>(got);
}

long os_write(OsFile f, const void* buf, long n) {
    const char* p = static_cast<const char*>(buf);
    long done = 0;
    while (done < n) {
        DWORD put = 0;
        if (!WriteFile(h(f), p + done, static_cast<DWORD>(n - done), &put, nullptr) || put == 0) return -1;
        done += static_cast<long>(put);
    }
    return done;
}

int os_sync(OsFile f) {
    if (FlushFileBuffers(h(f))) return 0;
    // Devices and pipes cannot be flushed; that is no loss of data.
    DWORD e = GetLastError();
    return (e == ERROR_INVALID_HANDLE || e == ERROR_INVALID_FUNCTION) ? 0 : -1;
}

void os_write_behind(OsFile, long long, long long) {}

int os_close(OsFile f) { return CloseHandle(h(f)) ? 0 : -1; }

int os_replace(const char* from, const char* to) {
    const DWORD how = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    // A rename that changes only the case of a name keeps the old spelling on
    // some file systems; going through a name of our own gives the new one.
    if (lstrcmpiA(from, to) == 0) {
        const char* step = "JWC_TEMP.~CASE";
        if (!MoveFileExA(from, step, how)) return -1;
        return MoveFileExA(step, to, how) ? 0 : -1;
    }
    return MoveFileExA(from, to, how) ? 0 : -1;
}

// Names match regardless of case here, so the file system finds the file
// under any case; only its stored spelling may need the upper-case form.
int os_find_case_variant(const char* lower, const char* upper, char* out) {
    (void)lower;
    WIN32_FIND_DATAA fd;
    HANDLE f = FindFirstFileA(upper, &fd);
    if (f == INVALID_HANDLE_VALUE) return 0;
    FindClose(f);
    if (strcmp(fd.cFileName, upper) == 0 || strlen(fd.cFileName) != strlen(upper)) return 0;
    strcpy(out, fd.cFileName);
    return 1;
}

#endif
