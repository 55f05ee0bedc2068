// Text-mode files that behave alike on every platform: the bytes are read and
// written in binary, and the line ends are translated here. Reading turns
// CR LF into LF (a lone CR stays, byte 0x1A is an ordinary byte); writing
// turns every LF into CR LF.
//
// Files come from a small static pool: nothing is allocated on the heap.
#pragma once

struct TextFile;

TextFile* tf_open_read(const char* name);   // nullptr when it cannot be opened
TextFile* tf_open_write(const char* name);  // created or emptied; nullptr on failure
TextFile* tf_open_new(const char* name);    // os_create_new's file; nullptr on failure

// For a file that will be synced when it is closed: its bytes are handed to
// the disk as they are flushed, a megabyte at a time, so that the sync finds
// little left to wait for.
void tf_write_behind(TextFile* f);

// Reads one line: up to and including its line feed, at most size - 1 bytes,
// NUL-terminated. Returns the number of bytes read (the line may hold NUL
// bytes of its own), or -1 at end of file or on a read error (which
// tf_failed then tells).
int tf_gets(TextFile* f, char* buf, int size);

// Where the last read's first NUL byte of its own is, or -1 when it holds none.
int tf_last_nul(const TextFile* f);

// Writes n bytes. Returns n, or -1 once the file has seen a write error.
int tf_write(TextFile* f, const char* s, int n);

// Writes one read as tf_gets gave it: the read's only line feed, if any, is
// its last byte. The bytes go over in blocks of TF_READ_PAD, so s must have
// room for n rounded up to a multiple of TF_READ_PAD.
enum { TF_READ_PAD = 16 };
int tf_write_read(TextFile* f, const char* s, int n);

// One formatted print (format.h's conversions). Returns the number of bytes
// formatted, or -1 once the file has seen a write error.
int tf_printf(TextFile* f, const char* fmt, ...);

// Copies lines from in to out as a loop of tf_gets with a buffer of size bytes
// (at most TF_COPY_SIZE_MAX) and tf_write of each line would, until limit
// lines are copied or the input ends, and returns the number of lines copied.
// The bytes go over in runs.
enum { TF_COPY_SIZE_MAX = 256 };
unsigned tf_copy_lines(TextFile* in, TextFile* out, unsigned limit, int size);

// Nonzero once any read, write, flush or sync of this file has failed.
int tf_failed(TextFile* f);

// Flushes (and, when sync is nonzero, makes durable) and closes; the slot goes
// back to the pool. Returns 0, or -1 when any read or write, the flush, the
// sync or the close failed.
int tf_close(TextFile* f, int sync);

// Console output through the same formatter.
void con_out(const char* fmt, ...);
void con_err(const char* fmt, ...);
