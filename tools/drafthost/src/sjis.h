// Text of the drawing as a picture and the report show it: Shift-JIS bytes
// as UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace drafthost {

// Converts Shift-JIS (Windows code page 932) to UTF-8. A byte that does not
// begin a valid character, and a lead byte cut off at the end, become U+FFFD;
// the conversion goes on with the next byte.
std::string sjis_to_utf8(std::string_view sjis);

// A returned line as the report shows it (README.md, "Report"): Shift-JIS as
// UTF-8; a byte of no valid character, or a control but tab, as \xNN.
std::string sjis_to_report(std::string_view sjis);

}  // namespace drafthost
