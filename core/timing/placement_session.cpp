#include "core/timing/placement_session.h"

#include <algorithm>
#include <cmath>

#include "core/song/song.h"
#include "core/timing/music_analysis.h"
#include "core/timing/placement_preview.h"
#include "core/timing/tap_calibration.h"
#include "core/timing/timing_player.h"

namespace lf {

PlacementSession::PlacementSession(Song& song, TimingPlayer& player, PlacementPreview* preview)
    : m_song(song), m_player(player), m_placement(song, preview), m_preview(preview) {}

void PlacementSession::Open() {
  m_tapOffsetMs = StoredTapOffsetMs();
  m_holdToTime = StoredHoldToTime();
  m_linesFirst = StoredLinesFirst();
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
  m_lineTaps.clear();
  m_tappable = TappedLines(m_song);
  m_linesOutcome = Outcome::Success();
  // The voice is listened to while the author taps, so it is ready at Stop.
  if (m_linesFirst) MusicAnalysisCache::Instance().Get(m_song.Music().WorkingMusicPath());
  m_player.SetTempoChange(m_tempo.TempoChange());
  if (Outcome played = m_player.Play({m_song.Music().WorkingMusicPath(), nullptr, 0, 0}, false, 0, 0); !played)
    return played;
  m_placing = true;
  m_held.ReleaseAll();
  return Outcome::Success();
}

void PlacementSession::PlaceWord() {
  if (!m_placing) return;
  if (m_linesFirst)
    TapLine();
  else
    m_placement.PlaceWord(TapTime());
}

void PlacementSession::Pause() {
  if (!m_placing) return;
  if (m_linesFirst)
    EndLine();
  else
    m_placement.PauseSweep(TapTime());
}

bool PlacementSession::StepBack() {
  if (!m_placing) return false;
  if (!m_linesFirst) return m_placement.StepBack();
  if (m_lineTaps.empty()) return false;
  m_lineTaps.pop_back();
  ShowNextLine();
  return true;
}

void PlacementSession::TapLine() {
  if (m_lineTaps.size() >= m_tappable.size()) return;  // past the last line: nothing to time
  const SampleTime t = TapTime();
  m_lineTaps.push_back({t, 0});
  ShowNextLine();
}

void PlacementSession::EndLine() {
  if (m_lineTaps.empty() || m_lineTaps.back().end != 0) return;
  const SampleTime t = TapTime();
  if (t > m_lineTaps.back().start) m_lineTaps.back().end = t;
}

// The page of the next line to tap, its first word marked.
void PlacementSession::ShowNextLine() {
  if (!m_preview || m_tappable.empty()) return;
  const size_t next = std::min(m_lineTaps.size(), m_tappable.size() - 1);
  const int word = m_song.Lyrics().IndexOfWord(m_song.Lyrics().Line(m_tappable[next])->FirstWord());
  m_preview->DrawPageOf(word);
  if (m_lineTaps.size() < m_tappable.size()) m_preview->MarkNextWord(word);
}

void PlacementSession::TimeTappedLines() {
  if (m_lineTaps.empty()) return;
  const auto analysis = MusicAnalysisCache::Instance().Wait(m_song.Music().WorkingMusicPath());
  const VoicePart none;
  m_linesOutcome =
      TimeLinesFromTaps(m_song, m_lineTaps, analysis ? analysis->voice : none, m_song.Music().SampleRate());
  m_song.SetModified(true);
}

void PlacementSession::Stop() {
  if (!m_placing) return;
  m_player.Stop();
  m_placing = false;
  m_hasRun = true;
  if (m_linesFirst)
    TimeTappedLines();
  else
    m_placement.EndPlacement(m_song.Music().SampleRate());
}

void PlacementSession::Tick() {
  if (m_placing && m_player.ReachedEnd()) Stop();
}

bool PlacementSession::SetLinesFirst(bool on) {
  if (m_placing) return false;
  m_linesFirst = on;
  StoreLinesFirst(on);
  return true;
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
  if (m_linesFirst) {
    c.placeWordText = "Place Line (SB)";
    c.pauseText = "End Line (Ctrl)";
  }
  c.tempo = true;  // also while placing
  c.editLyrics = c.settings = !m_placing;
  c.adjustAndFinal = !m_placing && m_song.HasPlacedLyrics();
  return c;
}

}  // namespace lf
