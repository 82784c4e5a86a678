#pragma once
// PlacementSession: the Place Lyrics page without its widgets. Keys and
// buttons come in here; the session plays the music, reads the heard
// position at each key press and hands it to the placement rules, and says
// which controls are enabled. The page only maps keys and shows the result.
//
// A tap's time is the heard position at the key press less the author's tap
// offset (how late they tap, measured by calibration, in their own time: at
// a quarter tempo it is a quarter of that in the music). With hold to time,
// Space down starts the next word and Space up ends it.
//
// Tapping lines first, Space marks where the next line begins and Ctrl where
// the current one ends; at Stop the words are spread over each line and put
// on the voice (line_first_timing.h).
#include <string>
#include <vector>

#include "core/platform/outcome.h"
#include "core/timing/line_first_timing.h"
#include "core/timing/lyric_placement.h"
#include "core/timing/placement_tempo.h"
#include "core/timing/timing_key.h"

namespace lf {

class TimingPlayer;
class Song;
class PlacementPreview;

struct PlacementControls {
  bool start = true;
  std::string startText = "Start (Home)";
  bool placeWord = false, pause = false, stop = false;
  std::string placeWordText = "Place Word (SB)";
  std::string pauseText = "Pause (Ctrl)";
  bool tempo = true;
  bool editLyrics = true, settings = true;
  bool adjustAndFinal = false;  // "&Adjust Lyrics" and "&Play Final"
};

class PlacementSession {
 public:
  PlacementSession(Song& song, TimingPlayer& player, PlacementPreview* preview = nullptr);

  // Opening the page: lines laid out, first word marked, tempo 100 %.
  void Open();
  // A key as it arrives; true when the page keeps it from other handling.
  bool KeyDown(TimingKey key);
  void KeyUp(TimingKey key);
  // The buttons. Start answers false when the music cannot play.
  Outcome Start();
  void PlaceWord();
  void Pause();
  void Stop();
  bool StepBack();
  // Every 100 ms while placing: the end of the music ends the run.
  void Tick();
  // Refused (false) outside 25-100 %; also while placing (Up and Down).
  bool StepTempo(int steps);
  // Milliseconds the author taps after the beat they hear (may be negative).
  void SetTapOffsetMs(double ms) { m_tapOffsetMs = ms; }
  void SetHoldToTime(bool hold) { m_holdToTime = hold; }
  // Taps mark lines, not words; refused (false) while placing.
  bool SetLinesFirst(bool on);
  bool LinesFirst() const { return m_linesFirst; }
  // How the last run of line taps ended: refused taps say why, nothing changed.
  const Outcome& LinesOutcome() const { return m_linesOutcome; }
  size_t LineTapCount() const { return m_lineTaps.size(); }

  bool IsPlacing() const { return m_placing; }
  bool HasRun() const { return m_hasRun; }
  const PlacementTempo& Tempo() const { return m_tempo; }
  const LyricPlacement& Placement() const { return m_placement; }
  PlacementControls Controls() const;

 private:
  bool Playing() const;
  SampleTime TapTime() const;
  void TapLine();
  void EndLine();
  void TimeTappedLines();
  void ShowNextLine();

  Song& m_song;
  TimingPlayer& m_player;
  LyricPlacement m_placement;
  PlacementTempo m_tempo;
  HeldKeys m_held;
  bool m_placing = false;
  bool m_hasRun = false;
  double m_tapOffsetMs = 0;
  bool m_holdToTime = false;
  bool m_linesFirst = false;
  PlacementPreview* m_preview;
  std::vector<int> m_tappable;  // the lines taps go to, in order
  std::vector<LineTap> m_lineTaps;
  Outcome m_linesOutcome;
};

}  // namespace lf
