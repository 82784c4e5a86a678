// Views and renderers come and go on the GUI thread while a player's thread
// feeds them (run under ThreadSanitizer: -DLYRICFORGE_TSAN=ON).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <thread>

#include "core/playback/rw_player.h"
#include "core/playback/rw_renderer.h"

namespace lf {
namespace {

using namespace std::chrono_literals;

// Like a widget: told on the feeding thread, paints from a frame on its own
// "GUI" thread, and must never hear from the renderer once detached.
class PaintingView : public RendererView {
 public:
  explicit PaintingView(CdgRenderer& renderer) : m_renderer(&renderer), m_painter([this] { PaintLoop(); }) {}
  ~PaintingView() override {
    {
      std::lock_guard lock(m_mutex);
      m_quit = true;
    }
    m_wake.notify_one();
    m_painter.join();
  }
  void ScreenChanged(const ScreenRect& region) override {
    EXPECT_FALSE(m_detached.load()) << "called after it was detached";
    {
      std::lock_guard lock(m_mutex);
      m_pending = m_pending.United(region);
    }
    m_wake.notify_one();
    ++changes;
  }
  // As a widget's destructor or SetRenderer does.
  void Detach() {
    CdgRenderer* renderer;
    {
      std::lock_guard lock(m_mutex);
      renderer = m_renderer;
      m_renderer = nullptr;
    }
    renderer->DetachView(this);
    m_detached = true;
  }
  void Detached() override {
    std::lock_guard lock(m_mutex);
    m_renderer = nullptr;
    ++detachedByRenderer;
  }
  std::atomic<int> detachedByRenderer{0};
  std::atomic<int> changes{0};
  std::atomic<int> paints{0};

 private:
  void PaintLoop() {
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
      m_wake.wait(lock, [this] { return m_quit || !m_pending.IsEmpty(); });
      if (m_quit) break;
      m_pending = ScreenRect{};
      // Painting reads the renderer while the view holds its own lock, as a
      // widget reads it on its own thread; Detached takes the same lock.
      if (m_renderer) paints += m_renderer->Frame().IndexAt(150, 100) < 16 ? 1 : 0;
    }
  }

  std::mutex m_mutex;
  std::condition_variable m_wake;
  CdgRenderer* m_renderer;
  ScreenRect m_pending;
  bool m_quit = false;
  std::atomic<bool> m_detached{false};
  std::thread m_painter;
};

// A stream that changes the screen in every slot, for a minute.
PacketStream BusyStream() {
  std::vector<uint8_t> bytes(60 * kStreamBytesPerSecond, 0);
  CdgTileRows rows;
  rows.bits.fill(0x15);
  for (size_t k = 0; k * kPacketSize < bytes.size(); ++k) {
    const CdgPacket p = k % 100 == 0 ? MakeMemoryPreset(static_cast<int>(k / 100) % 16, 0)
                                     : MakeTileBlock(CdgInstruction::TileBlockXor, 0, static_cast<int>(k % 16),
                                                     1 + static_cast<int>(k % 16), 1 + static_cast<int>(k % 48), rows);
    std::memcpy(&bytes[k * kPacketSize], &p, kPacketSize);
  }
  return MakePacketStream(std::move(bytes));
}

template <typename Pred>
bool WaitUntil(Pred pred) {
  for (int i = 0; i < 5000 && !pred(); ++i) std::this_thread::sleep_for(1ms);
  return pred();
}

TEST(RendererLifetime, ViewsDetachAndTheRendererGoesWhileAPlayerFeedsThem) {
  const PacketStream stream = BusyStream();
  for (int round = 0; round < 5; ++round) {
    auto* renderer = new CdgRenderer;
    auto first = std::make_unique<PaintingView>(*renderer);
    PaintingView second(*renderer);
    renderer->AttachView(first.get());
    renderer->AttachView(&second);
    std::atomic<int32_t> position{0};
    SubcodePlayer player(renderer);
    player.SetStream(stream);
    player.SetExternalPosition(&position);
    player.Play(true);
    // The position runs ahead in steps, so that every pass has packets to draw.
    std::atomic<bool> running{true};
    std::thread clock([&] {
      while (running) {
        position += kSamplesPerPacket * 7;
        std::this_thread::sleep_for(200us);
      }
    });
    ASSERT_TRUE(WaitUntil([&] { return first->changes > 20 && second.paints > 0; }));

    first->Detach();
    first.reset();  // destroyed at once: no callback may still be running into it
    const int before = second.changes;
    ASSERT_TRUE(WaitUntil([&] { return second.changes > before + 5; }));

    delete renderer;  // the player's next pass finds it gone and ends
    EXPECT_EQ(second.detachedByRenderer, 1);
    EXPECT_TRUE(WaitUntil([&] { return player.State() == SubcodePlayer::kStopped; }));
    running = false;
    clock.join();
    player.Stop();
  }
}

}  // namespace
}  // namespace lf
