#pragma once
// The reader of plain text lyric files.
#include <string>
#include <string_view>

namespace lf {

// The lyric text of a plain text file: UTF-8 (a Windows-1252 file is
// converted, typographic punctuation included) with every line ended by
// CR LF, whether the file ended its lines with LF, CR LF or a lone CR.
std::string ConvertTextLyrics(std::string_view data);

}  // namespace lf
