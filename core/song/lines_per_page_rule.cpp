#include "core/song/lines_per_page_rule.h"

#include <algorithm>

namespace lf {

LinesPerPageChoices LinesPerPageChoicesFor(const Song& song) {
  const PageRecord* lyrics = song.Look().PageByKind(LyricsPage);
  const bool wholeScreen = !lyrics || lyrics->m_lyricsArea == 0;
  return {song.Look().IsDuet() ? 3 : 2, wholeScreen ? 6 : 3};
}

int EraseWhenMaximum(const Song& song, bool sheetOpening) {
  const int spare = sheetOpening || !song.Look().IsDuet() ? 2 : 3;
  return std::max(song.Look().LinesPerPage() - spare, 0);
}

int ChooseEraseWhen(Song& song, int count, bool sheetOpening) {
  const int stored = std::clamp(count, 0, EraseWhenMaximum(song, sheetOpening));
  song.Look().SetEraseFromBottom(stored);
  return stored;
}

void RebuildLinesPerPage(Song& song) {
  const LinesPerPageChoices choices = LinesPerPageChoicesFor(song);
  song.SetLinesPerPage(std::clamp(song.Look().LinesPerPage(), choices.minimum, choices.maximum));
  ChooseEraseWhen(song, song.Look().EraseFromBottom());
}

void ChooseLinesPerPage(Song& song, int position) {
  const LinesPerPageChoices choices = LinesPerPageChoicesFor(song);
  song.SetLinesPerPage(choices.minimum + std::clamp(position, 0, choices.Count() - 1));
  ChooseEraseWhen(song, song.Look().EraseFromBottom());
}

void ChooseSingerMode(Song& song, int singerMode) {
  song.Look().Settings().singerMode = singerMode > 1 ? 2 : 1;
  RebuildLinesPerPage(song);
}

}  // namespace lf
