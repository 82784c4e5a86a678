// Random bytes through the decoder and the renderer: nothing may read or write
// outside screen memory (run under `make sanitize`), and the screen keeps
// holding colour indices.
#include <gtest/gtest.h>

#include <random>

#include "core/playback/rw_renderer.h"
#include "core/playback/stream_decode.h"
#include "tests/support/attached_view.h"

namespace lf {
namespace {

// Checks every region it is told and reads the frame as a window would.
class NullView : public RendererView {
 public:
  explicit NullView(const CdgRenderer& renderer) : m_renderer(renderer) {}
  void ScreenChanged(const ScreenRect& region) override {
    ASSERT_FALSE(region.IsEmpty());
    ASSERT_GE(region.left, 0);
    ASSERT_GE(region.top, 0);
    ASSERT_LE(region.right, kScreenWidth);
    ASSERT_LE(region.bottom, kScreenHeight);
    sum += m_renderer.Frame().IndexAt(region.left, region.top);
  }
  int sum = 0;

 private:
  const CdgRenderer& m_renderer;
};

TEST(DecoderFuzz, RandomPacketsKeepTheScreenValid) {
  std::mt19937 rng(20240607);
  for (int round = 0; round < 20; ++round) {
    CdgRenderer r;
    NullView view(r);
    const test::AttachedView attached(r, view);
    std::vector<uint8_t> stream(2000 * kPacketSize);
    for (size_t i = 0; i < stream.size(); ++i) stream[i] = static_cast<uint8_t>(rng());
    // Most slots get the graphics command and a known instruction so that
    // every effect is reached with wild fields.
    static const uint8_t kCodes[] = {1, 2, 6, 20, 24, 28, 30, 31, 38, 0, 63};
    for (size_t k = 0; k < 2000; ++k) {
      if (rng() % 8 == 0) continue;
      stream[k * kPacketSize] = static_cast<uint8_t>((rng() & 0xC0) | kTvGraphics);
      stream[k * kPacketSize + 1] = static_cast<uint8_t>((rng() & 0xC0) | kCodes[rng() % std::size(kCodes)]);
    }
    DecodeStreamPrefix(r, stream.data(), stream.size(), 2000);
    const std::vector<uint8_t> screen = r.ScreenSnapshot();
    for (int y = 0; y < kScreenHeight; ++y)
      for (int x = 0; x < kScreenWidth; ++x) ASSERT_LT(screen[y * kScreenPitch + x], 16);
    EXPECT_LE(r.HOffset(), 5);
    EXPECT_LE(r.VOffset(), 11);
    EXPECT_LT(r.PresetColor(), 16);
    EXPECT_LT(r.BorderColor(), 16);
    EXPECT_EQ(r.DisplayColors().size(), static_cast<size_t>(kScreenWidth * kScreenHeight));
    // Odd-sized and truncated streams too.
    DecodeStreamPrefix(r, stream.data(), 23, 10);
    DecodeStreamPrefix(r, stream.data(), stream.size() - 5, 5000);
  }
}

}  // namespace
}  // namespace lf
