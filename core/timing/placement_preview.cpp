#include "core/timing/placement_preview.h"

#include "core/cdg/rw_generator.h"
#include "core/playback/rw_renderer.h"
#include "core/song/song.h"
#include "core/song/song_drawing.h"

namespace lf {

void PlacementPreview::DrawPageOf(int word) {
  if (const KaraokeWord* w = m_song.Lyrics().Word(word); w && w->m_line)
    DrawPage(m_song, m_renderer, w->m_line->m_page);
}

void PlacementPreview::MarkNextWord(int word) { Sweep(word, true); }

void PlacementPreview::SweepWord(int word) { Sweep(word, false); }

void PlacementPreview::Sweep(int word, bool underline) {
  const KaraokeWord* w = m_song.Lyrics().Word(word);
  const PageRecord* lyrics = m_song.Look().PageByKind(LyricsPage);
  if (!w || !w->m_line || !lyrics) return;
  const KaraokeLine& line = *w->m_line;
  int row, rows;
  m_song.Look().LyricsRow(line.m_lineInPage, row, rows);
  TextType style = lyrics->m_style;
  if (underline) style.m_flags |= kTextUnderline;
  // The mark keeps the word readable: an underline in the text's own colour, never a box.
  const int color = underline ? m_song.Look().LineColor(line) : m_song.Look().Settings().sweepColorIndex;
  const bool box = !underline && m_song.Look().Settings().sweepMode == 1;
  CdgGenerator generator(&m_renderer);
  generator.SweepText(rows, row, line.m_text, w->m_firstChar, w->m_lastChar, style, lyrics->m_backgroundColor, color,
                      box, 0, 0, nullptr);
}

}  // namespace lf
