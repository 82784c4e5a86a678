#include "core/cdg/shaped_line.h"

#include <algorithm>
#include <limits>

namespace lf {

ShapedLine::ShapedLine(const FontRasterizer& font, std::string text)
    : m_text(std::move(text)), m_run(font.Shape(m_text)) {
  const auto& glyphs = m_run.glyphs;
  const size_t n = glyphs.size();
  m_pens.resize(n + 1, 0);
  m_inkRightMax.resize(n);
  m_inkLeftMin.resize(n);
  constexpr int kNone = std::numeric_limits<int>::max() / 2;
  int rightmost = -kNone;
  for (size_t i = 0; i < n; ++i) {
    m_pens[i + 1] = m_pens[i] + glyphs[i].advance;
    const GlyphImage& image = *glyphs[i].image;
    if (image.width > 0 && image.rows > 0) rightmost = std::max(rightmost, glyphs[i].x + image.left + image.width);
    m_inkRightMax[i] = rightmost;
    if (i > 0 && glyphs[i].cluster < glyphs[i - 1].cluster) m_inTextOrder = false;
  }
  int leftmost = kNone;
  for (size_t i = n; i-- > 0;) {
    const GlyphImage& image = *glyphs[i].image;
    if (image.width > 0 && image.rows > 0) leftmost = std::min(leftmost, glyphs[i].x + image.left);
    m_inkLeftMin[i] = leftmost;
  }
}

size_t ShapedLine::GlyphsBefore(size_t at) const {
  if (at >= m_text.size()) return m_run.glyphs.size();
  const auto& glyphs = m_run.glyphs;
  return static_cast<size_t>(
      std::partition_point(glyphs.begin(), glyphs.end(), [at](const TextRun::Glyph& g) { return g.cluster < at; }) -
      glyphs.begin());
}

// HarfBuzz marks where a cut changes the shaping, but it assumes the text
// around a piece is still given as context, and sweeps shape a prefix
// without what follows it. Within one face the mark covers that (both sides
// were in one buffer) as long as the cut stretch still guesses the same script
// from its characters; where the face changes it is trusted only beside a
// space, since only joining scripts look across into the context.
bool ShapedLine::CutsCleanlyAt(size_t at) const {
  if (at == 0 || at >= m_text.size()) return true;
  if (!m_inTextOrder) return false;
  const size_t i = GlyphsBefore(at);
  if (i >= m_run.glyphs.size()) return false;
  const TextRun::Glyph& glyph = m_run.glyphs[i];
  if (glyph.cluster != at || glyph.breakUnsafe) return false;
  if (glyph.startsFace) return m_text[at - 1] == ' ' || m_text[at] == ' ';
  return glyph.scriptDecided;
}

TextRun ShapedLine::Reaching(size_t count, int x, int left, int right, int margin) const {
  TextRun run;
  run.width = m_pens[count];
  const auto begin = m_inkRightMax.begin(), end = begin + static_cast<std::ptrdiff_t>(count);
  // Glyphs before `first` end left of the columns; from `last` on they start right of them.
  const size_t first = static_cast<size_t>(
      std::partition_point(begin, end, [&](int inkRight) { return x + inkRight + margin <= left; }) - begin);
  const auto leftBegin = m_inkLeftMin.begin();
  const size_t last =
      static_cast<size_t>(std::partition_point(leftBegin, leftBegin + static_cast<std::ptrdiff_t>(count),
                                               [&](int inkLeft) { return x + inkLeft - margin < right; }) -
                          leftBegin);
  for (size_t i = first; i < last; ++i) {
    const TextRun::Glyph& glyph = m_run.glyphs[i];
    const GlyphImage& image = *glyph.image;
    if (image.width <= 0 || image.rows <= 0) continue;
    const int inkLeft = x + glyph.x + image.left;
    if (inkLeft + image.width + margin > left && inkLeft - margin < right) run.glyphs.push_back(glyph);
  }
  return run;
}

}  // namespace lf
