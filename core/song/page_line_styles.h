#pragma once
// The title and credits pages give every line of their text a style of its
// own: line 1 takes the page style, line k the extra line style k - 1. When
// the author adds or removes lines, the styles follow their lines.
#include <string_view>

#include "core/cdg/image_struct.h"

namespace lf {

inline constexpr int kMaxPageTextLines = 9;

// Lines of a page text: its line feeds plus one.
int PageTextLineCount(std::string_view text);
// Line (from 1) holding byte position `position`.
int PageTextLineAt(std::string_view text, size_t position);

// Takes `newText` as the page text. Refused (false, page unchanged) when it
// would have a tenth line. Without a picture the line styles follow the
// lines: a new line copies the style of the line above it with a colour
// index of its own, a removed line's style goes, and when line 1 goes the
// next line's style becomes the page style.
bool ApplyPageTextChange(PageRecord& page, std::string_view newText);

// Style of line `line` (from 1): the page style for line 1.
LineStyle PageLineStyle(const PageRecord& page, int line);
// Stores the style of line `line`; an unknown line is ignored. Line 1's
// colour index stays the page's.
void SetPageLineStyle(PageRecord& page, int line, const LineStyle& style);

}  // namespace lf
