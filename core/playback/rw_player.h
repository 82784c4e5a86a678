#pragma once
// SubcodePlayer: feeds a packet stream held in memory to an CdgRenderer at 300
// packets a second, following its own millisecond clock or a sample position
// owned by someone else (the audio player). Each pass of its loop decodes the
// packets that became due and presents them as one batch.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "core/cdg/cdg_packet.h"
#include "core/platform/event.h"
#include "core/playback/cdg_decoder.h"
#include "core/playback/packet_stream.h"
#include "core/playback/playback_clock.h"

namespace lf {

class CdgRenderer;
class RendererHandle;

// What the player asks of the audio player that owns the pace: the sample
// rate its positions count in, and the tempo change in percent. Unset
// functions mean 44100 and 0, as for a standalone player.
struct RwPlayerPace {
  std::function<int()> sampleRate;
  std::function<int()> tempoChange;
};

class SubcodePlayer {
 public:
  enum State : int { kStopped = 0, kPaused = 1, kPlaying = 2 };

  // The renderer may be destroyed while the player runs: drawing then stops.
  explicit SubcodePlayer(CdgRenderer* renderer, const PlaybackClock& clock = SteadyPlaybackClock());
  explicit SubcodePlayer(std::shared_ptr<RendererHandle> renderer, const PlaybackClock& clock = SteadyPlaybackClock());
  virtual ~SubcodePlayer();  // stops first
  SubcodePlayer(const SubcodePlayer&) = delete;
  SubcodePlayer& operator=(const SubcodePlayer&) = delete;

  // The stream to play; Stop forgets it.
  void SetStream(PacketStream stream);
  // Positions then come from `source` (sample frames at 44100 Hz), or are 0
  // while `source` is null. ClearExternalPosition returns to the own clock.
  void SetExternalPosition(const std::atomic<int32_t>* source);
  void ClearExternalPosition();
  void SetPace(RwPlayerPace pace);

  // While stopped: the renderer shows the stream as it stands at `position`
  // (a blank screen, then every packet before the position's slot, shown at
  // once), and the next Play goes on from there. Runs on the caller's thread.
  void Seek(int32_t position);
  // No effect when already playing; a paused player resumes. In its own
  // thread the loop runs until Stop; on the caller's thread it returns once
  // the last packet is decoded (or when another thread stops it).
  void Play(bool inOwnThread);
  void Stop();
  // Pause keeps the graphics where they are; resuming continues the loop.
  void SetPaused(bool paused);
  int State() const { return m_state; }

  // The current sample position; it never goes back while playing.
  int32_t Position();
  // Sample position up to which packets have been played.
  int32_t LastPosition() const { return m_lastPosition; }

 private:
  void PlayLoop();
  // Decodes the slots that came due and presents them; false when the renderer is gone.
  bool DrawDue(const PacketStream& stream, int32_t position, bool firstPass);
  PacketStream Stream();
  int SampleRate() const;
  // The packet slot sounding at `position` (sample frames at SampleRate()).
  size_t SlotAt(int32_t position) const;
  int TempoChange() const;

  std::shared_ptr<RendererHandle> m_renderer;
  const PlaybackClock& m_clock;
  CdgDecoder m_decoder;
  std::thread m_thread;
  std::atomic<int> m_state{kStopped};
  std::atomic<bool> m_loopRunning{false};
  std::atomic<bool> m_stopRequested{false};
  Event m_wake{false};  // cuts the loop's idle wait short on Stop
  bool m_ownThread = false;

  std::mutex m_streamMutex;
  PacketStream m_stream;
  std::atomic<bool> m_external{false};
  std::atomic<const std::atomic<int32_t>*> m_externalSource{nullptr};
  RwPlayerPace m_pace;

  std::mutex m_positionMutex;  // the clock fields and the highest position
  int64_t m_startTime = 0;
  int32_t m_startPosition = 0;  // where the own clock starts counting from
  double m_tempoTime = 0;
  int64_t m_lastTick = 0;
  int32_t m_highestPosition = 0;
  std::atomic<int32_t> m_lastPosition{0};
  bool m_sought = false;
};

}  // namespace lf
