#pragma once
// ShapedLine: a line of text shaped once, answering for its prefixes what
// shaping them again would: their widths, and which of their glyphs reach a
// few columns, so a word's sweep costs the word and not the line so far.
#include <cstddef>
#include <string>
#include <vector>

#include "core/cdg/font_rasterizer.h"

namespace lf {

class ShapedLine {
 public:
  ShapedLine(const FontRasterizer& font, std::string text);

  const std::string& Text() const { return m_text; }
  const TextRun& Run() const { return m_run; }

  // Whether text[0, at) and text[at, end) shaped on their own give exactly
  // this line's glyphs before and after `at` (false when unsure).
  bool CutsCleanlyAt(size_t at) const;
  // How many glyphs stand for text[0, at) when the line cuts cleanly there;
  // all of them for `at` at or past the end.
  size_t GlyphsBefore(size_t at) const;
  // Pen position, in pixels, after the first `count` glyphs.
  int PenAfter(size_t count) const { return m_pens[count]; }
  // The first `count` glyphs whose ink comes within `margin` columns of
  // [left, right) when the run starts at x; as wide as those `count` glyphs.
  TextRun Reaching(size_t count, int x, int left, int right, int margin) const;

 private:
  std::string m_text;
  TextRun m_run;
  std::vector<int> m_pens;         // pen before each glyph, and after the last
  std::vector<int> m_inkRightMax;  // rightmost ink edge of glyphs 0 .. i
  std::vector<int> m_inkLeftMin;   // leftmost ink edge of glyphs i .. end
  bool m_inTextOrder = true;       // glyphs in the order of their characters
};

}  // namespace lf
