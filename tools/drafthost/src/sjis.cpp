#include "sjis.h"

#include <iconv.h>

#include <cstdio>
#include <stdexcept>

#include "records.h"

namespace drafthost {

namespace {

const char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

// One character (one or two bytes) converted whole onto out, or false and nothing.
bool one(std::string_view ch, std::string& out) {
    static const iconv_t cd = [] {
        iconv_t c = iconv_open("UTF-8", "CP932");
        if (c == reinterpret_cast<iconv_t>(-1)) c = iconv_open("UTF-8", "SHIFT_JIS");
        if (c == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv knows neither CP932 nor SHIFT_JIS");
        return c;
    }();
    char* src = const_cast<char*>(ch.data());
    std::size_t left = ch.size(), room = 16;
    char buf[16], *dst = buf;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &src, &left, &dst, &room) == static_cast<std::size_t>(-1) || left != 0) return false;
    out.append(buf, static_cast<std::size_t>(dst - buf));
    return true;
}

// A character at a time; a byte that starts none becomes U+FFFD, or \xNN in
// the report, which also spells out controls and backslashes.
std::string convert(std::string_view sjis, bool report) {
    std::string out;
    for (std::size_t i = 0; i < sjis.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(sjis[i]);
        const std::size_t n = sjis_lead(sjis[i]) ? 2 : 1;
        char buf[8];
        if (report && c == '\\') out += "\\\\";
        else if (report && (c == '\t' || (c >= 0x20 && c < 0x7F))) out += static_cast<char>(c);
        else if ((!report || c >= 0x80) && one(sjis.substr(i, n), out)) i += n - 1;
        else if (!report) out += kReplacement;
        else out.append(buf, static_cast<std::size_t>(std::snprintf(buf, sizeof buf, "\\x%02X", c)));
    }
    return out;
}

}  // namespace

std::string sjis_to_utf8(std::string_view sjis) { return convert(sjis, false); }

std::string sjis_to_report(std::string_view sjis) { return convert(sjis, true); }

}  // namespace drafthost
