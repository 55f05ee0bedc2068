#include "platform/textfile.h"

#include <cstring>

#include "platform/format.h"
#include "platform/os.h"

// A written file goes out in whole, aligned blocks of BUF_SIZE bytes; what a
// write puts beyond the block waits in the slack behind it, which holds the
// longest formatted line with a CR before every byte.
enum { BUF_SIZE = 1 << 16, SLACK = 2 * FMT_LINE_MAX, POOL_SIZE = 4 };

struct TextFile {
    OsFile os;
    int writing;
    int failed;
    int pos, len;                // reading: next byte and end of the bytes held
    int eof;                     // reading: the OS reported end of file or an error
    int nul;                     // reading: where the last read's first NUL byte is, or -1
    int behind;                  // writing: bytes go to the disk as they are flushed
    long long flushed, started;  // writing: bytes flushed, bytes handed to the disk
    // Reading records: the last one read (all zero behind its length) and,
    // for a record that holds a NUL byte, its bytes up to that NUL.
    int record_length;
    char record[TF_RECORD_SIZE_MAX];
    char cut[TF_RECORD_SIZE_MAX];
    char buf[BUF_SIZE + SLACK];
};

// At most two files are open at once (the input and the working copy); two
// more slots are spare.
static TextFile pool[POOL_SIZE];
static bool in_use[POOL_SIZE];

static TextFile* take(OsFile os, int writing) {
    if (os == OS_NO_FILE) return nullptr;
    for (int i = 0; i < POOL_SIZE; i++) {
        if (in_use[i]) continue;
        in_use[i] = true;
        TextFile* f = &pool[i];
        f->os = os;
        f->writing = writing;
        f->failed = 0;
        f->pos = f->len = 0;
        f->eof = 0;
        f->nul = -1;
        f->behind = 0;
        f->flushed = f->started = 0;
        f->record_length = 0;
        std::memset(f->record, 0, sizeof f->record);
        return f;
    }
    os_close(os);
    return nullptr;
}

TextFile* tf_open_read(const char* name) { return take(os_open_read(name), 0); }
TextFile* tf_open_new(const char* name) { return take(os_create_new(name), 1); }

// Reading ---------------------------------------------------------------

// Keeps the bytes from pos on, moves them to the front and reads more behind
// them. Returns nonzero when at least one new byte arrived.
static int refill(TextFile* f) {
    if (f->eof) return 0;
    int keep = f->len - f->pos;
    if (keep > 0 && f->pos > 0) std::memmove(f->buf, f->buf + f->pos, static_cast<size_t>(keep));
    f->pos = 0;
    f->len = keep;
    long got = os_read(f->os, f->buf + keep, BUF_SIZE - keep);
    if (got <= 0) {
        f->eof = 1;
        if (got < 0) f->failed = 1;
        return 0;
    }
    f->len += static_cast<int>(got);
    return 1;
}

// The length of the plain bytes at p (no CR, no LF) among the next n.
static int plain_run(const char* p, int n) {
    const void* lf = std::memchr(p, '\n', static_cast<size_t>(n));
    if (lf) n = static_cast<int>(static_cast<const char*>(lf) - p);
    const void* cr = std::memchr(p, '\r', static_cast<size_t>(n));
    return cr ? static_cast<int>(static_cast<const char*>(cr) - p) : n;
}

int tf_gets(TextFile* f, char* out, int size) {
    int n = 0, max = size - 1;
    while (n < max) {
        if (f->pos == f->len && !refill(f)) break;
        // Copy plain bytes up to the next CR or LF, or as many as fit.
        const char* p = f->buf + f->pos;
        int avail = f->len - f->pos;
        if (avail > max - n) avail = max - n;
        int k = plain_run(p, avail);
        std::memcpy(out + n, p, static_cast<size_t>(k));
        n += k;
        f->pos += k;
        if (k < avail) {
            if (p[k] == '\n') {
                out[n++] = '\n';
                f->pos++;
                break;
            }
            // CR: one LF after it makes the pair a single line end.
            if (f->pos + 1 == f->len) refill(f);
            if (f->pos + 1 < f->len && f->buf[f->pos + 1] == '\n') {
                out[n++] = '\n';
                f->pos += 2;
                break;
            }
            out[n++] = '\r';
            f->pos++;
        }
    }
    out[n] = '\0';
    const void* nul = std::memchr(out, '\0', static_cast<size_t>(n));
    f->nul = nul ? static_cast<int>(static_cast<const char*>(nul) - out) : -1;
    return n > 0 ? n : -1;
}

// Writing ---------------------------------------------------------------

// Bytes handed to the disk at a time when writing behind.
enum { BEHIND_STEP = 1 << 20 };

// Writes n bytes from the front of the buffer and moves what is behind them
// to the front.
__attribute__((noinline)) static void write_out(TextFile* f, int n) {
    if (n > 0 && !f->failed && os_write(f->os, f->buf, n) != n) f->failed = 1;
    f->flushed += n;
    f->len -= n;
    if (f->len > 0) std::memmove(f->buf, f->buf + n, static_cast<size_t>(f->len));
    if (f->behind && f->flushed - f->started >= BEHIND_STEP) {
        os_write_behind(f->os, f->started, f->flushed - f->started);
        f->started = f->flushed;
    }
}

// After every append: a full block goes out, so that the buffer always has
// room for the next line.
static void spill(TextFile* f) {
    if (f->len >= BUF_SIZE) write_out(f, BUF_SIZE);
}

static void flush(TextFile* f) { write_out(f, f->len); }

void tf_write_behind(TextFile* f) { f->behind = 1; }

// Bytes that hold no line feed, into the buffer as they are.
static void put_raw(TextFile* f, const char* s, long n) {
    while (n > 0) {
        long k = BUF_SIZE - f->len;
        if (k > n) k = n;
        std::memcpy(f->buf + f->len, s, static_cast<size_t>(k));
        f->len += static_cast<int>(k);
        s += k;
        n -= k;
        spill(f);
    }
}

int tf_write(TextFile* f, const char* s, int n) {
    const char* end = s + n;
    while (s < end) {
        // Up to the end of the block; a CR LF pair may reach one byte into
        // the slack.
        char* d = f->buf + f->len;
        int k = static_cast<int>(end - s);
        if (k > BUF_SIZE - f->len) k = BUF_SIZE - f->len;
        const char* lf = static_cast<const char*>(std::memchr(s, '\n', static_cast<size_t>(k)));
        if (!lf) {
            std::memcpy(d, s, static_cast<size_t>(k));
            f->len += k;
            s += k;
        } else {
            int run = static_cast<int>(lf - s);
            std::memcpy(d, s, static_cast<size_t>(run));
            d[run] = '\r';
            d[run + 1] = '\n';
            f->len += run + 2;
            s += run + 1;
        }
        spill(f);
    }
    return f->failed ? -1 : n;
}

// Formats straight into the buffer, then gives each line feed its CR in
// place, from the back.
int tf_printf(TextFile* f, const char* fmt, ...) {
    char* d = f->buf + f->len;  // below BUF_SIZE: the slack takes the line
    va_list ap;
    va_start(ap, fmt);
    int n = fmt_vformat(d, FMT_LINE_MAX, fmt, ap);
    va_end(ap);
    int lfs = 0;
    for (const char* q = d; (q = static_cast<const char*>(std::memchr(q, '\n', static_cast<size_t>(d + n - q)))); q++)
        lfs++;
    for (int i = n - 1, o = n + lfs - 1; o > i; i--) {
        d[o--] = d[i];
        if (d[i] == '\n') d[o--] = '\r';
    }
    f->len += n + lfs;
    spill(f);
    return f->failed ? -1 : n;
}

// Records ---------------------------------------------------------------

int tf_read_record(TextFile* f, int size, TfRecord* r) {
    // The last record's bytes are cleared, so that only zero bytes lie
    // behind the next.
    if (f->record_length > 0) std::memset(f->record, 0, static_cast<size_t>(f->record_length));
    if (size > TF_RECORD_SIZE_MAX) size = TF_RECORD_SIZE_MAX;
    const int n = tf_gets(f, f->record, size);
    f->record_length = n;
    r->bytes = f->record;
    r->length = n;
    r->nul = f->nul;
    r->text = f->record;
    if (n >= 0 && f->nul >= 0) {
        // Looked at up to its NUL byte, in a copy of its own.
        std::memcpy(f->cut, f->record, static_cast<size_t>(f->nul));
        std::memset(f->cut + f->nul, 0, sizeof f->cut - static_cast<size_t>(f->nul));
        r->text = f->cut;
    }
    return n;
}

int tf_echo_record(TextFile* f, const TfRecord* r) {
    tf_write(f, r->bytes, r->length);
    if (r->length == 0 || r->bytes[r->length - 1] != '\n') tf_write(f, "\n", 1);
    return f->failed ? -1 : r->length;
}

// Copying ---------------------------------------------------------------

// A read never runs past a line feed, so a line that lies whole in the buffer
// takes ceil(T / max) reads, T being its length as read (CR LF counted as one
// byte, a lone CR as one). Its bytes arrive unchanged except that a lone LF
// gains its CR. Such lines are counted and copied in runs; a line that runs
// past the buffer, or whose reads would pass the limit, goes over one read at
// a time, taken by tf_gets itself.
unsigned tf_copy_lines(TextFile* in, TextFile* out, unsigned limit, int size) {
    const int max = size - 1;
    unsigned count = 0;
    char line[TF_COPY_SIZE_MAX];
    while (count < limit) {
        if (in->pos == in->len && !refill(in)) break;
        const char* start = in->buf + in->pos;  // bytes not yet copied
        const char* end = in->buf + in->len;
        const char* p = start;  // the start of the next line
        while (count < limit) {
            const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
            if (!lf) break;
            const bool crlf = lf > p && lf[-1] == '\r';
            const unsigned long length = static_cast<unsigned long>(lf - p) + (crlf ? 0 : 1);
            const unsigned long reads = length <= static_cast<unsigned long>(max) ? 1 : (length + max - 1) / max;
            if (reads > limit - count) break;
            if (!crlf) {
                put_raw(out, start, lf - start);
                put_raw(out, "\r\n", 2);
                start = lf + 1;
            }
            count += static_cast<unsigned>(reads);
            p = lf + 1;
        }
        put_raw(out, start, p - start);
        in->pos = static_cast<int>(p - in->buf);
        if (count == limit) break;
        if (in->pos == in->len) continue;
        const int n = tf_gets(in, line, size);
        if (n < 0) break;
        tf_write(out, line, n);
        count++;
    }
    return count;
}

int tf_close(TextFile* f, int sync) {
    if (f->writing) {
        flush(f);
        if (sync && !f->failed && os_sync(f->os) != 0) f->failed = 1;
    }
    int bad = f->failed;
    if (os_close(f->os) != 0) bad = 1;
    in_use[f - pool] = false;
    return bad ? -1 : 0;
}
