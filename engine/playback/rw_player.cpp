#include "engine/playback/rw_player.h"

#include <algorithm>
#include <chrono>

#include "engine/playback/rw_renderer.h"
#include "platform/settings.h"
#include "platform/thread_priority.h"

namespace lf {

namespace {
constexpr auto kIdleSleep = std::chrono::milliseconds(10);
constexpr double kSamplesPerMs = kDefaultSampleRate / 1000.0;  // 44.1
}  // namespace

MRwPlayer::MRwPlayer(MRwRenderer* renderer) : m_renderer(renderer) {}

MRwPlayer::~MRwPlayer() { Stop(); }

void MRwPlayer::SetStream(const uint8_t* stream, size_t size) {
  m_stream = stream;
  m_streamSize = stream ? size : 0;
}

void MRwPlayer::SetExternalPosition(const std::atomic<int32_t>* source) {
  m_externalSource = source;
  m_external = true;
}

void MRwPlayer::ClearExternalPosition() {
  m_external = false;
  m_externalSource = nullptr;
}

void MRwPlayer::SetPace(RwPlayerPace pace) { m_pace = std::move(pace); }

int MRwPlayer::SamplesPerPacket() const {
  const int s = m_pace.samplesPerPacket ? m_pace.samplesPerPacket() : kSamplesPerPacket;
  return s > 0 ? s : kSamplesPerPacket;
}

int MRwPlayer::TempoChange() const { return m_pace.tempoChange ? m_pace.tempoChange() : 0; }

int64_t MRwPlayer::NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void MRwPlayer::Play(bool inOwnThread) {
  if (m_state == kPlaying) return;
  if (m_loopRunning) {
    // Paused with the loop still running: carry on from where it stands
    // rather than start a second loop over the same screen.
    SetPaused(false);
    return;
  }
  if (m_thread.joinable()) m_thread.join();  // a loop that ended by itself
  {
    std::lock_guard lock(m_positionMutex);
    m_startTime = NowMs();
    m_tempoTime = 0;
    m_lastTick = m_startTime;
    // A new play starts a new timeline: a replay from an earlier point must
    // not be held at the end of the previous one.
    m_highestPosition = 0;
  }
  m_lastPosition = 0;
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

void MRwPlayer::Stop() {
  if (m_state != kStopped) {
    m_state = kStopped;
    // The loop itself may call Stop (through a renderer view); it must not wait for itself.
    if (m_thread.joinable() && m_thread.get_id() == std::this_thread::get_id()) return;
    while (m_loopRunning) std::this_thread::sleep_for(kIdleSleep);
  }
  if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) m_thread.join();
  m_stream = nullptr;
  m_streamSize = 0;
  m_lastPosition = 0;
  std::lock_guard lock(m_positionMutex);
  m_startTime = 0;
  m_tempoTime = 0;
}

void MRwPlayer::SetPaused(bool paused) {
  int expected = paused ? kPlaying : kPaused;
  m_state.compare_exchange_strong(expected, paused ? kPaused : kPlaying);
}

int32_t MRwPlayer::Position() {
  int32_t position;
  std::lock_guard lock(m_positionMutex);
  if (m_external) {
    const std::atomic<int32_t>* source = m_externalSource;
    position = source ? source->load() : 0;
  } else if (m_state == kPaused) {
    position = m_highestPosition;
  } else {
    const int64_t t = NowMs() - m_startTime + static_cast<int64_t>(m_tempoTime);
    const double samples = static_cast<double>(t) * kSamplesPerMs;
    position = static_cast<int32_t>(std::clamp(samples, 0.0, 2147483647.0));
  }
  m_highestPosition = std::max(m_highestPosition, position);
  return m_highestPosition;
}

void MRwPlayer::PlayLoop() {
  bool firstPass = true;
  if (m_stream && m_streamSize >= static_cast<size_t>(kPacketSize)) {
    // Every slot is due once the position passes it, the last one included.
    const size_t slots = m_streamSize / kPacketSize;
    while (m_state != kStopped) {
      {
        std::lock_guard lock(m_positionMutex);
        const int64_t now = NowMs();
        const int tempo = TempoChange();
        if (m_state == kPlaying && tempo != 0) m_tempoTime += tempo * static_cast<double>(now - m_lastTick) / 100.0;
        m_lastTick = now;
      }
      const int32_t p = Position();
      if (p == m_lastPosition) {
        std::this_thread::sleep_for(kIdleSleep);
        continue;
      }
      const size_t s = static_cast<size_t>(SamplesPerPacket());
      const size_t from = std::min(static_cast<size_t>(std::max<int32_t>(m_lastPosition, 0)) / s, slots);
      const size_t to = std::min(static_cast<size_t>(std::max<int32_t>(p, 0)) / s, slots);
      if (firstPass && m_renderer) m_renderer->SetHoldDisplay(true);
      DecodeRange(from, to);
      m_lastPosition = p;
      if (firstPass && m_renderer) {
        m_renderer->SetHoldDisplay(false);
        m_renderer->RefreshAll();
      }
      firstPass = false;
      if (!m_ownThread && to >= slots) break;
    }
  }
  m_state = kStopped;
  m_loopRunning = false;
}

void MRwPlayer::DecodeRange(size_t from, size_t to) {
  for (size_t k = from; k < to && m_state != kStopped; ++k) {
    const uint8_t* bytes = m_stream + k * kPacketSize;
    if ((bytes[0] & kSixBitMask) == kTvGraphics) DecodePacket(PacketAt(bytes));
  }
}

void MRwPlayer::DecodePacket(const CdgPacket& packet) {
  if (!m_renderer || !packet.IsGraphics()) return;
  MRwRenderer& r = *m_renderer;
  switch (static_cast<CdgInstruction>(packet.InstructionCode())) {
    case CdgInstruction::MemoryPreset:
      r.MemoryPreset(packet.PresetColor());
      break;
    case CdgInstruction::BorderPreset:
      r.BorderPreset(packet.PresetColor());
      break;
    case CdgInstruction::TileBlockNormal:
    case CdgInstruction::TileBlockXor: {
      if (packet.TileChannel() > 1) break;  // only channels 0 and 1 are shown
      const bool isXor = packet.InstructionCode() == static_cast<uint8_t>(CdgInstruction::TileBlockXor);
      const int row = packet.TileRow(), column = packet.TileColumn();
      if (isXor) r.XorTile(row, column, packet.TileColor0(), packet.TileColor1(), packet.TileBits());
      else r.DrawTile(row, column, packet.TileColor0(), packet.TileColor1(), packet.TileBits());
      break;
    }
    case CdgInstruction::ScrollPreset:
      r.ScrollPreset(packet.ScrollFillColor(), packet.ScrollHCommand(), packet.ScrollHOffset(),
                     packet.ScrollVCommand(), packet.ScrollVOffset());
      break;
    case CdgInstruction::ScrollCopy:
      r.ScrollCopy(packet.ScrollHCommand(), packet.ScrollHOffset(), packet.ScrollVCommand(), packet.ScrollVOffset());
      break;
    case CdgInstruction::DefineTransparentColor:
      r.SetTransparentColor(packet.PresetColor());
      break;
    case CdgInstruction::LoadColorTableLow:
    case CdgInstruction::LoadColorTableHigh: {
      const bool low = packet.InstructionCode() == static_cast<uint8_t>(CdgInstruction::LoadColorTableLow);
      const std::array<Colorref, 8> colors = packet.TableColors();
      std::array<Colorref, 8>& last = low ? m_lastLowTable : m_lastHighTable;
      if (colors == last) break;  // an unchanged table is not loaded again
      last = colors;
      r.LoadColors(low ? 0 : 8, 8, colors.data());
      break;
    }
  }
}

}  // namespace lf
