// Writes the table with which the Linux build turns an argument typed in a
// UTF-8 terminal into code page 932 (src/platform/args.cpp): every character
// of the Basic Multilingual Plane beyond ASCII that this machine's iconv turns
// into one or two bytes of code page 932, with those bytes. The build runs it:
//
//   cp932_table OUT
#include <iconv.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: cp932_table OUT\n");
        return 2;
    }
    iconv_t cd = iconv_open("CP932", "UTF-32LE");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        std::perror("cp932_table: iconv cannot convert to CP932");
        return 1;
    }
    std::string unicode, code;
    int n = 0;
    for (unsigned c = 0x80; c <= 0xFFFF; c++) {
        char in[4] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8), 0, 0};
        char out[4];
        char *i = in, *o = out;
        size_t i_left = sizeof in, o_left = sizeof out;
        // Characters it drops (no bytes) or lacks are left out.
        if (iconv(cd, &i, &i_left, &o, &o_left) == static_cast<size_t>(-1) || o == out || o - out > 2) {
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            continue;
        }
        unsigned bytes = static_cast<unsigned char>(out[0]);
        if (o - out == 2) bytes = bytes << 8 | static_cast<unsigned char>(out[1]);
        char entry[16];
        const char* sep = n++ % 12 == 11 ? ",\n" : ",";
        std::snprintf(entry, sizeof entry, "0x%04x%s", c, sep);
        unicode += entry;
        std::snprintf(entry, sizeof entry, "0x%04x%s", bytes, sep);
        code += entry;
    }
    iconv_close(cd);

    std::string text = "// Made by tools/cp932_table.cpp from the build machine's iconv: " + std::to_string(n) +
                       " characters\n// and their bytes in code page 932 (one byte below 0x100), by character.\n";
    text += "static const unsigned short cp932_unicode[] = {\n" + unicode + "\n};\n";
    text += "static const unsigned short cp932_code[] = {\n" + code + "\n};\n";
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0) {
        std::perror(argv[1]);
        std::remove(argv[1]);
        return 1;
    }
    return 0;
}
