// The OS calls of the platform layer, as one table of function pointers that
// os_posix.cpp or os_win.cpp fills with the OS's own functions and calls
// through. The program never changes it; the fault-injection build of the
// same sources (tests/faults/inject.cpp) puts its own functions in, which
// fail, shorten or kill a call by its index. One indirect call each is all it
// costs the shipped program. Only os_posix.cpp, os_win.cpp and the injector
// include this header.
#pragma once

#ifdef _WIN32
#include <windows.h>

struct OsCalls {
    HANDLE(WINAPI* CreateFileA)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
    BOOL(WINAPI* ReadFile)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
    BOOL(WINAPI* WriteFile)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
    BOOL(WINAPI* FlushFileBuffers)(HANDLE);
    BOOL(WINAPI* CloseHandle)(HANDLE);
    BOOL(WINAPI* MoveFileExA)(LPCSTR, LPCSTR, DWORD);
    BOOL(WINAPI* DeleteFileA)(LPCSTR);
    HANDLE(WINAPI* FindFirstFileA)(LPCSTR, LPWIN32_FIND_DATAA);
    BOOL(WINAPI* FindClose)(HANDLE);
    DWORD(WINAPI* GetFileAttributesA)(LPCSTR);
    void(WINAPI* Sleep)(DWORD);
};
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/types.h>

struct OsCalls {
    int (*open)(const char*, int, ...);
    ssize_t (*read)(int, void*, size_t);
    ssize_t (*write)(int, const void*, size_t);
    int (*fsync)(int);
    int (*close)(int);
    int (*rename)(const char*, const char*);
    int (*unlink)(const char*);
    DIR* (*opendir)(const char*);
    struct dirent* (*readdir)(DIR*);
    int (*closedir)(DIR*);
#ifdef __linux__
    int (*sync_file_range)(int, off64_t, off64_t, unsigned int);  // the write-behind hint
#endif
};
#endif

extern OsCalls os_calls;
