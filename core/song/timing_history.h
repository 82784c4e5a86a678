#pragma once
// The undo history of a song's times: every change of word or line times
// (a tap, a nudge, a snap, an erase, an import that replaces times) is one
// named step holding the times before and after it. Text edits are not
// steps; when the lines are laid out anew with another count of words, the
// steps no longer fit and the history starts over.
#include <string>
#include <vector>

#include "core/song/song_lyrics.h"

namespace lf {

class Song;

class TimingHistory {
 public:
  // Adds a step unless nothing changed; a new step drops what could be redone.
  void Record(std::string name, LyricTimes before, LyricTimes after);
  bool CanUndo() const { return m_done > 0; }
  bool CanRedo() const { return m_done < m_steps.size(); }
  // The step Undo or Redo would take ("Nudge Start of 'star'"), empty when none.
  std::string UndoName() const;
  std::string RedoName() const;
  // Puts the times back as they were before (Undo) or after (Redo) the step.
  // False, and the history cleared, when the step does not fit the lines.
  bool Undo(SongLyrics& lyrics);
  bool Redo(SongLyrics& lyrics);
  void Clear();
  size_t StepCount() const { return m_steps.size(); }

 private:
  friend class TimingEdit;
  struct Step {
    std::string name;
    LyricTimes before;
    LyricTimes after;
  };
  bool Fits(const LyricTimes& times, const SongLyrics& lyrics) const;

  std::vector<Step> m_steps;
  size_t m_done = 0;    // steps [0, m_done) are done
  int m_openEdits = 0;  // TimingEdits alive: only the outermost makes a step
};

// One step of the song's history around the edit made while it lives: takes
// the times when made and records the step, if they changed, when it ends.
// An edit made inside another (a snap that nudges) is part of the outer step.
class TimingEdit {
 public:
  TimingEdit(Song& song, std::string name);
  ~TimingEdit();
  TimingEdit(const TimingEdit&) = delete;
  TimingEdit& operator=(const TimingEdit&) = delete;

 private:
  Song& m_song;
  std::string m_name;
  LyricTimes m_before;
};

// A step's name with the word it changed: ("Nudge Start of", star) gives
// "Nudge Start of 'star'"; the action alone without such a word.
std::string StepNameForWord(const std::string& action, const SongLyrics& lyrics, int word);

}  // namespace lf
