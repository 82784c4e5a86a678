#pragma once
// FinalPlayback: the Play Final page without its widgets. The whole song is
// compiled and played with its music; a slider in packets shows and sets the
// place, and a label shows "m:ss/m:ss" (elapsed/total, lead-in included).
#include <cstdint>
#include <string>

#include "core/timing/timing_player.h"

namespace lf {

class Song;
class CdgRenderer;

// Whole seconds of `position` and `total` sample frames as "m:ss/m:ss".
std::string ElapsedTotalText(int64_t position, int64_t total, int sampleRate);

class FinalPlayback {
 public:
  // `preview` (optional, not owned) is where paused seeks redraw the screen.
  FinalPlayback(Song& song, TimingPlayer& player, CdgRenderer* preview = nullptr);

  // Lays the lines out and compiles the whole song. False when it cannot
  // (ErrorText says why); the page then stays stopped at 0:00/0:00.
  bool Prepare();
  const std::string& ErrorText() const { return m_error; }

  // Play from the resume position, or pause there.
  // Fails only when playing cannot start (no sound device, music unreadable).
  Outcome PlayOrPause();
  // Every 100 ms: follows the player, and at the end of the music goes back
  // to the start. True when the label text changed.
  bool Tick();
  // The user moved the slider's thumb (drag, keys, click on the channel).
  void SliderMoved(int packet);
  // The move ended: the preview shows the screen at the new place, and a
  // play paused by the move goes on from there.
  void SliderReleased();

  bool IsPlaying() const { return m_playing; }
  // The other pages' buttons are disabled while playing, and stay so while a drag holds the play.
  bool PageButtonsEnabled() const { return !m_playing && !m_dragging; }
  int SliderPosition() const { return m_sliderPosition; }
  int SliderMaximum() const;
  int LineStep() const;  // 3 seconds of packets
  int PageStep() const;  // 15 seconds
  std::string Label() const;
  std::string ButtonText() const { return m_playing ? "Pause (SB)" : "Play (SB)"; }
  // "m:ss" and the start of the line sung at slider position `packet`.
  std::string PlaceText(int packet) const;

  int32_t LeadIn() const { return m_leadIn; }
  int64_t Total() const { return m_total; }
  int64_t ResumePosition() const { return m_resume; }

 private:
  void Pause();
  void ClearPreview();
  void RedrawPreview(int from, int to);
  int SamplesPerPacket() const;
  // The slider's packet slot of a play position in sample frames, and back.
  int64_t SlotAt(int64_t position) const;
  int64_t PositionOfSlot(int64_t slot) const;
  int LastPacket() const;

  Song& m_song;
  TimingPlayer& m_player;
  CdgRenderer* m_preview;
  TimingPlaySource m_source;
  std::string m_error;
  bool m_playing = false;
  bool m_dragging = false;
  int64_t m_resume = 0;
  int m_sliderPosition = 0;
  int32_t m_leadIn = 0;
  int64_t m_total = 0;
  bool m_prepared = false;
};

}  // namespace lf
