// Text-mode files that behave alike on every platform: the bytes are read and
// written in binary, and the line ends are translated here. Reading turns
// CR LF into LF (a lone CR stays, byte 0x1A is an ordinary byte); writing
// turns every LF into CR LF.
//
// Files come from a small static pool: nothing is allocated on the heap.
#pragma once

#include "platform/format.h"

struct TextFile;

TextFile* tf_open_read(const char* name);  // nullptr when it cannot be opened
TextFile* tf_open_new(const char* name);   // os_create_new's file; nullptr on failure

// For a file that will be synced when it is closed: its bytes are handed to
// the disk as they are flushed, a megabyte at a time, so that the sync finds
// little left to wait for.
void tf_write_behind(TextFile* f);

// Reads one line: up to and including its line feed, at most size - 1 bytes,
// NUL-terminated. Returns the number of bytes read (the line may hold NUL
// bytes of its own), or -1 at end of file or on a read error (which
// tf_close then tells).
int tf_gets(TextFile* f, char* buf, int size);

// Writes n bytes. Returns n, or -1 once the file has seen a write error.
int tf_write(TextFile* f, const char* s, int n);

// One record as the exchange-file reader takes it: one read of tf_gets. Both
// bytes and text stay valid until the next read of the same file. Behind
// each lie only zero bytes, up to index size - 1 of the read, so that nothing
// of an earlier, longer record shows through a short one.
struct TfRecord {
    const char* bytes;  // the read as it came, NUL bytes included
    int length;         // its length
    const char* text;   // the read up to its first NUL byte
    int nul;            // where its first NUL byte is, or -1 when it holds none
};

// Reads the next record with a buffer of size bytes (at most
// TF_RECORD_SIZE_MAX). Returns its length, or -1 as tf_gets does.
enum { TF_RECORD_SIZE_MAX = 256 };
int tf_read_record(TextFile* f, int size, TfRecord* r);

// Echoes a record read with tf_read_record: its bytes as they came, and a line
// feed when the read has none of its own (a cut line, a last line without a
// line end), so that whatever is written next starts a record of its own. A
// write error shows at the close, as for every write behind the buffer.
void tf_echo_record(TextFile* f, const TfRecord* r);

// One formatted print (format.h's conversions). Returns the number of bytes
// formatted, or -1 once the file has seen a write error.
int tf_printf(TextFile* f, const char* fmt, ...) FMT_PRINTF(2, 3);

// Copies lines from in to out as a loop of tf_gets with a buffer of size bytes
// (at most TF_COPY_SIZE_MAX) and tf_write of each line would, until limit
// lines are copied or the input ends, and returns the number of lines copied.
// The bytes go over in runs.
enum { TF_COPY_SIZE_MAX = 256 };
unsigned tf_copy_lines(TextFile* in, TextFile* out, unsigned limit, int size);

// Flushes (and, when sync is nonzero, makes durable) and closes; the slot goes
// back to the pool. Returns 0, or -1 when any read or write, the flush, the
// sync or the close failed.
int tf_close(TextFile* f, int sync);
