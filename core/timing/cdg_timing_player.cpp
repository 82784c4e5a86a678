#include "core/timing/cdg_timing_player.h"

#include "core/playback/cdg_player.h"

namespace lf {

CdgTimingPlayer::CdgTimingPlayer(CdgRenderer* preview, int sampleRate, int samplesPerPacket) : m_preview(preview) {
  CdgPlayer* player = CdgPlayer::Global();
  if (!player) player = CdgPlayer::CreateGlobal(preview);
  player->SetRenderer(preview);
  player->SetSampleRate(sampleRate, samplesPerPacket);
  player->SetStopEvent(&m_stopEvent);
}

CdgTimingPlayer::~CdgTimingPlayer() {
  Stop();
  if (CdgPlayer* player = CdgPlayer::Global()) {
    player->SetTempoChange(0);
    player->SetStopEvent(nullptr);
  }
}

CdgPlayer& CdgTimingPlayer::Player() const {
  CdgPlayer* player = CdgPlayer::Global();
  if (!player) player = CdgPlayer::CreateGlobal(m_preview);
  return *player;
}

Outcome CdgTimingPlayer::Play(const TimingPlaySource& source, bool withGraphics, int32_t start, int32_t end) {
  CdgPlayer& player = Player();
  player.Stop();
  m_reachedEnd = false;
  m_stopRequested = false;
  m_stopEvent.Reset();
  // Another timing player (a dialog's) may have pointed it elsewhere since.
  player.SetRenderer(m_preview);
  player.SetSource(source.wavPath, withGraphics ? source.stream : nullptr);
  player.SetLeadIn(source.leadIn);
  const int flags = CdgPlayer::kPlayAudio | (withGraphics ? CdgPlayer::kPlayGraphics : 0);
  // Only a play that runs to its end calls back here; Stop has already cleared the state.
  return player.Play(flags, start, end, [this](int, uintptr_t) {
    if (m_stopRequested) return;
    m_reachedEnd = true;
    std::lock_guard lock(m_noticeMutex);
    if (m_notice) m_notice();
  });
}

void CdgTimingPlayer::Stop() {
  if (CdgPlayer* player = CdgPlayer::Global()) {
    // Marked first so that the callback Stop makes is not taken for the end of the music.
    m_stopRequested = true;
    player->Stop();
  }
}

bool CdgTimingPlayer::IsPlaying() const {
  const CdgPlayer* player = CdgPlayer::Global();
  return player && player->IsPlaying();
}

int32_t CdgTimingPlayer::Position() const {
  const CdgPlayer* player = CdgPlayer::Global();
  return player ? player->Position() : 0;
}

void CdgTimingPlayer::SetTempoChange(int percent) { Player().SetTempoChange(percent); }

void CdgTimingPlayer::SetEndNotice(std::function<void()> notice) {
  std::lock_guard lock(m_noticeMutex);
  m_notice = std::move(notice);
}

}  // namespace lf
