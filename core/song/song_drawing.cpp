// The song's lines drawn on preview screens, and the word rectangles that the
// timing screens hit-test against.
#include "core/cdg/rw_generator.h"
#include "core/playback/rw_renderer.h"
#include "core/song/song_settings.h"

namespace lf {

void Song::LyricsRow(int lineInPage, int& row, int& rows) const {
  const int n = m_settings.linesPerPage;
  const PageRecord* lyrics = PageByKind(LyricsPage);
  const int area = lyrics ? lyrics->m_lyricsArea : 0;
  switch (area) {
    case 0:
      rows = n, row = lineInPage;
      break;
    case 50:
      rows = 2 * n, row = n + lineInPage;
      break;
    case 75:
      rows = 4 * n, row = 3 * n + lineInPage;
      break;
    default:
      rows = n, row = 0;
      break;
  }
}

int Song::LineColor(const KaraokeLine& line) const {
  if (line.m_fixed) return m_fixedColorIndex;
  return IsDuet() ? line.m_colorIndex : ColorIndexSinger1;
}

void Song::CalcWordRectangles() {
  const PageRecord* lyrics = PageByKind(LyricsPage);
  if (!lyrics) return;
  CdgRenderer offscreen;
  CdgGenerator generator(&offscreen);
  for (const auto& line : m_lines.lines) {
    int row, rows;
    LyricsRow(line->m_lineInPage, row, rows);
    const int sweepColor = LineColor(*line);
    for (KaraokeWord* word : line->m_words) {
      TextType style = lyrics->m_style;
      TextRect rect;
      generator.SweepText(rows, row, line->m_text, word->m_firstChar, word->m_lastChar, style,
                          lyrics->m_backgroundColor, sweepColor, m_settings.sweepMode == 1, 0, 0, &rect);
      word->m_rect = {rect.left, rect.top, rect.right, rect.bottom};
    }
  }
}

namespace {

// Loads the lyrics colours, sets the border and clears the preview screen.
void PrepareScreen(CdgGenerator& generator, const PageRecord& lyrics) {
  const auto colors = Song::PageColors(lyrics);
  generator.LoadColorTable(colors.data(), 0);
  generator.SetBorder(lyrics.m_borderColor, 0);
  generator.ClearScreen(lyrics.m_backgroundColor, 0);
}

}  // namespace

template <typename Pick>
static void DrawLines(const Song& song, CdgRenderer& renderer, Pick&& pick) {
  const PageRecord* lyrics = song.PageByKind(LyricsPage);
  if (!lyrics) return;
  CdgGenerator generator(&renderer);
  PrepareScreen(generator, *lyrics);
  for (const auto& line : song.Lines()) {
    if (!pick(*line)) continue;
    int row, rows;
    song.LyricsRow(line->m_lineInPage, row, rows);
    const int color = song.LineColor(*line);
    TextType style = lyrics->m_style;  // the page's own style stays as it is
    style.m_color = color;
    generator.DrawText(rows, row, line->m_text, style, lyrics->m_backgroundColor, 0);
    for (const KaraokeWord* word : line->m_words) {
      if (!word->IsSelected()) continue;
      TextType underlined = style;
      underlined.m_flags |= kTextUnderline;
      generator.SweepText(rows, row, line->m_text, word->m_firstChar, word->m_lastChar, underlined,
                          lyrics->m_backgroundColor, color, false, 0, 0, nullptr);
    }
  }
  renderer.RefreshAll();
}

void Song::DrawPage(CdgRenderer& renderer, int page) const {
  DrawLines(*this, renderer, [page](const KaraokeLine& line) { return line.m_page == page; });
}

void Song::DrawLinesAtTime(CdgRenderer& renderer, SampleTime t) const {
  DrawLines(*this, renderer, [t](const KaraokeLine& line) { return line.m_startTime < t && t < line.m_endTime; });
}

}  // namespace lf
