#include "core/timing/final_playback.h"

#include <algorithm>
#include <cstdio>

#include "core/playback/cdg_decoder.h"
#include "core/playback/rw_renderer.h"
#include "core/song/song.h"
#include "core/song/song_build.h"

namespace lf {

std::string ElapsedTotalText(int64_t position, int64_t total, int sampleRate) {
  const int64_t rate = sampleRate > 0 ? sampleRate : kDefaultSampleRate;
  const int64_t elapsed = std::max<int64_t>(position, 0) / rate, whole = std::max<int64_t>(total, 0) / rate;
  char text[48];
  std::snprintf(text, sizeof text, "%lld:%02lld/%lld:%02lld", static_cast<long long>(elapsed / 60),
                static_cast<long long>(elapsed % 60), static_cast<long long>(whole / 60),
                static_cast<long long>(whole % 60));
  return text;
}

FinalPlayback::FinalPlayback(Song& song, TimingPlayer& player, CdgRenderer* preview)
    : m_song(song), m_player(player), m_preview(preview) {}

int FinalPlayback::SamplesPerPacket() const { return m_song.Music().SamplesPerPacket(); }

bool FinalPlayback::Prepare() {
  m_song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = true});
  if (!m_song.Music().RwMemory()) m_song.Music().AllocateRwMemory(m_song.Music().MusicLengthAtLoad() == 0);
  if (!m_song.Music().RwMemory()) {
    m_error = "The song has no music to play.";
    return false;
  }
  const SongBuild build = CompileLaidOutSong(m_song);
  if (!build) {
    m_error = "The song cannot be compiled: " + build.detail;
    return false;
  }
  m_leadIn = build.result.leadIn;
  const int64_t musicFrames =
      m_song.Music().MusicLength() / static_cast<uint32_t>(std::max(m_song.Music().MusicBytesPerFrame(), 1));
  m_total = m_leadIn + musicFrames;
  m_source = {m_song.Music().WorkingMusicPath(), build.stream, build.UsedBytes(), m_leadIn};
  m_resume = 0;
  m_sliderPosition = 0;
  m_prepared = true;
  return true;
}

int FinalPlayback::SliderMaximum() const { return static_cast<int>(SlotAt(m_total)); }
int FinalPlayback::LineStep() const { return 3 * kPacketsPerSecond; }
int FinalPlayback::PageStep() const { return 15 * kPacketsPerSecond; }
int64_t FinalPlayback::SlotAt(int64_t position) const { return PacketSlotAt(position, m_song.Music().SampleRate()); }
int64_t FinalPlayback::PositionOfSlot(int64_t slot) const {
  return SampleFrameOfSlot(slot, m_song.Music().SampleRate());
}
int FinalPlayback::LastPacket() const {
  return static_cast<int>(std::max<size_t>(m_source.streamSize / kPacketSize, 1) - 1);
}

std::string FinalPlayback::Label() const {
  return m_prepared ? ElapsedTotalText(m_resume, m_total, m_song.Music().SampleRate()) : "0:00/0:00";
}

Outcome FinalPlayback::PlayOrPause() {
  if (m_playing) {
    Pause();
    return Outcome::Success();
  }
  if (!m_prepared) return Outcome::Success();
  Outcome played = m_player.Play(m_source, true, static_cast<int32_t>(m_resume), 0);
  m_playing = played.Ok();
  return played;
}

void FinalPlayback::Pause() {
  if (!m_playing) return;
  // The place heard at the pause, so that Play goes on from exactly there.
  if (m_player.IsPlaying()) m_resume = m_player.Position();
  m_player.Stop();
  m_playing = false;
}

bool FinalPlayback::Tick() {
  const std::string before = Label();
  if (m_playing) {
    if (m_player.ReachedEnd()) {
      Pause();
      m_resume = 0;
      m_sliderPosition = 0;
      ClearPreview();
    } else if (const int32_t position = m_player.Position(); position != 0) {
      m_resume = position;
      m_sliderPosition = static_cast<int>(SlotAt(position));
    }
  }
  return Label() != before;
}

void FinalPlayback::SliderMoved(int packet) {
  if (m_playing) {
    Pause();
    m_dragging = true;
  }
  m_resume = PositionOfSlot(std::clamp(packet, 0, SliderMaximum()));
}

void FinalPlayback::SliderReleased() {
  const int target = std::min(static_cast<int>(SlotAt(m_resume)), LastPacket());
  RedrawPreview(m_sliderPosition, target);
  m_sliderPosition = static_cast<int>(SlotAt(m_resume));
  if (m_dragging) {
    m_dragging = false;
    PlayOrPause();
  }
}

void FinalPlayback::ClearPreview() {
  if (!m_preview) return;
  m_preview->MemoryPreset(ColorIndexBackground);
  m_preview->RefreshAll();
}

// Forward, only the packets after the old place are fed; back, the screen is
// rebuilt from the start of the stream.
void FinalPlayback::RedrawPreview(int from, int to) {
  if (!m_preview || !m_source.stream) return;
  if (to <= 0) {
    ClearPreview();
    return;
  }
  int first = from + 1;
  if (from >= to) {
    m_preview->MemoryPreset(ColorIndexBackground);
    first = 0;
  }
  CdgDecoder decoder;
  decoder.DecodeSlots(m_source.stream->data(), m_source.streamSize, static_cast<size_t>(first),
                      static_cast<size_t>(to) + 1, *m_preview);
  m_preview->RefreshAll();
}

std::string FinalPlayback::PlaceText(int packet) const {
  const int64_t position = PositionOfSlot(packet);
  const int64_t musicTime = position - m_leadIn;
  std::string text = ElapsedTotalText(position, 0, m_song.Music().SampleRate());
  text = text.substr(0, text.find('/'));
  const KaraokeLine* sung = nullptr;
  for (int i = 0; i < m_song.Lyrics().WordCount(); ++i) {
    const KaraokeWord& w = *m_song.Lyrics().Word(i);
    if (w.IsPlaced() && w.m_startTime <= musicTime) sung = w.m_line;
  }
  if (!sung) return text;
  size_t cut = std::min<size_t>(sung->m_text.size(), 32);
  while (cut < sung->m_text.size() && cut > 0 && (static_cast<uint8_t>(sung->m_text[cut]) & 0xC0) == 0x80) --cut;
  std::string words = sung->m_text.substr(0, cut);
  if (cut < sung->m_text.size()) words += "...";
  return text + "  " + words;
}

}  // namespace lf
