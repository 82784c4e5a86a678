#pragma once
// NudgeSession: the Adjust Lyrics page without its widgets. One word is
// selected on the preview; its start and end move by the adjust step, and
// the song plays either from the word on (audition) or in a loop over the
// play area around it, recompiled at every pass so each change is heard.
// The session also steps through the words the voice does not bear out,
// shifts runs of words, and times a repeated line from its first singing.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/timing/placement_tempo.h"
#include "core/timing/timing_key.h"
#include "core/timing/timing_player.h"
#include "core/timing/word_confidence.h"
#include "core/timing/word_nudge.h"

namespace lf {

class Song;
class CdgRenderer;

enum class NudgeMode : int { Stopped = 0, Audition = 1, Loop = 2 };

// Where Next Unsure Word got to.
enum class UnsureStep : int {
  Looping,     // the next unsure word is selected and its play area loops
  NoneUnsure,  // every timed word is borne out by the voice
  Listening,   // the music's analysis is not ready yet
};

// What Shift Times moves, counted from the selected word.
enum class ShiftScope : int { Word, Line, ToEnd };

struct NudgeControls {
  bool pageButtons = true, adjustArea = true;
  bool auditionGroup = true;
  bool adjustHint = false;
  bool singersShown = false, singersEnabled = false;
  int singerChecked = -1;  // 0 "&1", 1 "&2", 2 "&Both", -1 none
  bool previousPage = false, nextPage = false;
  std::string pageText;  // "%d of %d"
};

class NudgeSession {
 public:
  // `preview` (optional, not owned) shows the page and the played graphics.
  NudgeSession(Song& song, TimingPlayer& player, CdgRenderer* preview = nullptr);
  // Leaving the page: no word stays selected, the tempo is back to normal.
  ~NudgeSession();

  // Opening leaves the project's changed flag as it was. It selects `word`
  // (on its page) when there is such a word, else the first word.
  void Open(int word = -1);

  // A key as it arrives (`ctrl`: Ctrl is down); true when the page keeps it.
  bool KeyDown(TimingKey key, bool ctrl);
  void KeyUp(TimingKey key);

  // A left click at (x, y) on a preview of `width` x `height`, while stopped.
  void Click(int x, int y, int width, int height, bool shift);
  void SelectPrevious();
  void SelectNext();
  void PreviousPage();
  void NextPage();

  void NudgeStartEarlier();
  void NudgeStartLater();
  void NudgeEndEarlier();
  void NudgeEndLater();
  // The selected word's start onto the strongest onset near it; false while
  // the music's analysis is not ready or no onset is near.
  bool Snap();

  // The words rated against the voice of the working music (one per word);
  // empty while the music's analysis is not ready.
  std::vector<WordConfidence> RateWords() const;
  // Selects the next unsure word after the selected one, going round, and
  // loops the play area around it (stopping whatever played). The selection
  // stays when there is no such word or the music is not analysed yet.
  UnsureStep NextUnsureWord();
  // Shift Times from the selected word: that word, its line, or it and
  // every word after it, by `milliseconds` (negative: earlier). A refused
  // shift changes nothing and its outcome says why.
  Outcome ShiftTimes(ShiftScope scope, int milliseconds);
  // Everything from the selected word on by `steps` adjust steps.
  Outcome ShiftBySteps(int steps);
  // The selected word's line timed like the nearest earlier line with the
  // same words, from its own first word's start.
  Outcome CopyTimingFromEarlierLine();
  // What the page should tell after the last key or action (why nothing
  // was unsure, why a shift was refused, why the word found is doubted);
  // empty when there is nothing to tell.
  const std::string& Notice() const { return m_notice; }

  void AuditionPlay();
  void AdjustPlay();
  // The player reached the end of a loop pass (call on the page's thread).
  void OnEndNotice();
  // Every 100 ms: an audition that played to the end stops.
  void Tick();
  // 0 singer 1, 1 singer 2, 2 both: the selected word's line takes that colour.
  void AssignSinger(int singer);
  // Auditions and loops play slower, 25-100 % (Up and Down step it); false outside.
  bool StepTempo(int steps);
  const PlacementTempo& Tempo() const { return m_tempo; }

  int SelectedWord() const { return m_selected; }
  int CurrentPage() const { return m_page; }
  NudgeMode Mode() const { return m_mode; }
  int32_t LeadIn() const { return m_leadIn; }
  int32_t PlayStart() const { return m_playStart; }
  NudgeControls Controls() const;
  // Shows the current page with the selection underlined.
  void Redraw();
  // Told when a play a key asked for cannot start (no sound device, the
  // music unreadable), with the message for the user.
  void SetPlayFailureNotice(std::function<void(const Outcome&)> notice) { m_playFailure = std::move(notice); }

 private:
  void Select(int word);
  bool Play(bool areaOn);
  void StopPlaying();
  int SampleRate() const;
  Outcome ShiftFrames(ShiftScope scope, int64_t frames);
  void Tell(const Outcome& outcome);

  Song& m_song;
  TimingPlayer& m_player;
  std::function<void(const Outcome&)> m_playFailure;
  CdgRenderer* m_preview;
  HeldKeys m_held;
  NudgeMode m_mode = NudgeMode::Stopped;
  PlacementTempo m_tempo;
  int m_selected = -1;
  int m_page = 0;
  int32_t m_leadIn = 0;
  int32_t m_playStart = 0;
  std::string m_notice;
};

}  // namespace lf
