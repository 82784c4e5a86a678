#pragma once
// Text in the program is UTF-8. Files written on Windows arrive in
// Windows-1252 or UTF-16; these helpers bring them to UTF-8.
#include <string>
#include <string_view>

namespace lf {

bool IsValidUtf8(std::string_view bytes);

// Every byte is a Windows-1252 character; the five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of that value.
std::string Windows1252ToUtf8(std::string_view bytes);

// Valid UTF-8 stays as it is; anything else is read as Windows-1252.
std::string ToUtf8(std::string_view bytes);

// UTF-16 little-endian code units (no byte-order mark) to UTF-8. Unpaired
// surrogates become U+FFFD; an odd trailing byte is dropped.
std::string Utf16LeToUtf8(std::string_view bytes);

// Appends the UTF-8 form of one code point.
void AppendUtf8(std::string& out, char32_t codePoint);

// Strips a UTF-8 byte-order mark from the front, if there is one.
std::string_view StripUtf8Bom(std::string_view bytes);

}  // namespace lf
