#include "platform/textfile.h"

#include <cstring>

#include "platform/format.h"
#include "platform/os.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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
    int behind;                  // writing: bytes go to the disk as they are flushed
    long long flushed, started;  // writing: bytes flushed, bytes handed to the disk
    // Reading records: the last one read (all zero behind its length) and,
    // for a record that holds a NUL byte, its bytes up to that NUL. The room
    // behind the record lets its bytes be cleared and echoed sixteen at a time.
    int record_length;
    alignas(16) char record[TF_RECORD_SIZE_MAX + 16];
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

// Only a CR just before an LF is a line end's, so the first LF decides the
// read: the bytes before it, and the LF in place of a CR LF pair. A CR as the
// last byte in hand waits for the next one.
int tf_gets(TextFile* f, char* out, int size) {
    int n = 0;
    const int max = size - 1;
    while (n < max) {
        if (f->len - f->pos < 2) refill(f);
        const char* p = f->buf + f->pos;
        const int avail = f->len - f->pos, room = max - n;
        if (avail == 0) break;
        // One byte past the room: a CR LF there still fits as one LF.
        const char* lf =
            static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(avail < room + 1 ? avail : room + 1)));
        if (lf) {
            const int k = static_cast<int>(lf - p), body = k > 0 && lf[-1] == '\r' ? k - 1 : k;
            if (body < room) {
                std::memcpy(out + n, p, static_cast<size_t>(body));
                n += body;
                out[n++] = '\n';
                f->pos += k + 1;
                break;
            }
        }
        int take = avail < room ? avail : room;
        if (take == avail && p[take - 1] == '\r' && !f->eof) take--;
        std::memcpy(out + n, p, static_cast<size_t>(take));
        n += take;
        f->pos += take;
    }
    out[n] = '\0';
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

// The usual record, as tf_gets would read it: bytes of 0x0E and up, then LF
// or CR LF, all in hand and within max. Sixteen bytes at a time: the scan for
// the line end also tells that it holds no NUL, and the copy is a store per
// sixteen bytes, LF and zero bytes in the last, so that the echo's loads of
// them are forwarded. Returns its length, or -1 for any other read (nothing
// is taken then).
static int usual_record(TextFile* f, char* out, int max) {
#ifdef __SSE2__
    const char* p = f->buf + f->pos;
    const int avail = f->len - f->pos < max + 1 ? f->len - f->pos : max + 1;
    for (int i = 0; i < avail; i += 16) {
        // pos + i < len <= BUF_SIZE: the sixteen bytes lie in buf, though the
        // last of them may be stale.
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const int below = ~_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(x, _mm_set1_epi8(0x0E)), x)) & 0xFFFF;
        if (below == 0) {
            if (i + 16 > avail) return -1;
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), x);
            continue;
        }
        const int e = i + __builtin_ctz(static_cast<unsigned>(below));
        const bool lf = e < avail && p[e] == '\n', crlf = e + 1 < avail && p[e] == '\r' && p[e + 1] == '\n';
        if (e >= max || !(lf || crlf)) return -1;
        const __m128i index = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
        const __m128i at = _mm_set1_epi8(static_cast<char>(e - i));
        const __m128i line_end = _mm_and_si128(_mm_cmpeq_epi8(at, index), _mm_set1_epi8('\n'));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                         _mm_or_si128(_mm_and_si128(x, _mm_cmpgt_epi8(at, index)), line_end));
        out[e + 1] = '\0';  // when the LF is the sixteenth byte
        f->pos += e + (crlf ? 2 : 1);
        return e + 1;
    }
#else
    (void)f, (void)out, (void)max;
#endif
    return -1;
}

int tf_read_record(TextFile* f, int size, TfRecord* r) {
    // The last record's bytes are cleared sixteen at a time, so that only
    // zero bytes lie behind the next.
    for (int k = 0; k < f->record_length; k += 16) std::memset(f->record + k, 0, 16);
    if (size > TF_RECORD_SIZE_MAX) size = TF_RECORD_SIZE_MAX;
    const void* nul = nullptr;
    int n = f->len - f->pos >= 2 ? usual_record(f, f->record, size - 1) : -1;
    if (n < 0) {
        n = tf_gets(f, f->record, size);
        nul = std::memchr(f->record, '\0', static_cast<size_t>(n > 0 ? n : 0));
    }
    f->record_length = n > 0 ? n : 0;
    r->bytes = f->record;
    r->length = n;
    r->nul = nul ? static_cast<int>(static_cast<const char*>(nul) - f->record) : -1;
    r->text = f->record;
    if (r->nul >= 0) {
        // Looked at up to its NUL byte, in a copy of its own.
        std::memcpy(f->cut, f->record, static_cast<size_t>(r->nul));
        std::memset(f->cut + r->nul, 0, sizeof f->cut - static_cast<size_t>(r->nul));
        r->text = f->cut;
    }
    return n;
}

// A read holds no LF but as its last byte: its other bytes go over as they
// are, sixteen at a time (the record's room and the slack take the excess),
// then CR LF.
void tf_echo_record(TextFile* f, const TfRecord* r) {
    const int body = r->bytes[r->length - 1] == '\n' ? r->length - 1 : r->length;
    char* d = f->buf + f->len;  // below BUF_SIZE: the slack takes the record
    for (int i = 0; i < body; i += 16) std::memcpy(d + i, r->bytes + i, 16);
    d[body] = '\r';
    d[body + 1] = '\n';
    f->len += body + 2;
    spill(f);
}

// Copying ---------------------------------------------------------------

// The usual stretch of a file, 64 bytes at a time from the start of a line
// at p: lines that end in CR LF and take one read each, so that they are
// counted and copied as they stand. Stops before the first 64 bytes that
// hold anything else (a lone LF, a line longer than max) or that could reach
// the limit, or are not all in the buffer. Returns the start of the line in
// progress there, and adds the lines passed to *count.
static const char* usual_stretch(const char* p, const char* end, int max, unsigned limit, unsigned* count) {
#ifdef __SSE2__
    const char* s = p;  // the start of the line in progress
    for (const char* q = p; end - q >= 64 && limit - *count >= 64; q += 64) {
        // Bit k of lf and cr: byte k of the 64 at q is an LF, a CR.
        unsigned long long lf = 0, cr = 0;
        for (int i = 0; i < 4; i++) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 16 * i));
            lf |= static_cast<unsigned long long>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, _mm_set1_epi8('\n'))) & 0xFFFF)
                  << (16 * i);
            cr |= static_cast<unsigned long long>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, _mm_set1_epi8('\r'))) & 0xFFFF)
                  << (16 * i);
        }
        // Each LF needs a CR just before it, within the line.
        if (lf & ~(cr << 1 | (q > s && q[-1] == '\r' ? 1 : 0))) break;
        if (lf == 0) {
            if (q + 64 - s > max) break;
            continue;
        }
        // A CR LF line is read as its bytes before the CR and an LF.
        if (q + __builtin_ctzll(lf) - s > max) break;
        for (unsigned long long b = lf; b; b &= b - 1) ++*count;
        s = q + (63 - __builtin_clzll(lf)) + 1;
    }
    return s;
#else
    (void)end, (void)max, (void)limit, (void)count;
    return p;
#endif
}

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
        const char* p = usual_stretch(start, end, max, limit, &count);  // the start of the next line
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
