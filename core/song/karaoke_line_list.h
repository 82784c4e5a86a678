#pragma once
// The karaoke lines and words laid out from raw lyric text. The word list owns
// the words, in lyric order; each line refers to its own words.
#include <memory>
#include <string>
#include <vector>

#include "core/song/karaoke_line.h"
#include "core/song/karaoke_word.h"

namespace lf {

struct KaraokeLineList {
  std::vector<std::unique_ptr<KaraokeLine>> lines;
  std::vector<std::unique_ptr<KaraokeWord>> words;

  // Deletes all words, then all lines.
  void Clear() {
    words.clear();
    lines.clear();
  }
  KaraokeLine& AddLine() { return *lines.emplace_back(std::make_unique<KaraokeLine>()); }
  // A new word appended to `line` and to the word list.
  KaraokeWord& AddWord(KaraokeLine& line) {
    auto& word = *words.emplace_back(std::make_unique<KaraokeWord>());
    word.m_line = &line;
    line.m_words.push_back(&word);
    return word;
  }
};

// What the layout needs from the song besides the text.
struct LineLayoutOptions {
  int linesPerPage = 4;
  int singerMode = 1;
  int defaultColorIndex = ColorIndexSinger1;  // text colour of the song's first page
  bool convertMarkers = true;
  bool hasPlacedLyrics = false;  // '&' lines then keep the colour they had
};

// Cleans raw lyric text in place: no carriage returns, single spaces, no
// spaces at line ends or around '*', none at either end.
void NormalizeLyricText(std::string& text);

// Lays `rawText` out into lines and words. Line colours are inherited from
// `old` by position. Sets *duetInSolo when a '&' line was met in solo mode.
KaraokeLineList LayoutKaraokeLines(const std::string& rawText, const KaraokeLineList& old,
                                   const LineLayoutOptions& options, bool* duetInSolo);

// Splits one line's text into words, appending them to `list`; converting
// removes each '*' and turns each '_' into a space in the line's text.
void SplitLineIntoWords(KaraokeLine& line, KaraokeLineList& list, bool convertMarkers);

// Gives the words of `fresh` the times of `old` by position (and each line the
// old line's placed flag); extra words of a line take the last time seen.
void CarryOverWordTimes(const KaraokeLineList& old, KaraokeLineList& fresh);

// Numbers the lines into pages of `linesPerPage` rows, honouring new-page flags.
void CalcLineAndPageNumbers(KaraokeLineList& list, int linesPerPage);

}  // namespace lf
