// Outside Windows only (args.h): the build compiles it there alone.
#include "platform/args.h"

#include <langinfo.h>
#include <locale.h>
#include <string.h>
#include <wchar.h>

#include <algorithm>
#include <iterator>

// A table made at build time from the build machine's iconv, not iconv itself:
// in the static program, iconv would load the C library's shared objects at
// run time, which must then be of the very version the program was built with.
#include "cp932_table.h"

// The bytes of c in code page 932 (1 or 2), or 0 when it has none.
static int cp932_of(wchar_t c, char* out) {
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    const unsigned short* end = std::end(cp932_unicode);
    const unsigned short* at = std::lower_bound(std::begin(cp932_unicode), end, c);
    if (at == end || *at != c) return 0;
    unsigned code = cp932_code[at - cp932_unicode];
    if (code < 0x100) {
        out[0] = static_cast<char>(code);
        return 1;
    }
    out[0] = static_cast<char>(code >> 8);
    out[1] = static_cast<char>(code & 0xFF);
    return 2;
}

// Whether the whole of arg converts; with write, also converts it in place.
// A character never takes more bytes in code page 932 than in UTF-8, so the
// bytes written never overtake those still to be read.
static bool to_cp932(char* arg, bool write) {
    mbstate_t state{};
    const char* in = arg;
    size_t left = strlen(arg);
    char* out = arg;
    while (left > 0) {
        wchar_t c;
        char bytes[2];
        size_t n = mbrtowc(&c, in, left, &state);
        if (n == 0 || n > left) return false;  // no valid UTF-8
        int m = cp932_of(c, bytes);
        if (m == 0) return false;
        if (write) memcpy(out, bytes, static_cast<size_t>(m));
        in += n, left -= n, out += m;
    }
    if (write) *out = '\0';
    return true;
}

static bool ascii(const char* s) {
    while (*s != '\0' && (*s & 0x80) == 0) s++;
    return *s == '\0';
}

void args_to_cp932(int argc, char** argv) {
    int k = 1;
    while (k < argc && ascii(argv[k])) k++;
    if (k == argc) return;  // ASCII alone, the usual run: no locale files are read
    if (setlocale(LC_CTYPE, "") && strcmp(nl_langinfo(CODESET), "UTF-8") == 0)
        for (; k < argc; k++)
            if (to_cp932(argv[k], false)) to_cp932(argv[k], true);
}
