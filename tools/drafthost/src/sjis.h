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

// A returned line as the report shows it (README.md, "Report"): Shift-JIS as
// UTF-8; a byte of no valid character, or a control but tab, as \xNN.
std::string sjis_to_report(std::string_view sjis);

// Splits Shift-JIS text into its characters (see sjis_lead); a lead byte at
// the very end stands alone.
std::vector<std::string_view> sjis_chars(std::string_view sjis);

// Escapes &, <, >, " and ' for XML text and attribute values, and replaces
// control characters, which XML cannot hold, by U+FFFD (tab is kept).
std::string xml_escape(std::string_view utf8);

}  // namespace drafthost
