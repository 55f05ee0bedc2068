// The operating system, as the rest of the program sees it. os_posix.cpp and
// os_win.cpp implement it, os_stdio.cpp the console streams for
// both; nothing outside src/platform/ includes an OS header.
#pragma once

#include <cstdint>

// A raw file: an OS handle, or OS_NO_FILE. Bytes go in and out unchanged;
// line-end translation is textfile.cpp's business.
typedef std::intptr_t OsFile;
const OsFile OS_NO_FILE = -1;

OsFile os_open_read(const char* name);
// A new, empty file of this process under name: whatever the name held (a
// file, a link) is removed first, the link itself and never what it points
// to, and the file is created exclusively, never through a link. A name that
// cannot be freed (a directory) makes it fail.
OsFile os_create_new(const char* name);
// Both return the number of bytes moved, 0 at end of file, -1 on error.
long os_read(OsFile f, void* buf, long n);
long os_write(OsFile f, const void* buf, long n);
int os_sync(OsFile f);  // 0, or -1 when the data could not be made durable
// Starts writing bytes offset to offset + n of the file to the disk and does
// not wait for them: a later os_sync then has less to wait for. Only a hint;
// where the OS has no such call it does nothing.
void os_write_behind(OsFile f, long long offset, long long n);
int os_close(OsFile f);  // 0, or -1

// Moves `from` to `to` in one step, replacing `to` if it exists: at every
// moment `to` holds either its old bytes or all of `from`'s. 0, or -1.
// Where the file system keeps a name's old spelling when only its case
// changes, the file passes through `to` with OS_CASE_STEP behind it.
int os_replace(const char* from, const char* to);
#define OS_CASE_STEP ".~case"
// Makes the entries of the current directory, such as a name just replaced,
// durable. 0, or -1. Where the OS makes the replacement itself durable, it
// does nothing.
int os_sync_dir();

// Looks in the current directory for a file named `upper` under any mix of
// upper and lower case (`lower` is the same name in lower case). On a file
// system that tells cases apart it prefers exactly `lower`, else the byte-wise
// smallest variant other than `upper`; the name found is stored in out (as
// long as `upper` with its terminator, at least) and 1 returned. Returns 0
// when no variant other than `upper` itself needs renaming.
int os_find_case_variant(const char* lower, const char* upper, char* out);

// Standard output and standard error. Bytes go out as the platform's console
// streams take them.
void os_stdout(const char* s, int n);
void os_stderr(const char* s, int n);
