#pragma once
// CdgTimingPlayer: the timing pages' player on top of the program's CD+G
// player, which draws the played graphics into its renderer.
#include <atomic>
#include <memory>
#include <mutex>

#include "core/platform/event.h"
#include "core/timing/timing_player.h"

namespace lf {

class CdgPlayer;
class CdgRenderer;

class CdgTimingPlayer : public TimingPlayer {
 public:
  // Makes the global CD+G player when there is none and points it at `preview`.
  CdgTimingPlayer(CdgRenderer* preview, int sampleRate, int samplesPerPacket);
  // Stops, and puts the tempo back to normal.
  ~CdgTimingPlayer() override;

  Outcome Play(const TimingPlaySource& source, bool withGraphics, int32_t start, int32_t end) override;
  void Stop() override;
  bool IsPlaying() const override;
  int32_t Position() const override;
  bool ReachedEnd() const override { return m_reachedEnd; }
  void SetTempoChange(int percent) override;
  void SetEndNotice(std::function<void()> notice) override;

 private:
  CdgPlayer& Player() const;

  CdgRenderer* m_preview;
  Event m_stopEvent{true};
  std::atomic<bool> m_reachedEnd{false};
  std::atomic<bool> m_stopRequested{false};
  std::mutex m_noticeMutex;
  std::function<void()> m_notice;
};

}  // namespace lf
