#pragma once
// The "Adjust Play Area Controls" dialog without its widgets: how many words
// (or seconds) loop play covers around the selected word, and how far one
// nudge moves it. It edits a copy of the settings; OK writes the copy back.
#include <string>

#include "core/song/song_settings_block.h"

namespace lf {

class Song;

class PlayAreaSettingsEdit {
 public:
  // Takes the copy, then sets the song's own area units to words, which
  // marks the project changed even when the dialog is cancelled.
  explicit PlayAreaSettingsEdit(Song& song);

  // The words box: before amount in words ("%d"), or in seconds ("%.1f").
  std::string AreaText() const;
  // Typing sets the before and after amounts to the number times 1000.
  void TypeArea(const std::string& text);
  // The up-down control: one word within 2-4, or 0.5 s within 0-9.5 s.
  void StepArea(int steps);

  // The step box: the adjust step in seconds, "%.2f".
  std::string StepText() const;
  void TypeStep(const std::string& text);
  // The up-down control: 0.05 s within 0-1 s.
  void StepStep(int steps);
  // Leaving the step box turns a negative step positive.
  void LeaveStepBox();

  // OK: the copy becomes the song's settings.
  void Accept();
  const SongSettingsBlock& Edited() const { return m_copy; }

 private:
  bool InSeconds() const { return m_copy.playBeforeInSeconds != 0; }
  void SetArea(double amount);

  Song& m_song;
  SongSettingsBlock m_copy;
};

}  // namespace lf
