#pragma once
// What a song is, apart from how it looks: its texts (raw lyrics, artist,
// title, the singers' labels) and the karaoke lines and words laid out from
// the lyrics, with their singers and times. Lines and words are read through
// const access only; every change of a time, a singer or a selection goes
// through the editing functions here, so whoever keeps a history of edits
// sees each one.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "core/song/karaoke_line_list.h"
#include "core/song/sample_time.h"
#include "core/song/song_change.h"

namespace lf {

// Every time the lyrics hold, in order, and the marks timing leaves on the
// words (for review, tapped again): what an undo step restores.
struct LyricTimes {
  std::vector<WordTimes> words;  // one per word
  std::vector<WordTimes> lines;  // one per line: drawn and erased
  std::vector<bool> placed;      // one per line
  std::vector<uint32_t> marks;   // one per word: its kNeedsReview and kRetapped flags
  bool operator==(const LyricTimes&) const = default;
};

class SongLyrics {
 public:
  // `observers` hear of text and line changes; `markModified` is called when
  // the raw lyrics change.
  SongLyrics(SongObservers& observers, std::function<void()> markModified);
  SongLyrics(const SongLyrics&) = delete;
  SongLyrics& operator=(const SongLyrics&) = delete;

  // --- texts --------------------------------------------------------------------
  const std::string& RawLyrics() const { return m_rawLyrics; }
  void SetRawLyrics(std::string text);
  const std::string& Artist() const { return m_artist; }
  void SetArtist(std::string artist);
  const std::string& Title() const { return m_title; }
  void SetTitle(std::string title);
  // Labels of singer 1, singer 2 and both singers (index 0, 1, 2).
  const std::string& DuetLabel(int index) const;
  void SetDuetLabel(int index, std::string label);

  // --- lines and words, read only ---------------------------------------------------
  int LineCount() const { return static_cast<int>(m_lines.lines.size()); }
  const KaraokeLine* Line(int index) const;
  const std::vector<std::unique_ptr<KaraokeLine>>& Lines() const { return m_lines.lines; }
  const KaraokeLineList& LineList() const { return m_lines; }
  int WordCount() const { return static_cast<int>(m_lines.words.size()); }
  const KaraokeWord* Word(int index) const;
  // Index of `word` in the word list, or -1.
  int IndexOfWord(const KaraokeWord* word) const;
  // Index of `line` in the line list, or -1.
  int IndexOfLine(const KaraokeLine* line) const;
  // Index of the first word with start <= t <= end, or -1.
  int WordAtTime(SampleTime t) const;
  // Index of the first word on `page` whose rectangle holds (x, y), or -1.
  int WordAtPoint(int x, int y, int page) const;
  int FirstWordOfPage(int page) const;
  int LastWordOfPage(int page) const;
  // The largest page number of any line, 0 without lines.
  int LastPage() const;
  bool AnyWordPlaced() const;

  // --- editing ------------------------------------------------------------------------
  // Installs a freshly laid out (or read) line list, telling LinesRebuilt.
  void ReplaceLines(KaraokeLineList lines);
  void ClearLines();
  // A change of the laid-out lines in place (word boundaries and times from a
  // timed import); no line or word is added or removed, so held pointers stay good.
  void EditLines(const std::function<void(KaraokeLineList&)>& edit) { edit(m_lines); }
  void RenumberPages(int linesPerPage);
  void SetWordTimes(int word, SampleTime start, SampleTime end);
  void SetWordStart(int word, SampleTime start);
  void SetWordEnd(int word, SampleTime end);
  void SetLineTimes(int line, SampleTime drawn, SampleTime erased);
  void SetLinePlaced(int line, bool placed);
  void SetLineColor(int line, int32_t colorIndex);
  void SelectWord(int word, bool on);
  void MarkForReview(int word, bool on);
  void MarkRetapped(int word, bool on);
  void SetWordRect(int word, const WordRect& rect);
  // All times at once, for a history to take and give back (same line list).
  LyricTimes Times() const;
  void RestoreTimes(const LyricTimes& times);

 private:
  friend class Song;  // sets the raw lyrics without marking them modified (a reset, a copy)

  KaraokeWord* MutableWord(int index);
  KaraokeLine* MutableLine(int index);

  SongObservers& m_observers;
  std::function<void()> m_markModified;
  std::string m_rawLyrics;
  std::string m_artist;
  std::string m_title;
  std::array<std::string, 3> m_duetLabels;
  KaraokeLineList m_lines;
};

}  // namespace lf
