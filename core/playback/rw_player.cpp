#include "core/playback/rw_player.h"

#include <algorithm>
#include <chrono>

#include "core/cdg/packet_time.h"
#include "core/platform/settings.h"
#include "core/platform/thread_priority.h"
#include "core/playback/rw_renderer.h"

namespace lf {

namespace {
constexpr auto kIdleWait = std::chrono::milliseconds(10);
constexpr double kSamplesPerMs = kDefaultSampleRate / 1000.0;  // 44.1
}  // namespace

SubcodePlayer::SubcodePlayer(CdgRenderer* renderer, const PlaybackClock& clock)
    : SubcodePlayer(renderer ? renderer->Handle() : nullptr, clock) {}

SubcodePlayer::SubcodePlayer(std::shared_ptr<RendererHandle> renderer, const PlaybackClock& clock)
    : m_renderer(std::move(renderer)), m_clock(clock) {}

SubcodePlayer::~SubcodePlayer() { Stop(); }

void SubcodePlayer::SetStream(PacketStream stream) {
  std::lock_guard lock(m_streamMutex);
  m_stream = std::move(stream);
}

PacketStream SubcodePlayer::Stream() {
  std::lock_guard lock(m_streamMutex);
  return m_stream;
}

void SubcodePlayer::SetExternalPosition(const std::atomic<int32_t>* source) {
  m_externalSource = source;
  m_external = true;
}

void SubcodePlayer::ClearExternalPosition() {
  m_external = false;
  m_externalSource = nullptr;
}

void SubcodePlayer::SetPace(RwPlayerPace pace) { m_pace = std::move(pace); }

int SubcodePlayer::SampleRate() const {
  const int rate = m_pace.sampleRate ? m_pace.sampleRate() : kDefaultSampleRate;
  return rate > 0 ? rate : kDefaultSampleRate;
}

size_t SubcodePlayer::SlotAt(int32_t position) const {
  return static_cast<size_t>(PacketSlotAt(std::max<int32_t>(position, 0), SampleRate()));
}

int SubcodePlayer::TempoChange() const { return m_pace.tempoChange ? m_pace.tempoChange() : 0; }

void SubcodePlayer::Seek(int32_t position) {
  if (m_state != kStopped || m_loopRunning) return;
  position = std::max<int32_t>(position, 0);
  const PacketStream stream = Stream();
  const size_t slot = SlotAt(position);
  if (m_renderer) {
    m_renderer->Use([&](CdgRenderer& r) {
      r.Reset();
      m_decoder.Reset();
      if (stream) m_decoder.DecodeSlots(stream->data(), stream->size(), 0, slot, r);
      r.RefreshAll();
    });
  }
  m_lastPosition = position;
  m_sought = true;
}

void SubcodePlayer::Play(bool inOwnThread) {
  if (m_state == kPlaying) return;
  if (m_loopRunning) {
    // Paused with the loop still running: carry on from where it stands
    // rather than start a second loop over the same screen.
    SetPaused(false);
    return;
  }
  if (m_thread.joinable()) m_thread.join();  // a loop that ended by itself
  if (!m_sought) m_lastPosition = 0;
  {
    std::lock_guard lock(m_positionMutex);
    m_startTime = m_clock.NowMs();
    m_startPosition = m_lastPosition;
    m_tempoTime = 0;
    m_lastTick = m_startTime;
    // A new play starts a new timeline: a replay from an earlier point must
    // not be held at the end of the previous one.
    m_highestPosition = m_lastPosition;
  }
  m_sought = false;
  m_stopRequested = false;
  m_wake.Reset();
  m_state = kPlaying;
  m_loopRunning = true;
  m_ownThread = inOwnThread;
  if (inOwnThread) {
    const int priority = AppSettings().Int("Default", "AutoPlayCDGDisplayPriority", 1);
    m_thread = std::thread([this, priority] {
      SetCurrentThreadPriority(priority);
      PlayLoop();
    });
  } else {
    PlayLoop();
  }
}

void SubcodePlayer::Stop() {
  m_state = kStopped;
  m_stopRequested = true;
  m_wake.Set();
  if (m_thread.joinable()) {
    // The loop itself may call Stop (through a renderer view); it must not wait for itself.
    if (m_thread.get_id() == std::this_thread::get_id()) return;
    m_thread.join();
  }
  // A loop running on another caller's thread.
  while (m_loopRunning) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  SetStream(nullptr);
  m_lastPosition = 0;
  m_sought = false;
  std::lock_guard lock(m_positionMutex);
  m_startTime = 0;
  m_startPosition = 0;
  m_tempoTime = 0;
}

void SubcodePlayer::SetPaused(bool paused) {
  int expected = paused ? kPlaying : kPaused;
  m_state.compare_exchange_strong(expected, paused ? kPaused : kPlaying);
}

int32_t SubcodePlayer::Position() {
  int32_t position;
  std::lock_guard lock(m_positionMutex);
  if (m_external) {
    const std::atomic<int32_t>* source = m_externalSource;
    position = source ? source->load() : 0;
  } else if (m_state == kPaused) {
    position = m_highestPosition;
  } else {
    const int64_t t = m_clock.NowMs() - m_startTime + static_cast<int64_t>(m_tempoTime);
    const double samples = m_startPosition + static_cast<double>(t) * kSamplesPerMs;
    position = static_cast<int32_t>(std::clamp(samples, 0.0, 2147483647.0));
  }
  m_highestPosition = std::max(m_highestPosition, position);
  return m_highestPosition;
}

bool SubcodePlayer::DrawDue(const PacketStream& stream, int32_t position, bool firstPass) {
  const size_t from = SlotAt(m_lastPosition);
  const size_t to = SlotAt(position);
  if (!m_renderer) return true;  // nothing to draw on: the position still moves on
  return m_renderer->Use([&](CdgRenderer& r) {
    m_decoder.DecodeSlots(stream->data(), stream->size(), from, to, r, &m_stopRequested);
    // A player started late draws everything up to its position unseen and shows it at once.
    if (firstPass)
      r.RefreshAll();
    else
      r.Present();
  });
}

void SubcodePlayer::PlayLoop() {
  const PacketStream stream = Stream();
  bool firstPass = true;
  if (stream && stream->size() >= static_cast<size_t>(kPacketSize)) {
    const size_t slots = stream->size() / kPacketSize;
    while (m_state != kStopped) {
      {
        std::lock_guard lock(m_positionMutex);
        const int64_t now = m_clock.NowMs();
        const int tempo = TempoChange();
        if (m_state == kPlaying && tempo != 0) m_tempoTime += tempo * static_cast<double>(now - m_lastTick) / 100.0;
        m_lastTick = now;
      }
      const int32_t p = Position();
      if (p == m_lastPosition) {
        m_wake.WaitFor(kIdleWait);
        continue;
      }
      if (!DrawDue(stream, p, firstPass)) break;  // the renderer was destroyed
      m_lastPosition = p;
      firstPass = false;
      if (!m_ownThread && SlotAt(p) >= slots) break;
    }
  }
  m_state = kStopped;
  m_loopRunning = false;
}

}  // namespace lf
