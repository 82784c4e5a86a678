#pragma once
// What the Lyrics settings page offers for "Lines:" and "Erase when N lines
// from bottom", and how a choice there changes the song. Duet songs need at
// least 3 lines a page (solo 2); a lyrics area shared with a picture holds at
// most 3 (the whole screen 6).
#include "core/song/song.h"

namespace lf {

struct LinesPerPageChoices {
  int minimum = 2;
  int maximum = 6;
  int Count() const { return maximum - minimum + 1; }
  int PositionOf(int lines) const { return lines - minimum; }
};

LinesPerPageChoices LinesPerPageChoicesFor(const Song& song);

// The list is rebuilt (the sheet opens, Solo/Duet, a lyrics picture loaded or
// removed): the song's lines per page is clamped into the choices and stored,
// and the erase-from-bottom count clamped to what the new count allows.
void RebuildLinesPerPage(Song& song);

// The entry at `position` is chosen: lines per page = minimum + position,
// and the erase-from-bottom count is clamped to the new list.
void ChooseLinesPerPage(Song& song, int position);

// Highest "Erase when" entry: lines per page - 2 (solo) or - 3 (duet). When
// the sheet opens the list runs to lines per page - 2 in either mode.
int EraseWhenMaximum(const Song& song, bool sheetOpening = false);

// Stores `count` clamped into 0 ... EraseWhenMaximum; returns what was stored.
int ChooseEraseWhen(Song& song, int count, bool sheetOpening = false);

// "Solo" (1) or "Duet" (2); rebuilds the lines list.
void ChooseSingerMode(Song& song, int singerMode);

}  // namespace lf
