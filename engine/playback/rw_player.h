#pragma once
// MRwPlayer: feeds a packet stream held in memory to an MRwRenderer at 300
// packets a second, following its own millisecond clock or a sample position
// owned by someone else (the audio player). Holds the packet decoder.
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "engine/cdg/cdg_packet.h"

namespace lf {

class MRwRenderer;

// What the player asks of the audio player that owns the pace: samples per
// packet (rate / 300) and the tempo change in percent. Unset functions mean
// 147 and 0, as for a standalone player at 44100 Hz.
struct RwPlayerPace {
  std::function<int()> samplesPerPacket;
  std::function<int()> tempoChange;
};

class MRwPlayer {
 public:
  enum State : int { kStopped = 0, kPaused = 1, kPlaying = 2 };

  explicit MRwPlayer(MRwRenderer* renderer);
  virtual ~MRwPlayer();  // stops first
  MRwPlayer(const MRwPlayer&) = delete;
  MRwPlayer& operator=(const MRwPlayer&) = delete;

  // The stream is borrowed and must outlive playing; Stop forgets it.
  void SetStream(const uint8_t* stream, size_t size);
  // Positions then come from `source` (sample frames at 44100 Hz), or are 0
  // while `source` is null. ClearExternalPosition returns to the own clock.
  void SetExternalPosition(const std::atomic<int32_t>* source);
  void ClearExternalPosition();
  void SetPace(RwPlayerPace pace);

  // No effect when already playing; a paused player resumes. In its own
  // thread the loop runs until Stop; on the caller's thread it returns once
  // the last packet is decoded (or when another thread stops it).
  void Play(bool inOwnThread);
  void Stop();
  // Pause keeps the graphics where they are; resuming continues the loop.
  void SetPaused(bool paused);
  int State() const { return m_state; }

  // One packet into the renderer; colour tables only when they changed.
  void DecodePacket(const CdgPacket& packet);
  // The current sample position; it never goes back while playing.
  int32_t Position();
  // Sample position up to which packets have been played (the audio player
  // sets it to its start position before playing from the middle).
  int32_t LastPosition() const { return m_lastPosition; }
  void SetLastPosition(int32_t position) { m_lastPosition = position; }

 private:
  void PlayLoop();
  // Decodes the due slots; false when a stop cut the pass short.
  void DecodeRange(size_t from, size_t to);
  int SamplesPerPacket() const;
  int TempoChange() const;
  static int64_t NowMs();

  MRwRenderer* m_renderer;
  std::thread m_thread;
  std::atomic<int> m_state{kStopped};
  std::atomic<bool> m_loopRunning{false};
  bool m_ownThread = false;

  const uint8_t* m_stream = nullptr;
  size_t m_streamSize = 0;
  std::atomic<bool> m_external{false};
  std::atomic<const std::atomic<int32_t>*> m_externalSource{nullptr};
  RwPlayerPace m_pace;

  std::mutex m_positionMutex;  // the clock fields and the highest position
  int64_t m_startTime = 0;
  double m_tempoTime = 0;
  int64_t m_lastTick = 0;
  int32_t m_highestPosition = 0;
  std::atomic<int32_t> m_lastPosition{0};

  std::array<Colorref, 8> m_lastLowTable{};
  std::array<Colorref, 8> m_lastHighTable{};
};

}  // namespace lf
