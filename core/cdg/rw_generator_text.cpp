// The text operations of CdgGenerator: layout of a line, drawing of page
// texts and lyric lines, and the packets that draw, erase and sweep a line.
#include <algorithm>
#include <optional>
#include <vector>

#include "core/cdg/font_rasterizer.h"
#include "core/cdg/rw_generator.h"
#include "core/cdg/swept_line.h"

namespace lf {

namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Byte length of the text up to and including character `last`, never
// ending inside a UTF-8 sequence.
size_t EndAfter(std::string_view text, int last) {
  size_t end = std::min(text.size(), static_cast<size_t>(last) + 1);
  while (end < text.size() && IsContinuationByte(text[end])) ++end;
  return end;
}

// Byte length of the first `count` characters, backed off to a character start.
size_t StartOf(std::string_view text, int count) {
  size_t start = std::min(text.size(), static_cast<size_t>(std::max(count, 0)));
  while (start > 0 && start < text.size() && IsContinuationByte(text[start])) --start;
  return start;
}

// "&" marks a mnemonic in a page text: each is removed and the character
// after it is kept as it is, so "&&" leaves one "&". When `drawnAt` is given
// it receives, for each byte position of `line` and its end, the position in
// the drawn text, so that characters of the line are found where they are drawn.
std::string RemoveAmpersands(std::string_view line, std::vector<size_t>* drawnAt = nullptr) {
  std::string out;
  out.reserve(line.size());
  if (drawnAt) drawnAt->assign(line.size() + 1, 0);
  for (size_t i = 0; i < line.size(); ++i) {
    if (drawnAt) (*drawnAt)[i] = out.size();
    if (line[i] == '&') {
      if (++i >= line.size()) break;
      if (drawnAt) (*drawnAt)[i] = out.size();
    }
    out += line[i];
  }
  if (drawnAt) (*drawnAt)[line.size()] = out.size();
  return out;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (true) {
    const size_t end = text.find('\n', start);
    std::string line(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    lines.push_back(line.empty() ? std::string(" ") : line);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return lines;
}

TextRect Shifted(const TextRect& r, int d) { return {r.left + d, r.top + d, r.right + d, r.bottom + d}; }

TextRect Clamped(const TextRect& r) {
  return {std::clamp(r.left, 0, kDrawWidth), std::clamp(r.top, 0, kDrawHeight), std::clamp(r.right, 0, kDrawWidth),
          std::clamp(r.bottom, 0, kDrawHeight)};
}

int ColorOf(const DrawingBitmap& bitmap, const Colorref* colors16, int colorIndex) {
  return bitmap.NearestIndex(colors16[colorIndex & 0x0F]);
}

// What a sweep draws of its line: text[0, end) in the sweep's colours and
// text[0, start) again in the background colour, each as that prefix shaped
// on its own would be. Taken from the line's one shaping where it cuts
// cleanly, shaped again where it does not.
struct SweepGlyphs {
  std::optional<ShapedLine> ownText, ownPrefix;
  const ShapedLine* text = nullptr;
  size_t textCount = 0;
  const ShapedLine* prefix = nullptr;
  size_t prefixCount = 0;

  SweepGlyphs(const FontRasterizer& font, const ShapedLine& line, size_t end, size_t start) {
    const std::string_view drawn = line.Text();
    const bool cleanEnd = line.CutsCleanlyAt(end), cleanStart = line.CutsCleanlyAt(start);
    text = cleanEnd ? &line : &ownText.emplace(font, std::string(drawn.substr(0, end)));
    textCount = cleanEnd ? line.GlyphsBefore(end) : text->Run().glyphs.size();
    prefix = cleanStart ? &line : &ownPrefix.emplace(font, std::string(drawn.substr(0, start)));
    prefixCount = cleanStart ? line.GlyphsBefore(start) : prefix->Run().glyphs.size();
  }
};

}  // namespace

TextRect CdgGenerator::CellsOf(const TextRect& rect) {
  TextRect cells{kDrawWidth, kDrawHeight, 0, 0};
  ForEachCell(rect, [&](int column, int row) {
    cells.left = std::min(cells.left, column * kTileWidth);
    cells.top = std::min(cells.top, row * kTileHeight);
    cells.right = std::max(cells.right, (column + 1) * kTileWidth);
    cells.bottom = std::max(cells.bottom, (row + 1) * kTileHeight);
    return true;
  });
  return cells;
}

const SweptLine& CdgGenerator::SweptLineFor(const FontRasterizer& font, std::string_view text) {
  const bool same = m_sweptLine && m_sweptLine->font == &font && m_sweptLine->line.size() == text.size() &&
                    (m_sweptLine->source == text.data() || m_sweptLine->line == text);
  if (!same) {
    std::vector<size_t> drawnAt;
    std::string drawn = RemoveAmpersands(text, &drawnAt);
    m_sweptLine.reset(
        new SweptLine{&font, text.data(), std::string(text), std::move(drawnAt), ShapedLine(font, std::move(drawn))});
  }
  m_sweptLine->source = text.data();
  return *m_sweptLine;
}

int CdgGenerator::LayoutText(const FontRasterizer& font, int linesPerPage, int band, std::string_view text,
                             const TextType& style, int lineCount, int lineNumber, const TextTypeVer6* lineStyles,
                             TextRect& rect) const {
  return LayoutMeasured(font, linesPerPage, band, font.Measure(text), style, lineCount, lineNumber, lineStyles, rect);
}

int CdgGenerator::LayoutMeasured(const FontRasterizer& font, int linesPerPage, int band, int textWidth,
                                 const TextType& style, int lineCount, int lineNumber, const TextTypeVer6* lineStyles,
                                 TextRect& rect) const {
  uint32_t flags = style.m_flags;
  int height = style.m_height;
  int hAlign = style.m_hAlign;
  if (lineNumber >= 1 && lineStyles != nullptr && lineStyles->Count() >= lineNumber) {
    const LineStyle entry = lineStyles->At(lineNumber - 1);
    flags = entry.flags;
    height = entry.height;
    hAlign = entry.hAlign;
  }
  int w = textWidth;
  int h = font.Height();
  if (flags & kTextOutline) {
    const int grow = 2 * std::max(height / 10, 1);
    w += grow;
    h += grow;
  }
  switch (hAlign) {
    case kAlignCenter:
      rect.left = (kDrawWidth - w) / 2;
      break;
    case kAlignRight:
      rect.left = kDrawWidth - w;
      break;
    default:
      rect.left = 0;
      break;
  }
  const int bandHeight = kDrawHeight / std::max(linesPerPage, 1);
  const int j = lineNumber, m = lineCount, b = band;
  switch (style.m_vAlign) {
    case kAlignVCenter:
      rect.top = j * h + b * bandHeight + (bandHeight - m * h) / 2;
      break;
    case kAlignBottom:
      rect.top = b * bandHeight + bandHeight + j * h - m * h;
      break;
    default:
      rect.top = j * h + b * bandHeight;
      break;
  }
  rect.right = rect.left + w + (m_trailingSpace == 1 ? font.AverageCharWidth() : 0);
  rect.bottom = rect.top + std::min(h, bandHeight);
  return rect.bottom;
}

void CdgGenerator::RenderText(DrawingBitmap& bitmap, int linesPerPage, int band, std::string_view text,
                              const TextType& style, const Colorref* colors16, TextRect* outRect,
                              const TextTypeVer6* lineStyles) {
  if (outRect != nullptr) *outRect = TextRect{};
  if (text.empty() || colors16 == nullptr) return;

  struct Line {
    std::string text;
    int color = 0;
    uint32_t flags = 0;
    const FontRasterizer* font = nullptr;
    TextRect rect;
    int shift = 0;
  };
  const std::vector<std::string> rawLines = SplitLines(text);
  const int m = static_cast<int>(rawLines.size());
  const int t = style.OutlineThickness();
  std::vector<Line> lines(m);

  const FontRasterizer* current = nullptr;
  for (int j = 0; j < m; ++j) {
    Line& line = lines[j];
    const bool fromList = j >= 1 && lineStyles != nullptr && !lineStyles->IsEmpty();
    std::string face = style.FaceName();
    int height = style.m_height;
    line.color = style.m_color;
    line.flags = style.m_flags;
    if (fromList) {
      const LineStyle entry = lineStyles->At(j - 1);
      line.color = entry.color;
      height = entry.height;
      line.flags = entry.flags;
      face = entry.faceName;
    }
    // A font that cannot be made leaves the previous one in use.
    if (j == 0 || fromList) {
      if (const FontRasterizer* font = FontFor(face, height, line.flags)) current = font;
    }
    line.font = current;
    if (current == nullptr) continue;
    line.text = RemoveAmpersands(rawLines[j]);
    LayoutText(*current, linesPerPage, band, line.text, style, m, j, lineStyles, line.rect);
    line.shift = (line.flags & kTextOutline) ? t : 0;
    line.rect = Shifted(line.rect, line.shift);
  }

  if (m > 1) {  // stack the measured lines as one block
    int total = 0;
    for (const Line& line : lines) total += line.rect.Height();
    int top = style.m_vAlign == kAlignVCenter  ? (kDrawHeight - total) / 2
              : style.m_vAlign == kAlignBottom ? kDrawHeight - total
                                               : 0;
    for (Line& line : lines) {
      const int height = line.rect.Height();
      line.rect.top = top;
      line.rect.bottom = top + height;
      top = line.rect.bottom;
    }
  }

  const int outlineIndex = ColorOf(bitmap, colors16, style.m_outlineColor);
  const int boxIndex = ColorOf(bitmap, colors16, style.m_backgroundColor);
  for (const Line& line : lines) {
    if (line.font == nullptr) continue;
    const TextRun run = line.font->Shape(line.text);
    const int x = line.rect.left, y = line.rect.top;
    if (style.m_backgroundBox == 1)  // opaque text background: the text's own cell
      bitmap.FillRect(x, y, x + run.width, y + line.font->Height(), boxIndex);
    if (line.flags & kTextOutline) {
      if (Aborted()) return;
      line.font->DrawWidened(bitmap, x, y, run, t, outlineIndex, {0, 0, kDrawWidth, kDrawHeight});
    }
    line.font->Draw(bitmap, x, y, run, ColorOf(bitmap, colors16, line.color));
  }
  if (outRect != nullptr) *outRect = Clamped(Shifted(lines.back().rect, -lines.back().shift));
}

void CdgGenerator::RenderSweepText(DrawingBitmap& bitmap, int linesPerPage, int band, std::string_view text,
                                   const TextType& style, const Colorref* colors16, TextRect* outRect, int first,
                                   int last) {
  if (outRect != nullptr) *outRect = TextRect{};
  if (text.empty() || colors16 == nullptr) return;
  const FontRasterizer* font = FontFor(style.FaceName(), style.m_height, style.m_flags);
  if (font == nullptr) return;
  const int t = style.IsOutlined() ? style.OutlineThickness() : 0;

  // The sweep covers the line as DrawText drew it: '&'s removed, character
  // positions moved onto the drawn text.
  const SweptLine& line = SweptLineFor(*font, text);
  const ShapedLine& drawn = line.drawn;
  const size_t length = drawn.Text().size();
  size_t end = length;
  if (last >= 0 && static_cast<size_t>(last) < text.size()) end = line.drawnAt[EndAfter(text, last)];
  const size_t start = first > 0 ? std::min(line.drawnAt[StartOf(text, first)], end) : 0;
  const SweepGlyphs glyphs(*font, drawn, end, start);
  const int textWidth = glyphs.text->PenAfter(glyphs.textCount);

  TextRect rect, part;
  LayoutMeasured(*font, linesPerPage, band, drawn.PenAfter(drawn.Run().glyphs.size()), style, 1, 0, nullptr, rect);
  rect = Shifted(rect, t);
  if (end < length) {
    LayoutMeasured(*font, linesPerPage, band, textWidth, style, 1, 0, nullptr, part);
    rect.right = rect.left + part.Width();
  }
  const int x = rect.left, y = rect.top;
  if (first > 0) {
    // The swept characters are measured on their own, as the word alone
    // (which may guess another script than the line): a word's cost.
    const int partWidth = font->Measure(std::string_view(drawn.Text()).substr(start, end - start));
    LayoutMeasured(*font, linesPerPage, band, partWidth, style, 1, 0, nullptr, part);
    rect.left = rect.right - part.Width();
  }
  const TextRect swept = Clamped(Shifted(rect, -t));
  // Only the swept cells are cut into tiles: glyphs that cannot reach them are not drawn.
  const TextRect cells = CellsOf(swept);
  const auto reaching = [&](const ShapedLine& shaped, size_t count, int margin) {
    return shaped.Reaching(count, x, cells.left, cells.right, margin);
  };

  if (style.m_backgroundBox == 1)
    bitmap.FillRect(std::max(x, cells.left), y, std::min(x + textWidth, cells.right), y + font->Height(),
                    ColorOf(bitmap, colors16, style.m_backgroundColor));
  if (style.IsOutlined()) {
    if (Aborted()) return;
    font->DrawWidened(bitmap, x, y, reaching(*glyphs.text, glyphs.textCount, t), t,
                      ColorOf(bitmap, colors16, style.m_outlineColor), cells);
  }
  font->Draw(bitmap, x, y, reaching(*glyphs.text, glyphs.textCount, 0), ColorOf(bitmap, colors16, style.m_color));
  // Pixels of the characters before the sweep must never carry its colour.
  if (first > 0 && style.m_backgroundBox != 1)
    font->Draw(bitmap, x, y, reaching(*glyphs.prefix, glyphs.prefixCount, 0),
               ColorOf(bitmap, colors16, style.m_backgroundColor));
  if (outRect != nullptr) *outRect = swept;
}

TextRect CdgGenerator::LineInk(int linesPerPage, int band, std::string_view text, const TextType& style) {
  const FontRasterizer* font = FontFor(style.FaceName(), style.m_height, style.m_flags);
  if (font == nullptr || text.empty()) return {};
  const std::string drawn = RemoveAmpersands(text);
  TextRect cell;
  LayoutText(*font, linesPerPage, band, drawn, style, 1, 0, nullptr, cell);
  // As RenderText draws it: moved by the outline, which widens the ink as far again each way.
  const int t = style.IsOutlined() ? style.OutlineThickness() : 0;
  const TextRect ink = font->InkOf(font->Shape(drawn));
  if (ink.IsEmpty()) return {};
  const int x = cell.left + t, y = cell.top + t;
  return {x + ink.left - t, y + ink.top - t, x + ink.right + t, y + ink.bottom + t};
}

int CdgGenerator::LineHeight(const TextType& style) {
  const FontRasterizer* font = FontFor(style.FaceName(), style.m_height, style.m_flags);
  if (font == nullptr) return 0;
  return font->Height() + (style.IsOutlined() ? 2 * std::max(style.m_height / 10, 1) : 0);
}

int CdgGenerator::DrawText(int linesPerPage, int band, std::string_view text, const TextType& style,
                           int backgroundIndex, int offset) {
  if (text.empty() || Aborted()) return 0;
  const Palette16 grey = GreyPalette();
  DrawingBitmap bitmap(grey, backgroundIndex);
  TextRect rect;
  RenderText(bitmap, linesPerPage, band, text, style, grey.data(), &rect, nullptr);
  PreviewCopy(bitmap, rect);

  const int background = backgroundIndex & 0x0F;
  const int outlineIndex = ColorIndexOf(bitmap, grey[style.m_outlineColor & 0x0F]);
  const int textIndex = ColorIndexOf(bitmap, grey[style.m_color & 0x0F]);
  int written = 0;
  ForEachCell(rect, [&](int column, int row) {
    if (Aborted()) return false;
    if (style.IsOutlined()) {
      if (auto tile = MakeColorXorTile(bitmap, column, row, column + 1, row + 1, outlineIndex, background))
        written += WritePacket(*tile, offset + written);
    }
    if (auto tile = MakeColorXorTile(bitmap, column, row, column + 1, row + 1, textIndex, background))
      written += WritePacket(*tile, offset + written);
    return true;
  });
  return written;
}

int CdgGenerator::EraseText(int linesPerPage, int band, std::string_view text, const TextType& style,
                            int backgroundIndex, int offset) {
  if (text.empty() || Aborted()) return 0;
  const Palette16 grey = GreyPalette();
  DrawingBitmap bitmap(grey, backgroundIndex);
  TextRect rect;
  RenderText(bitmap, linesPerPage, band, text, style, grey.data(), &rect, nullptr);

  if (Renderer() != nullptr) {
    // The preview shows what the packets do: whole cells in the background.
    const TextRect cells = CellsOf(rect);
    bitmap.FillRect(cells.left, cells.top, cells.right, cells.bottom, backgroundIndex);
    PreviewCopy(bitmap, cells);
  }
  if (!HasOutput()) return 0;
  int written = 0;
  ForEachCell(rect, [&](int column, int row) {
    if (Aborted()) return false;
    written += FillCell(column + 1, row + 1, backgroundIndex, offset + written);
    return true;
  });
  return written;
}

int CdgGenerator::SweepText(int linesPerPage, int band, std::string_view text, int first, int last,
                            const TextType& style, int backgroundIndex, int sweepIndex, bool boxMode, int startOffset,
                            int endOffset, TextRect* outRect) {
  if (text.empty() || Aborted()) return 0;
  const Palette16 grey = GreyPalette();
  DrawingBitmap bitmap(grey, backgroundIndex);

  TextType preview = style, output = style;
  if (boxMode) {
    preview.m_backgroundBox = 1;
    preview.m_backgroundColor = sweepIndex;
    output.m_backgroundBox = 1;
    output.m_backgroundColor = sweepIndex;
    output.m_color = backgroundIndex;
  } else {
    preview.m_backgroundBox = 0;
    preview.m_color = sweepIndex;
    output.m_backgroundBox = 0;
    output.m_color = sweepIndex;
  }

  if (Renderer() != nullptr) {
    TextRect rect;
    RenderSweepText(bitmap, linesPerPage, band, text, preview, grey.data(), &rect, first, last);
    if (outRect != nullptr) *outRect = rect;
    // The sweep bitmap holds only the swept part of the line: lay it over
    // the line on screen rather than blanking the rest of the rectangle.
    PreviewCopy(bitmap, rect, backgroundIndex & 0x0F);
  }
  if (!HasOutput()) return 0;

  TextRect rect;
  RenderSweepText(bitmap, linesPerPage, band, text, output, grey.data(), &rect, first, last);
  const int sweep = ColorIndexOf(bitmap, grey[sweepIndex & 0x0F]);
  const int base = boxMode ? backgroundIndex : style.m_color;
  std::vector<CdgPacket> tiles;
  ForEachCell(rect, [&](int column, int row) {
    if (Aborted()) return false;
    if (auto tile = MakeColorXorTile(bitmap, column, row, column + 1, row + 1, sweep, base)) tiles.push_back(*tile);
    return true;
  });

  // Tile k at ((e + k (f - e) / N) / 24) * 24: even steps across the span.
  const long long n = static_cast<long long>(tiles.size());
  const long long span = static_cast<long long>(endOffset) - startOffset;
  int written = 0;
  for (long long k = 0; k < n; ++k) {
    const long long at = (startOffset + k * span / n) / kPacketSize * kPacketSize;
    written += WritePacket(tiles[static_cast<size_t>(k)], static_cast<int>(at));
  }
  return written;
}

}  // namespace lf
