#include "core/playback/rw_renderer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/support/attached_view.h"

namespace lf {
namespace {

// Records the regions the renderer reports, and what a window of `client`
// size would repaint for each.
class RecordingView : public RendererView {
 public:
  explicit RecordingView(ScreenRect client = {0, 0, 300, 216}) : m_client(client) {}
  void ScreenChanged(const ScreenRect& region) override { regions.push_back(region); }
  void Detached() override { ++detached; }
  ScreenRect Repaint(size_t i) const { return ScaleToClient(regions.at(i), m_client); }

  std::vector<ScreenRect> regions;
  int detached = 0;

 private:
  ScreenRect m_client;
};

CdgTileRows Rows(uint8_t value) {
  CdgTileRows rows;
  rows.bits.fill(value);
  return rows;
}

// A screen with a distinct value in every tile, to see where tiles move.
void DrawNumberedTiles(CdgRenderer& r) {
  for (int row = 0; row < kTileRows; ++row)
    for (int column = 0; column < kTileColumns; ++column)
      r.DrawTile(row, column, (row + column) % 16, (row * 3 + column) % 16, Rows(0x2A));
}

TEST(RwRenderer, StartsZeroedAndPresetFillsEveryPixel) {
  CdgRenderer r;
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
  CdgRenderer fresh;
  fresh.DrawTile(5, 5, 1, 1, Rows(0));
  fresh.MemoryPreset(63);
  EXPECT_EQ(fresh.PixelAt(31, 61), 0);
}

TEST(RwRenderer, BorderPresetKeepsScreenMemoryAndLastValidColour) {
  CdgRenderer r;
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
  CdgRenderer r;
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
  CdgRenderer r;
  DrawNumberedTiles(r);
  const std::vector<uint8_t> before = r.ScreenSnapshot();
  r.XorTile(4, 7, 5, 10, Rows(0x15));
  EXPECT_NE(r.ScreenSnapshot(), before);
  EXPECT_EQ(r.PixelAt(42, 48), before[48 * kScreenPitch + 42] ^ 5);
  r.XorTile(4, 7, 5, 10, Rows(0x15));
  EXPECT_EQ(r.ScreenSnapshot(), before);

  r.Present();
  RecordingView view;
  const test::AttachedView attached(r, view);
  r.Present();  // nothing changed since the last Present: nothing to tell
  EXPECT_TRUE(view.regions.empty());
  r.DrawTile(18, 0, 1, 2, Rows(0x3F));
  r.DrawTile(0, 50, 1, 2, Rows(0x3F));
  r.DrawTile(-1, 3, 1, 2, Rows(0x3F));  // an invalid row byte
  r.DrawTile(3, 3, 16, 2, Rows(0x3F));
  EXPECT_EQ(r.ScreenSnapshot(), before);
  // Each refreshes the whole screen instead; the batch is told once.
  r.Present();
  ASSERT_EQ(view.regions.size(), 1u);
  EXPECT_EQ(view.regions[0], kWholeScreen);
}

TEST(RwRenderer, RefreshRectanglesAreWidenedClampedAndScaled) {
  CdgRenderer r;
  RecordingView view({0, 0, 600, 432});
  const test::AttachedView attached(r, view);
  r.AttachView(&view);  // attached once only
  struct Case {
    int row, column;
    ScreenRect region;   // shown coordinates
    ScreenRect repaint;  // on a 600 x 432 client area
  };
  const Case cases[] = {
      {1, 1, {6, 12, 13, 25}, {12, 24, 26, 50}},             // clamped on the left and top
      {16, 48, {287, 191, 294, 204}, {574, 382, 588, 408}},  // and at 294, 204
      {5, 7, {41, 59, 49, 73}, {82, 118, 98, 146}},
  };
  for (const Case& c : cases) {
    view.regions.clear();
    r.DrawTile(c.row, c.column, 0, 1, Rows(0x3F));
    r.Present();
    ASSERT_EQ(view.regions.size(), 1u) << c.row << "," << c.column;
    EXPECT_EQ(view.regions[0], c.region);
    EXPECT_EQ(view.Repaint(0), c.repaint);
  }
  // A client area that does not start at the origin and does not scale evenly.
  EXPECT_EQ(ScaleToClient(cases[2].region, {10, 20, 10 + 450, 20 + 300}),
            (ScreenRect{10 + 41 * 450 / 300, 20 + 59 * 300 / 216, 10 + 49 * 450 / 300, 20 + 73 * 300 / 216}));

  // Tiles of one batch are told as one region that holds them all.
  view.regions.clear();
  r.DrawTile(2, 2, 0, 1, Rows(0x3F));
  r.DrawTile(4, 9, 0, 1, Rows(0x3F));
  r.Present();
  ASSERT_EQ(view.regions.size(), 1u);
  EXPECT_EQ(view.regions[0], (ScreenRect{11, 23, 61, 61}));

  view.regions.clear();
  r.DrawTile(0, 10, 0, 1, Rows(0x3F));  // border row: memory only
  r.DrawTile(10, 0, 0, 1, Rows(0x3F));
  r.Present();
  EXPECT_TRUE(view.regions.empty());
  EXPECT_EQ(r.PixelAt(60, 0), 1);
}

TEST(RwRenderer, FrameAppliesOffsetsAndFramesWithTheBorder) {
  CdgRenderer r;
  RecordingView view;
  const test::AttachedView attached(r, view);
  r.ScrollCopy(0, 5, 0, 11);  // offsets only
  EXPECT_EQ(r.HOffset(), 5);
  EXPECT_EQ(r.VOffset(), 11);
  r.Present();
  ASSERT_EQ(view.regions.size(), 1u);
  EXPECT_EQ(view.regions[0], kWholeScreen);

  // The visible window starts at screen memory (11, 23).
  const uint8_t six = 6;
  r.CopyPixels({11, 23, 12, 24}, &six, 1, -1);
  EXPECT_EQ(r.VisibleIndices()[0], 6);
  r.BorderPreset(9);
  const ScreenFrame frame = r.Frame();
  EXPECT_EQ(frame.IndexAt(6, 12), 6);
  EXPECT_EQ(frame.IndexAt(5, 12), 9);
  EXPECT_EQ(frame.IndexAt(294, 100), 9);
  EXPECT_EQ(frame.IndexAt(100, 204), 9);

  // Offsets above one tile are clamped so the window stays in screen memory.
  r.ScrollPreset(0, 0, 7, 0, 15);
  EXPECT_EQ(r.HOffset(), 5);
  EXPECT_EQ(r.VOffset(), 11);
}

TEST(RwRenderer, HoldDisplayDrawsNothingButChangesMemory) {
  CdgRenderer r;
  RecordingView view;
  const test::AttachedView attached(r, view);
  r.SetHoldDisplay(true);
  r.DrawTile(3, 3, 0, 2, Rows(0x3F));
  r.MemoryPreset(4);
  r.BorderPreset(2);
  r.ScrollPreset(1, kScrollLeft, 0, 0, 0);
  const Colorref c[8] = {};
  r.LoadColors(8, 8, c);
  r.RefreshAll();
  EXPECT_TRUE(view.regions.empty());
  EXPECT_EQ(r.PixelAt(299, 100), 1);
  r.SetHoldDisplay(false);
  r.Present();
  ASSERT_EQ(view.regions.size(), 1u);
  EXPECT_EQ(view.regions[0], kWholeScreen);
}

TEST(RwRenderer, MemoryPresetMarksTheVisibleAreaAndDetachedViewsHearNothing) {
  CdgRenderer r;
  RecordingView view({0, 0, 600, 432});
  r.AttachView(&view);
  r.MemoryPreset(5);
  r.Present();
  ASSERT_EQ(view.regions.size(), 1u);
  EXPECT_EQ(view.Repaint(0), (ScreenRect{12, 24, 588, 408}));
  r.DetachView(&view);
  r.DetachView(&view);  // not attached: nothing happens
  r.MemoryPreset(2);
  r.Present();
  EXPECT_EQ(view.regions.size(), 1u);

  // A renderer destroyed with views attached tells them so, and only them.
  RecordingView late;
  {
    CdgRenderer gone;
    gone.AttachView(&late);
    gone.AttachView(&view);
    gone.DetachView(&view);
  }
  EXPECT_EQ(late.detached, 1);
  EXPECT_EQ(view.detached, 0);
}

TEST(RwRenderer, LoadColorsReplacesOnlyTheGivenRange) {
  CdgRenderer r;
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
  CdgRenderer r;
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
  CdgRenderer r;
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

  CdgRenderer d;
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
  CdgRenderer r;
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

  CdgRenderer t;
  DrawNumberedTiles(t);
  t.ScrollCopy(3, 2, 3, 4);
  EXPECT_EQ(t.ScreenSnapshot(), before);
  EXPECT_EQ(t.HOffset(), 2);
  EXPECT_EQ(t.VOffset(), 4);
}

TEST(RwRenderer, TransparentColourIsRememberedOnly) {
  CdgRenderer r;
  EXPECT_FALSE(r.TransparentColorSet());
  r.SetTransparentColor(40);
  EXPECT_FALSE(r.TransparentColorSet());
  r.SetTransparentColor(15);
  EXPECT_TRUE(r.TransparentColorSet());
  EXPECT_EQ(r.TransparentColor(), 15);
  EXPECT_EQ(r.PixelAt(100, 100), 0);
}

TEST(RwRenderer, ReadersSeeWholeScreensWhileAnotherThreadDecodes) {
  CdgRenderer r;
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
