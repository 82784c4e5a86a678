#include "engine/playback/rw_renderer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace lf {
namespace {

// Records what the renderer asks a window to paint.
class RecordingView : public IRendererView {
 public:
  explicit RecordingView(ScreenRect client) : m_client(client) {}
  ScreenRect ClientRect() const override { return m_client; }
  void CopyScreen(const MRwRenderer&, const ScreenRect& source, const ScreenRect& dest) override {
    copies.push_back({source, dest});
  }
  void FillRect(const ScreenRect& dest, Colorref color) override { fills.push_back({dest, color}); }
  void Clear() {
    copies.clear();
    fills.clear();
  }

  struct Copy {
    ScreenRect source, dest;
  };
  struct Fill {
    ScreenRect dest;
    Colorref color;
  };
  std::vector<Copy> copies;
  std::vector<Fill> fills;

 private:
  ScreenRect m_client;
};

CdgTileRows Rows(uint8_t value) {
  CdgTileRows rows;
  rows.bits.fill(value);
  return rows;
}

// A screen with a distinct value in every tile, to see where tiles move.
void DrawNumberedTiles(MRwRenderer& r) {
  for (int row = 0; row < kTileRows; ++row)
    for (int column = 0; column < kTileColumns; ++column) r.DrawTile(row, column, (row + column) % 16, (row * 3 + column) % 16, Rows(0x2A));
}

TEST(RwRenderer, StartsZeroedAndPresetFillsEveryPixel) {
  MRwRenderer r;
  std::vector<uint8_t> screen = r.ScreenSnapshot();
  ASSERT_EQ(screen.size(), static_cast<size_t>(kScreenBytes));
  for (uint8_t px : screen) ASSERT_EQ(px, 0);
  r.MemoryPreset(3);
  for (int y = 0; y < kScreenHeight; ++y)
    for (int x = 0; x < kScreenWidth; ++x) ASSERT_EQ(r.PixelAt(x, y), 3) << x << "," << y;
  // 16 and above keep the last valid preset colour.
  r.DrawTile(5, 5, 1, 1, Rows(0));
  r.MemoryPreset(20);
  EXPECT_EQ(r.PresetColor(), 3);
  EXPECT_EQ(r.PixelAt(31, 61), 3);
  MRwRenderer fresh;
  fresh.DrawTile(5, 5, 1, 1, Rows(0));
  fresh.MemoryPreset(63);
  EXPECT_EQ(fresh.PixelAt(31, 61), 0);
}

TEST(RwRenderer, BorderPresetKeepsScreenMemoryAndLastValidColour) {
  MRwRenderer r;
  r.BorderPreset(7);
  EXPECT_EQ(r.BorderColor(), 7);
  r.BorderPreset(16);
  EXPECT_EQ(r.BorderColor(), 7);
  EXPECT_EQ(r.PixelAt(0, 0), 0);  // painted on the display only
  const Colorref colors[16] = {0, 0, 0, 0, 0, 0, 0, MakeRgb(1, 2, 3)};
  r.LoadColors(0, 16, colors);
  const std::vector<Colorref> shown = r.DisplayColors();
  EXPECT_EQ(shown[0], MakeRgb(1, 2, 3));
  EXPECT_EQ(shown[5 * kScreenWidth + 150], MakeRgb(1, 2, 3));
  EXPECT_EQ(shown[100 * kScreenWidth + 299], MakeRgb(1, 2, 3));
  EXPECT_EQ(shown[100 * kScreenWidth + 150], 0u);
}

TEST(RwRenderer, TileBitsMapLeftmostPixelToBitFive) {
  MRwRenderer r;
  CdgTileRows rows;
  for (int i = 0; i < kTileHeight; ++i) rows.bits[i] = static_cast<uint8_t>(1 << (5 - i % 6));
  r.DrawTile(2, 3, 4, 9, rows);
  for (int i = 0; i < kTileHeight; ++i)
    for (int j = 0; j < kTileWidth; ++j)
      EXPECT_EQ(r.PixelAt(18 + j, 24 + i), j == i % 6 ? 9 : 4) << "row " << i << " pixel " << j;
  EXPECT_EQ(r.PixelAt(17, 24), 0);
  EXPECT_EQ(r.PixelAt(24, 24), 0);
  EXPECT_EQ(r.PixelAt(18, 36), 0);
}

TEST(RwRenderer, XorTwiceRestoresAndOutOfRangeTilesChangeNothing) {
  MRwRenderer r;
  DrawNumberedTiles(r);
  const std::vector<uint8_t> before = r.ScreenSnapshot();
  r.XorTile(4, 7, 5, 10, Rows(0x15));
  EXPECT_NE(r.ScreenSnapshot(), before);
  EXPECT_EQ(r.PixelAt(42, 48), before[48 * kScreenPitch + 42] ^ 5);
  r.XorTile(4, 7, 5, 10, Rows(0x15));
  EXPECT_EQ(r.ScreenSnapshot(), before);

  RecordingView view({0, 0, 300, 216});
  r.AttachView(&view);
  r.DrawTile(18, 0, 1, 2, Rows(0x3F));
  r.DrawTile(0, 50, 1, 2, Rows(0x3F));
  r.DrawTile(-1, 3, 1, 2, Rows(0x3F));  // an invalid row byte
  r.DrawTile(3, 3, 16, 2, Rows(0x3F));
  EXPECT_EQ(r.ScreenSnapshot(), before);
  // Each refreshes the whole visible area instead, then the border.
  ASSERT_EQ(view.copies.size(), 4u);
  EXPECT_EQ(view.copies[0].dest, (ScreenRect{6, 12, 294, 204}));
  EXPECT_EQ(view.fills.size(), 16u);
}

TEST(RwRenderer, RefreshRectanglesAreWidenedClampedAndScaled) {
  MRwRenderer r;
  RecordingView view({0, 0, 600, 432});
  r.AttachView(&view);
  r.AttachView(&view);  // attached once only
  r.DrawTile(1, 1, 0, 1, Rows(0x3F));
  ASSERT_EQ(view.copies.size(), 1u);
  EXPECT_EQ(view.copies[0].dest, (ScreenRect{12, 24, 26, 50}));
  EXPECT_EQ(view.copies[0].source, (ScreenRect{6, 12, 13, 25}));

  view.Clear();
  r.DrawTile(16, 48, 0, 1, Rows(0x3F));  // bottom-right visible tile: clamped at 294, 204
  ASSERT_EQ(view.copies.size(), 1u);
  EXPECT_EQ(view.copies[0].dest, (ScreenRect{574, 382, 588, 408}));

  view.Clear();
  r.DrawTile(0, 10, 0, 1, Rows(0x3F));  // border row: memory only
  r.DrawTile(10, 0, 0, 1, Rows(0x3F));
  EXPECT_TRUE(view.copies.empty());
  EXPECT_EQ(r.PixelAt(60, 0), 1);

  // A client area that does not start at the origin and does not scale evenly.
  RecordingView odd({10, 20, 10 + 450, 20 + 300});
  r.AttachView(&odd);
  r.DrawTile(5, 7, 0, 1, Rows(0x3F));  // (42, 60)-(48, 72) -> (41, 59)-(49, 73)
  ASSERT_EQ(odd.copies.size(), 1u);
  EXPECT_EQ(odd.copies[0].dest, (ScreenRect{10 + 41 * 450 / 300, 20 + 59 * 300 / 216, 10 + 49 * 450 / 300,
                                            20 + 73 * 300 / 216}));
}

TEST(RwRenderer, RefreshAllAppliesOffsetsAndRepaintsBorder) {
  MRwRenderer r;
  RecordingView view({0, 0, 600, 432});
  r.AttachView(&view);
  r.ScrollCopy(0, 5, 0, 11);  // offsets only
  EXPECT_EQ(r.HOffset(), 5);
  EXPECT_EQ(r.VOffset(), 11);
  ASSERT_EQ(view.copies.size(), 1u);
  EXPECT_EQ(view.copies[0].source, (ScreenRect{11, 23, 299, 215}));
  EXPECT_EQ(view.copies[0].dest, (ScreenRect{12, 24, 588, 408}));
  ASSERT_EQ(view.fills.size(), 4u);
  EXPECT_EQ(view.fills[0].dest, (ScreenRect{0, 0, 600, 24}));
  EXPECT_EQ(view.fills[1].dest, (ScreenRect{0, 24, 12, 408}));
  EXPECT_EQ(view.fills[2].dest, (ScreenRect{0, 408, 600, 432}));
  EXPECT_EQ(view.fills[3].dest, (ScreenRect{588, 24, 600, 408}));

  // The visible window starts at screen memory (11, 23).
  r.DrawTile(1, 1, 0, 0, Rows(0));
  r.LockScreen()[23 * kScreenPitch + 11] = 6;
  r.UnlockScreen();
  EXPECT_EQ(r.VisibleIndices()[0], 6);

  // Offsets above one tile are clamped so the window stays in screen memory.
  r.ScrollPreset(0, 0, 7, 0, 15);
  EXPECT_EQ(r.HOffset(), 5);
  EXPECT_EQ(r.VOffset(), 11);
}

TEST(RwRenderer, HoldDisplayDrawsNothingButChangesMemory) {
  MRwRenderer r;
  RecordingView view({0, 0, 300, 216});
  r.AttachView(&view);
  r.SetHoldDisplay(true);
  r.DrawTile(3, 3, 0, 2, Rows(0x3F));
  r.MemoryPreset(4);
  r.BorderPreset(2);
  r.ScrollPreset(1, kScrollLeft, 0, 0, 0);
  const Colorref c[8] = {};
  r.LoadColors(8, 8, c);
  r.RefreshAll();
  EXPECT_TRUE(view.copies.empty());
  EXPECT_TRUE(view.fills.empty());
  EXPECT_EQ(r.PixelAt(299, 100), 1);
  r.SetHoldDisplay(false);
  r.RefreshAll();
  EXPECT_EQ(view.copies.size(), 1u);
  EXPECT_EQ(view.fills.size(), 4u);
}

TEST(RwRenderer, MemoryPresetFillsTheScaledVisibleArea) {
  MRwRenderer r;
  Colorref colors[8];
  for (int i = 0; i < 8; ++i) colors[i] = MakeRgb(static_cast<uint8_t>(17 * i), 0, 0);
  r.LoadColors(0, 8, colors);
  RecordingView view({0, 0, 600, 432});
  r.AttachView(&view);
  r.MemoryPreset(5);
  ASSERT_EQ(view.fills.size(), 1u);
  EXPECT_EQ(view.fills[0].dest, (ScreenRect{12, 24, 588, 408}));
  EXPECT_EQ(view.fills[0].color, MakeRgb(85, 0, 0));
  r.DetachView(&view);
  view.Clear();
  r.MemoryPreset(2);
  EXPECT_TRUE(view.fills.empty());
}

TEST(RwRenderer, LoadColorsReplacesOnlyTheGivenRange) {
  MRwRenderer r;
  const Colorref colors[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  r.LoadColors(8, 8, colors);
  EXPECT_EQ(r.ColorAt(7), 0u);
  EXPECT_EQ(r.ColorAt(8), 1u);
  EXPECT_EQ(r.ColorAt(15), 8u);
  r.LoadColors(12, 8, colors);  // runs past the table: clipped
  EXPECT_EQ(r.ColorAt(15), 4u);
  EXPECT_EQ(r.ColorAt(16), 0u);
}

TEST(RwRenderer, ScrollCopyRoundTripsInEveryDirection) {
  MRwRenderer r;
  DrawNumberedTiles(r);
  const std::vector<uint8_t> before = r.ScreenSnapshot();
  const int pairs[4][4] = {{kScrollLeft, 0, kScrollRight, 0},
                           {kScrollRight, 0, kScrollLeft, 0},
                           {0, kScrollUp, 0, kScrollDown},
                           {0, kScrollDown, 0, kScrollUp}};
  for (const auto& p : pairs) {
    r.ScrollCopy(p[0], 0, p[1], 0);
    EXPECT_NE(r.ScreenSnapshot(), before);
    r.ScrollCopy(p[2], 0, p[3], 0);
    EXPECT_EQ(r.ScreenSnapshot(), before) << "h " << p[0] << " v " << p[1];
  }
  // A full turn of 50 columns (or 18 rows) comes back too.
  for (int i = 0; i < kTileColumns; ++i) r.ScrollCopy(kScrollRight, 0, 0, 0);
  EXPECT_EQ(r.ScreenSnapshot(), before);
  for (int i = 0; i < kTileRows; ++i) r.ScrollCopy(0, 0, kScrollUp, 0);
  EXPECT_EQ(r.ScreenSnapshot(), before);
}

TEST(RwRenderer, ScrollPresetShiftsAndFillsTheVacatedStrip) {
  MRwRenderer r;
  DrawNumberedTiles(r);
  const std::vector<uint8_t> before = r.ScreenSnapshot();
  auto old = [&](int x, int y) { return before[y * kScreenPitch + x]; };

  r.ScrollPreset(9, kScrollRight, 0, 0, 0);
  EXPECT_EQ(r.PixelAt(6, 50), old(0, 50));
  EXPECT_EQ(r.PixelAt(299, 50), old(293, 50));
  for (int x = 0; x < 6; ++x) EXPECT_EQ(r.PixelAt(x, 50), 9);
  // Back left: the rightmost column was lost and comes back as the fill colour.
  r.ScrollPreset(9, kScrollLeft, 0, 0, 0);
  for (int y = 0; y < kScreenHeight; ++y) {
    for (int x = 0; x < 294; ++x) ASSERT_EQ(r.PixelAt(x, y), old(x, y));
    for (int x = 294; x < 300; ++x) ASSERT_EQ(r.PixelAt(x, y), 9);
  }

  MRwRenderer d;
  DrawNumberedTiles(d);
  d.ScrollPreset(4, 0, 0, kScrollDown, 0);
  EXPECT_EQ(d.PixelAt(40, 12), old(40, 0));
  EXPECT_EQ(d.PixelAt(40, 215), old(40, 203));
  EXPECT_EQ(d.PixelAt(40, 11), 4);
  d.ScrollPreset(4, 0, 0, kScrollUp, 0);
  EXPECT_EQ(d.PixelAt(40, 0), old(40, 0));
  EXPECT_EQ(d.PixelAt(40, 204), 4);
}

TEST(RwRenderer, BothScrollCommandsMoveDiagonallyAndThreeMeansNoShift) {
  MRwRenderer r;
  DrawNumberedTiles(r);
  const std::vector<uint8_t> before = r.ScreenSnapshot();
  auto old = [&](int x, int y) { return before[y * kScreenPitch + x]; };
  r.ScrollCopy(kScrollRight, 0, kScrollDown, 0);
  EXPECT_EQ(r.PixelAt(10, 20), old(4, 8));
  EXPECT_EQ(r.PixelAt(0, 0), old(294, 204));  // wraps in both directions
  r.ScrollCopy(kScrollLeft, 0, kScrollUp, 0);
  EXPECT_EQ(r.ScreenSnapshot(), before);

  r.ScrollPreset(2, kScrollLeft, 0, kScrollUp, 0);
  EXPECT_EQ(r.PixelAt(0, 0), old(6, 12));
  EXPECT_EQ(r.PixelAt(296, 0), 2);
  EXPECT_EQ(r.PixelAt(0, 210), 2);

  MRwRenderer t;
  DrawNumberedTiles(t);
  t.ScrollCopy(3, 2, 3, 4);
  EXPECT_EQ(t.ScreenSnapshot(), before);
  EXPECT_EQ(t.HOffset(), 2);
  EXPECT_EQ(t.VOffset(), 4);
}

TEST(RwRenderer, TransparentColourIsRememberedOnly) {
  MRwRenderer r;
  EXPECT_FALSE(r.TransparentColorSet());
  r.SetTransparentColor(40);
  EXPECT_FALSE(r.TransparentColorSet());
  r.SetTransparentColor(15);
  EXPECT_TRUE(r.TransparentColorSet());
  EXPECT_EQ(r.TransparentColor(), 15);
  EXPECT_EQ(r.PixelAt(100, 100), 0);
}

TEST(RwRenderer, ReadersSeeWholeScreensWhileAnotherThreadDecodes) {
  MRwRenderer r;
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int i = 0; i < 400; ++i) {
      r.MemoryPreset(i % 2 ? 5 : 10);
      r.ScrollCopy(kScrollLeft, i % 6, 0, 0);
    }
    done = true;
  });
  int snapshots = 0;
  while (!done || snapshots == 0) {
    const std::vector<uint8_t> s = r.ScreenSnapshot();
    // A preset fills the whole screen and a scroll copy keeps it whole.
    const uint8_t first = s[0];
    for (int y = 0; y < kScreenHeight; ++y)
      for (int x = 0; x < kScreenWidth; ++x) ASSERT_EQ(s[y * kScreenPitch + x], first);
    ++snapshots;
  }
  writer.join();
}

}  // namespace
}  // namespace lf
