#include "core/song/song_drawing.h"

#include "core/cdg/rw_generator.h"
#include "core/playback/rw_renderer.h"
#include "core/song/song.h"

namespace lf {

void CalcWordRectangles(SongLyrics& words, const SongLook& look) {
  const PageRecord* lyrics = look.PageByKind(LyricsPage);
  if (!lyrics) return;
  CdgRenderer offscreen;
  CdgGenerator generator(&offscreen);
  int index = 0;
  for (const auto& line : words.Lines()) {
    int row, rows;
    look.LyricsRow(line->m_lineInPage, row, rows);
    const int sweepColor = look.LineColor(*line);
    for (const KaraokeWord* word : line->m_words) {
      TextType style = lyrics->m_style;
      TextRect rect;
      generator.SweepText(rows, row, line->m_text, word->m_firstChar, word->m_lastChar, style,
                          lyrics->m_backgroundColor, sweepColor, look.Settings().sweepMode == 1, 0, 0, &rect);
      words.SetWordRect(index++, {rect.left, rect.top, rect.right, rect.bottom});
    }
  }
}

void CalcWordRectangles(Song& song) { CalcWordRectangles(song.Lyrics(), song.Look()); }

namespace {

// Loads the lyrics colours, sets the border and clears the preview screen.
void PrepareScreen(CdgGenerator& generator, const PageRecord& lyrics) {
  const auto colors = SongLook::PageColors(lyrics);
  generator.LoadColorTable(colors.data(), 0);
  generator.SetBorder(lyrics.m_borderColor, 0);
  generator.ClearScreen(lyrics.m_backgroundColor, 0);
}

}  // namespace

template <typename Pick>
static void DrawLines(const Song& song, CdgRenderer& renderer, Pick&& pick) {
  const PageRecord* lyrics = song.Look().PageByKind(LyricsPage);
  if (!lyrics) return;
  CdgGenerator generator(&renderer);
  PrepareScreen(generator, *lyrics);
  for (const auto& line : song.Lyrics().Lines()) {
    if (!pick(*line)) continue;
    int row, rows;
    song.Look().LyricsRow(line->m_lineInPage, row, rows);
    const int color = song.Look().LineColor(*line);
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

void DrawPage(const Song& song, CdgRenderer& renderer, int page) {
  DrawLines(song, renderer, [page](const KaraokeLine& line) { return line.m_page == page; });
}

void DrawLinesAtTime(const Song& song, CdgRenderer& renderer, SampleTime t) {
  DrawLines(song, renderer, [t](const KaraokeLine& line) { return line.m_startTime < t && t < line.m_endTime; });
}

}  // namespace lf
