// Text of the drawing as a picture shows it: Shift-JIS bytes to UTF-8, and
// UTF-8 made safe inside XML.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace drafthost {

// Converts Shift-JIS (Windows code page 932) to UTF-8. A byte that does not
// begin a valid character, and a lead byte cut off at the end, become U+FFFD;
// the conversion goes on with the next byte.
std::string sjis_to_utf8(std::string_view sjis);

// A returned line as the report shows it: Shift-JIS as UTF-8, and every byte
// that is no valid Shift-JIS (a lone or ill-paired lead byte, 0x80, 0xA0,
// 0xFD to 0xFF) shown as \xNN, as are control bytes other than tab; a
// backslash is shown doubled, so that the escapes read unambiguously.
std::string sjis_to_report(std::string_view sjis);

// Splits Shift-JIS text into its characters: a lead byte (0x81 to 0x9F or
// 0xE0 to 0xFC) and the byte after it make one, every other byte is one; a
// lead byte at the very end stands alone.
std::vector<std::string_view> sjis_chars(std::string_view sjis);

// Escapes &, <, >, " and ' for XML text and attribute values, and replaces
// control characters, which XML cannot hold, by U+FFFD (tab is kept).
std::string xml_escape(std::string_view utf8);

}  // namespace drafthost
