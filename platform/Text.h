#pragma once

#include <string>
#include <string_view>

namespace scrivo {

// Windows-1252 single bytes <-> UTF-8. A character that Windows-1252 lacks
// becomes "?"; invalid UTF-8 bytes are taken as Windows-1252 bytes.
std::string Utf8ToCp1252(std::string_view utf8);
std::string Cp1252ToUtf8(std::string_view bytes);
bool IsValidUtf8(std::string_view bytes);

// Blanks (spaces) removed from the ends.
std::string Trim(std::string_view s);
std::string TrimRight(std::string_view s);
std::string ToLowerAscii(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);

// Text from the folder made safe for a terminal: every byte below 0x20 and
// DEL as a \xHH escape (NUL as \0), and the C1 controls U+0080..U+009F,
// which some terminals obey in UTF-8 too, as \u00HH.
std::string EscapeControls(std::string_view text);

// The leading number of a text, the way a BASIC Val() reads it: blanks are
// skipped anywhere, reading stops at the first character that cannot belong
// to the number, and no number at all is 0.
double Val(std::string_view s);

// Rounds half to even and clamps into the range of the target type's
// ordinary conversion; nullopt-free helpers for the common cases.
long long RoundHalfEven(double v);

} // namespace scrivo
