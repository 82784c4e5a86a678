#include "core/timing/placement_session.h"

#include <algorithm>
#include <cmath>

#include "core/song/song.h"
#include "core/timing/tap_calibration.h"
#include "core/timing/timing_player.h"

namespace lf {

PlacementSession::PlacementSession(Song& song, TimingPlayer& player, PlacementPreview* preview)
    : m_song(song), m_player(player), m_placement(song, preview) {}

void PlacementSession::Open() {
  m_tapOffsetMs = StoredTapOffsetMs();
  m_holdToTime = StoredHoldToTime();
  m_placement.Open();
  m_player.SetTempoChange(m_tempo.TempoChange());
}

bool PlacementSession::Playing() const { return m_placing && m_player.IsPlaying(); }

bool PlacementSession::KeyDown(TimingKey key) {
  switch (key) {
    case TimingKey::Home:
      if (!m_placing && !m_player.IsPlaying()) Start();
      return true;
    case TimingKey::Space:
      if (Playing() && m_held.Press(key)) PlaceWord();
      return true;
    case TimingKey::Ctrl:
      if (Playing() && m_held.Press(key)) Pause();
      return true;
    case TimingKey::Backspace:
      if (Playing() && m_held.Press(key)) StepBack();
      return true;
    case TimingKey::End:
      if (Playing()) Stop();
      return true;
    case TimingKey::Up:
    case TimingKey::Down:
      if (m_held.Press(key)) StepTempo(key == TimingKey::Up ? 1 : -1);
      return true;
    case TimingKey::Enter:
    case TimingKey::Escape:
      return true;  // the page does not close
    default:
      return false;
  }
}

void PlacementSession::KeyUp(TimingKey key) {
  const bool wasHeld = m_held.IsHeld(key);
  m_held.Release(key);
  if (key == TimingKey::Space && wasHeld && m_holdToTime && Playing()) Pause();
}

SampleTime PlacementSession::TapTime() const {
  const double offsetFrames = m_tapOffsetMs * m_tempo.Speed() * m_song.Music().SampleRate() / 1000.0;
  return std::max<SampleTime>(m_player.Position() - static_cast<SampleTime>(std::lround(offsetFrames)), 0);
}

Outcome PlacementSession::Start() {
  if (m_placing) return Outcome::Quiet(Reason::NotAllowed, "placing has already started");
  m_placement.StartPlacement();
  m_player.SetTempoChange(m_tempo.TempoChange());
  if (Outcome played = m_player.Play({m_song.Music().WorkingMusicPath(), nullptr, 0, 0}, false, 0, 0); !played)
    return played;
  m_placing = true;
  m_held.ReleaseAll();
  return Outcome::Success();
}

void PlacementSession::PlaceWord() {
  if (m_placing) m_placement.PlaceWord(TapTime());
}

void PlacementSession::Pause() {
  if (m_placing) m_placement.PauseSweep(TapTime());
}

bool PlacementSession::StepBack() { return m_placing && m_placement.StepBack(); }

void PlacementSession::Stop() {
  if (!m_placing) return;
  m_player.Stop();
  m_placing = false;
  m_hasRun = true;
  m_placement.EndPlacement(m_song.Music().SampleRate());
}

void PlacementSession::Tick() {
  if (m_placing && m_player.ReachedEnd()) Stop();
}

bool PlacementSession::StepTempo(int steps) {
  if (!m_tempo.Step(steps)) return false;
  m_player.SetTempoChange(m_tempo.TempoChange());
  return true;
}

PlacementControls PlacementSession::Controls() const {
  PlacementControls c;
  c.start = !m_placing;
  c.startText = m_hasRun ? "Restart (Home)" : "Start (Home)";
  c.placeWord = c.pause = c.stop = m_placing;
  c.tempo = true;  // also while placing
  c.editLyrics = c.settings = !m_placing;
  c.adjustAndFinal = !m_placing && m_song.HasPlacedLyrics();
  return c;
}

}  // namespace lf
