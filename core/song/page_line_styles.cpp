#include "core/song/page_line_styles.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/song/sample_time.h"

namespace lf {
namespace {

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (true) {
    const size_t lf = text.find('\n', start);
    std::string_view line = text.substr(start, lf == std::string_view::npos ? text.size() - start : lf - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (lf == std::string_view::npos) return lines;
    start = lf + 1;
  }
}

// Every line's style, line 1's being the page style.
std::vector<LineStyle> AllStyles(const PageRecord& page) {
  std::vector<LineStyle> styles{PageLineStyle(page, 1)};
  for (const LineStyle& extra : page.m_extraLines.Lines()) styles.push_back(extra);
  return styles;
}

// The highest colour index from 10 down to 0 that no line style uses.
int FreeColorIndex(const std::vector<LineStyle>& styles) {
  for (int index = ColorIndexDuet; index >= 0; --index)
    if (std::none_of(styles.begin() + 1, styles.end(), [index](const LineStyle& s) { return s.color == index; }))
      return index;
  return 0;
}

// A copy of `source`'s style for a new line, with a colour index of its own
// showing the same colour.
LineStyle NewLineStyle(PageRecord& page, const std::vector<LineStyle>& styles, const LineStyle& source) {
  LineStyle style = source;
  style.color = FreeColorIndex(styles);
  page.m_picture.SetPaletteColor(style.color, page.m_picture.PaletteColor(source.color));
  return style;
}

void StoreStyles(PageRecord& page, const std::vector<LineStyle>& styles) {
  const LineStyle& first = styles.front();
  page.m_style.SetFaceName(first.faceName);
  page.m_style.m_height = first.height;
  page.m_style.m_flags = first.flags;
  page.m_style.m_hAlign = first.hAlign;
  page.m_extraLines.Clear();
  for (size_t k = 1; k < styles.size(); ++k) page.m_extraLines.Add(styles[k]);
}

}  // namespace

int PageTextLineCount(std::string_view text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
}

int PageTextLineAt(std::string_view text, size_t position) {
  return PageTextLineCount(text.substr(0, std::min(position, text.size())));
}

LineStyle PageLineStyle(const PageRecord& page, int line) {
  if (line <= 1)
    return {page.m_style.m_color, page.m_style.m_height, page.m_style.m_flags, page.m_style.FaceName(),
            page.m_style.m_hAlign};
  return page.m_extraLines.At(line - 2);
}

void SetPageLineStyle(PageRecord& page, int line, const LineStyle& style) {
  std::vector<LineStyle> styles = AllStyles(page);
  if (line < 1 || line > static_cast<int>(styles.size())) return;
  styles[line - 1] = style;
  if (line == 1) styles[0].color = page.m_style.m_color;
  StoreStyles(page, styles);
}

bool ApplyPageTextChange(PageRecord& page, std::string_view newText) {
  if (PageTextLineCount(newText) > kMaxPageTextLines) return false;
  const std::string oldText = page.m_pageText;
  page.m_pageText = std::string(newText);
  if (page.m_hasPicture) return true;

  const std::vector<std::string_view> before = SplitLines(oldText), after = SplitLines(newText);
  std::vector<LineStyle> styles = AllStyles(page);
  // A record with too few styles for its text gives the missing lines the last one's.
  while (styles.size() < before.size()) styles.push_back(NewLineStyle(page, styles, styles.back()));
  styles.resize(before.size());
  if (before.size() == after.size()) return StoreStyles(page, styles), true;

  // Lines equal at the start and at the end keep their styles; the changed
  // block between keeps as many of its styles as it keeps lines.
  const size_t shorter = std::min(before.size(), after.size());
  size_t same = 0;
  while (same < shorter && before[same] == after[same]) ++same;
  size_t tail = 0;
  while (tail < shorter - same && before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) ++tail;
  const size_t oldBlock = before.size() - same - tail, newBlock = after.size() - same - tail;
  const size_t kept = same + std::min(oldBlock, newBlock);
  if (newBlock > oldBlock) {
    for (size_t k = oldBlock; k < newBlock; ++k) {
      // A line put before line 1 takes the page style; old line 1 moves down
      // with a copy of it, so the page style's colour index stays on line 1.
      const size_t at = std::max<size_t>(same + k, 1);
      const LineStyle above = styles[at - 1];
      styles.insert(styles.begin() + static_cast<long>(at), NewLineStyle(page, styles, above));
    }
  } else {
    const bool firstGoes = kept == 0;
    const LineStyle pageStyle = styles.front();
    styles.erase(styles.begin() + static_cast<long>(kept),
                 styles.begin() + static_cast<long>(kept + oldBlock - newBlock));
    if (firstGoes) {
      // The next line's style becomes the page style, its colour in entry 12.
      page.m_picture.SetPaletteColor(pageStyle.color, page.m_picture.PaletteColor(styles.front().color));
      styles.front().color = pageStyle.color;
    }
  }
  StoreStyles(page, styles);
  return true;
}

}  // namespace lf
