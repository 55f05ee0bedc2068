#include "sjis.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>

namespace drafthost {

namespace {

const char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

class Converter {
   public:
    Converter() {
        cd_ = iconv_open("UTF-8", "CP932");
        if (cd_ == reinterpret_cast<iconv_t>(-1)) cd_ = iconv_open("UTF-8", "SHIFT_JIS");
        if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv knows neither CP932 nor SHIFT_JIS");
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    std::string run(std::string_view in) {
        std::string out;
        char* src = const_cast<char*>(in.data());
        std::size_t left = in.size();
        char buf[256];
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        while (left > 0) {
            char* dst = buf;
            std::size_t room = sizeof buf;
            std::size_t r = iconv(cd_, &src, &left, &dst, &room);
            int err = errno;
            out.append(buf, static_cast<std::size_t>(dst - buf));
            if (r != static_cast<std::size_t>(-1)) break;
            if (err == E2BIG) continue;
            // EILSEQ: a byte that starts no valid character; EINVAL: a lead
            // byte without its trail byte at the end.
            out += kReplacement;
            ++src;
            --left;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        return out;
    }

    // One character (one or two bytes) whole, or false and nothing.
    bool one(std::string_view ch, std::string& out) {
        char* src = const_cast<char*>(ch.data());
        std::size_t left = ch.size();
        char buf[16];
        char* dst = buf;
        std::size_t room = sizeof buf;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd_, &src, &left, &dst, &room) == static_cast<std::size_t>(-1) || left != 0) return false;
        out.append(buf, static_cast<std::size_t>(dst - buf));
        return true;
    }

   private:
    iconv_t cd_;
};

}  // namespace

static Converter& converter() {
    static Converter c;
    return c;
}

std::string sjis_to_utf8(std::string_view sjis) { return converter().run(sjis); }

std::string sjis_to_report(std::string_view sjis) {
    std::string out;
    for (std::size_t i = 0; i < sjis.size();) {
        unsigned char c = static_cast<unsigned char>(sjis[i]);
        bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\t' || (c >= 0x20 && c < 0x7F)) {
            out += static_cast<char>(c);
        } else if (c >= 0x80 && converter().one(sjis.substr(i, lead ? 2 : 1), out)) {
            i += lead ? 2 : 1;
            continue;
        } else {
            // Only this byte: the one after an ill-paired lead byte is read on its own.
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
        ++i;
    }
    return out;
}

std::vector<std::string_view> sjis_chars(std::string_view sjis) {
    std::vector<std::string_view> out;
    for (std::size_t i = 0; i < sjis.size();) {
        unsigned char c = static_cast<unsigned char>(sjis[i]);
        bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        std::size_t n = (lead && i + 1 < sjis.size()) ? 2 : 1;
        out.push_back(sjis.substr(i, n));
        i += n;
    }
    return out;
}

std::string xml_escape(std::string_view s) {
    std::string out;
    for (char ch : s) {
        unsigned char c = static_cast<unsigned char>(ch);
        switch (ch) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            if (c < 0x20 && c != '\t') out += kReplacement;
            else out += ch;
        }
    }
    return out;
}

}  // namespace drafthost
