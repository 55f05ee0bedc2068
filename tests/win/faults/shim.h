// The fault-injection build of the Windows side of the platform layer: every
// Win32 call that os_win.cpp makes goes through shim.cpp, which counts the
// calls and fails the one it is told to. Included ahead of os_win.cpp
// (os_win_faults.cpp); the shipped program is built without it.
#pragma once

#include <windows.h>

HANDLE fault_CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD how, DWORD flags,
                         HANDLE templ);
BOOL fault_ReadFile(HANDLE f, LPVOID buf, DWORD n, LPDWORD got, LPOVERLAPPED o);
BOOL fault_WriteFile(HANDLE f, LPCVOID buf, DWORD n, LPDWORD put, LPOVERLAPPED o);
BOOL fault_FlushFileBuffers(HANDLE f);
BOOL fault_CloseHandle(HANDLE f);
BOOL fault_MoveFileExA(LPCSTR from, LPCSTR to, DWORD how);
BOOL fault_DeleteFileA(LPCSTR name);
HANDLE fault_FindFirstFileA(LPCSTR name, LPWIN32_FIND_DATAA fd);
BOOL fault_FindClose(HANDLE f);
DWORD fault_GetFileAttributesA(LPCSTR name);
void fault_Sleep(DWORD ms);

#define CreateFileA fault_CreateFileA
#define ReadFile fault_ReadFile
#define WriteFile fault_WriteFile
#define FlushFileBuffers fault_FlushFileBuffers
#define CloseHandle fault_CloseHandle
#define MoveFileExA fault_MoveFileExA
#define DeleteFileA fault_DeleteFileA
#define FindFirstFileA fault_FindFirstFileA
#define FindClose fault_FindClose
#define GetFileAttributesA fault_GetFileAttributesA
#define Sleep fault_Sleep
