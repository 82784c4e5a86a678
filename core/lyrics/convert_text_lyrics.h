#pragma once
// The reader of plain text lyric files.
#include <string>
#include <string_view>

namespace lf {

// The lyric text of a plain text file's bytes: UTF-8 (a Windows-1252 or
// UTF-16 file is converted, typographic punctuation included) with every line
// ended by LF, whether the file ended its lines with LF, CR LF or a lone CR.
std::string ConvertTextLyrics(std::string_view bytes);

}  // namespace lf
