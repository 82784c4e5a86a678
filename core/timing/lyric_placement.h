#pragma once
// LyricPlacement: the word times that tapping gives. Each `PlaceWord` starts
// the next word in lyric order at the tap's time and ends the word before it
// there; `PauseSweep` ends the open word early; `EndPlacement` closes the run.
// Words never reached keep the times they had. Times are the caller's (the
// heard play position at the key press), so the rules run on any clock.
#include <algorithm>
#include <vector>

#include "core/song/sample_time.h"

namespace lf {

class Song;
class PlacementPreview;

inline constexpr int kNoWord = -1;

class LyricPlacement {
 public:
  // `preview` (optional, not owned) follows every step.
  explicit LyricPlacement(Song& song, PlacementPreview* preview = nullptr);

  // Lays the lines out (timings kept, markers as typed), clears the
  // selection and shows the first word as next.
  void Open();
  // A new run from the first word; no times are cleared.
  void StartPlacement();
  void PlaceWord(SampleTime t);
  void PauseSweep(SampleTime t);
  // Ends the open word one second (`sampleRate` frames) after its start; in
  // duet mode times the singer-2 lines from the lines before them.
  void EndPlacement(int sampleRate);
  // Takes the last tap of this run back: that word's times are cleared, it
  // is next again, and the word before it is open again when the tap had
  // ended it. False when nothing was placed in this run.
  bool StepBack();

  int Cursor() const { return m_cursor; }      // the next word to place
  int OpenWord() const { return m_openWord; }  // kNoWord when none
  bool AtEnd() const;

 private:
  void SkipSingerTwoLine();
  void ShowAfterPlacing();
  void ShowCursorPage();

  Song& m_song;
  PlacementPreview* m_preview;
  int m_cursor = 0;
  int m_openWord = kNoWord;
  std::vector<int> m_placedThisRun;  // word indices, in tap order
  std::vector<int> m_takenBack;      // words whose tap this run took back
};

// In duet mode, spreads each singer-2 line evenly over the span of the last
// line with words before it: from its first word's start to its last word's end.
void TimeSecondLines(Song& song);

}  // namespace lf
