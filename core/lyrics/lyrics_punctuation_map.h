#pragma once
// Typographic punctuation that lyric files carry in two forms: as UTF-8
// sequences, and as single Windows-1252 bytes in files saved on Windows.
// Both forms must arrive as the same UTF-8 character.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace lf {

struct LyricsPunctuation {
  std::string_view utf8;  // the character's UTF-8 bytes
  uint8_t windows1252;    // the same character in Windows-1252
};

// Ellipsis, en dash, right single quote, left and right double quotes.
inline constexpr std::array<LyricsPunctuation, 5> LyricsPunctuationMap = {{
    {"\xE2\x80\xA6", 0x85},
    {"\xE2\x80\x93", 0x96},
    {"\xE2\x80\x99", 0x92},
    {"\xE2\x80\x9C", 0x93},
    {"\xE2\x80\x9D", 0x94},
}};

// Replaces each UTF-8 sequence of the map by its Windows-1252 byte.
std::string MapPunctuationToWindows1252(std::string_view bytes);

// Lyric bytes to UTF-8. Valid UTF-8 keeps every character. Anything else is a
// Windows-1252 file, possibly with typographic punctuation pasted in as UTF-8:
// those sequences are taken as their characters, every other byte as Windows-1252.
std::string DecodeLyricText(std::string_view bytes);

}  // namespace lf
