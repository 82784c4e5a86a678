#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "core/cdg/rw_generator.h"
#include "core/playback/rw_renderer.h"
#include "core/playback/stream_decode.h"

namespace lf {
namespace {

constexpr int kStreamBytes = 7200 * 60;  // one minute

Palette16 TestPalette() {
  Palette16 p{};
  for (int k = 0; k < 16; ++k) p[k] = MakeRgb(uint8_t(k * 17), uint8_t(255 - k * 16), uint8_t((k * 40) % 256));
  return p;
}

// A full-size picture whose cells hold up to four colours each.
PictureBitmap PatternPicture(int width = 288, int height = 192) {
  PictureBitmap picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) picture.Set(x, y, uint8_t((x / 3 + y / 5 + (x * y) % 3) % 11));
  picture.SetPalette(TestPalette());
  return picture;
}

PictureBitmap FlatPicture(int width, int height, uint8_t index) {
  PictureBitmap picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) picture.Set(x, y, index);
  picture.SetPalette(TestPalette());
  return picture;
}

struct Slot {
  int slot;
  CdgPacket packet;
};

std::vector<Slot> Packets(const std::vector<uint8_t>& stream) {
  std::vector<Slot> out;
  for (size_t off = 0; off + kPacketSize <= stream.size(); off += kPacketSize)
    if (stream[off] != 0) out.push_back({int(off / kPacketSize), PacketAt(&stream[off])});
  return out;
}

int CountOf(const std::vector<Slot>& packets, CdgInstruction kind) {
  return int(std::count_if(packets.begin(), packets.end(),
                           [&](const Slot& s) { return s.packet.InstructionCode() == uint8_t(kind); }));
}

bool IsTile(const CdgPacket& p) {
  return p.InstructionCode() == uint8_t(CdgInstruction::TileBlockNormal) ||
         p.InstructionCode() == uint8_t(CdgInstruction::TileBlockXor);
}

// Tile positions (column, row) of the TileBlockNormal packets, in order.
std::vector<std::pair<int, int>> NormalTiles(const std::vector<Slot>& packets) {
  std::vector<std::pair<int, int>> tiles;
  for (const Slot& s : packets)
    if (s.packet.InstructionCode() == uint8_t(CdgInstruction::TileBlockNormal))
      tiles.push_back({s.packet.TileColumn(), s.packet.TileRow()});
  return tiles;
}

class Transitions : public ::testing::Test {
 protected:
  std::vector<uint8_t> stream = std::vector<uint8_t>(kStreamBytes, 0);
  CdgGenerator generator{stream.data(), kStreamBytes};
  Palette16 colors = TestPalette();

  int Emit(const PictureBitmap& picture, int transition, int offset = 0) {
    generator.SetDissolveSeed(1234);
    auto bitmap = generator.PlaceImage(picture, PlacementTop, 15);
    return generator.EmitTransition(*bitmap, transition, colors.data(), 15, offset);
  }

  // Plays the stream onto a screen that was cleared to `fill`.
  std::vector<uint8_t> Played(int fill = 15) {
    CdgRenderer renderer;
    renderer.MemoryPreset(fill);
    DecodeStreamPrefix(renderer, stream.data(), stream.size(), stream.size() / kPacketSize);
    EXPECT_EQ(renderer.HOffset(), 0);
    EXPECT_EQ(renderer.VOffset(), 0);
    return renderer.VisibleIndices();
  }

  std::vector<uint8_t> Placed(const PictureBitmap& picture, int rows = 192) {
    auto bitmap = generator.PlaceImage(picture, PlacementTop, 15);
    std::vector<uint8_t> out(size_t(288) * 192, 15);
    std::copy(bitmap->Pixels(), bitmap->Pixels() + size_t(288) * rows, out.begin());
    return out;
  }
};

TEST_F(Transitions, EveryTransitionEndsOnThePlacedPicture) {
  PictureBitmap picture = PatternPicture();
  for (int t = 0; t <= 9; ++t) {
    SCOPED_TRACE(TransitionName(t));
    std::fill(stream.begin(), stream.end(), 0);
    int written = Emit(picture, t);
    auto packets = Packets(stream);
    ASSERT_FALSE(packets.empty());
    EXPECT_EQ(written, (packets.back().slot + 1) * kPacketSize) << "returns the bytes up to its last packet";
    EXPECT_EQ(Played(), Placed(picture));
  }
}

TEST_F(Transitions, FillOrdersAndCounts) {
  PictureBitmap flat = FlatPicture(288, 192, 7);
  int written = Emit(flat, FillUp);
  auto packets = Packets(stream);
  ASSERT_EQ(packets.size(), 768u);
  EXPECT_EQ(written, 768 * kPacketSize);
  EXPECT_EQ(CountOf(packets, CdgInstruction::TileBlockNormal), 768);
  auto tiles = NormalTiles(packets);
  EXPECT_EQ(tiles.front(), std::make_pair(1, 16));
  EXPECT_EQ(tiles[47], std::make_pair(48, 16));
  EXPECT_EQ(tiles[48], std::make_pair(1, 15));
  EXPECT_EQ(tiles.back(), std::make_pair(48, 1));

  auto orderOf = [&](int transition) {
    std::fill(stream.begin(), stream.end(), 0);
    Emit(flat, transition);
    return NormalTiles(Packets(stream));
  };
  auto right = orderOf(FillRight);
  EXPECT_EQ(right[0], std::make_pair(1, 1));
  EXPECT_EQ(right[1], std::make_pair(1, 2));
  EXPECT_EQ(right[16], std::make_pair(2, 1));
  auto left = orderOf(FillLeft);
  EXPECT_EQ(left[0], std::make_pair(48, 1));
  EXPECT_EQ(left[16], std::make_pair(47, 1));
  auto down = orderOf(FillDown);
  EXPECT_EQ(down[1], std::make_pair(2, 1));
  EXPECT_EQ(down.back(), std::make_pair(48, 16));

  // Cells of several colours cost one packet per colour beyond the first.
  std::fill(stream.begin(), stream.end(), 0);
  PictureBitmap picture = PatternPicture();
  auto bitmap = generator.PlaceImage(picture, PlacementTop, 15);
  int expected = 0;
  for (int j = 0; j < 16; ++j)
    for (int i = 0; i < 48; ++i) {
      std::set<int> seen;
      for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 6; ++x) seen.insert(bitmap->Pixel(i * 6 + x, j * 12 + y));
      expected += std::max<int>(1, int(seen.size()) - 1);
    }
  EXPECT_EQ(generator.EmitTransition(*bitmap, FillDown, colors.data(), 15, 0), expected * kPacketSize);
}

TEST_F(Transitions, ScreenPercentLimitsTheRows) {
  PictureBitmap picture = PatternPicture();
  auto rowsTouched = [&](int transition, int percent) {
    std::fill(stream.begin(), stream.end(), 0);
    generator.SetScreenPercent(percent);
    Emit(picture, transition);
    std::set<int> rows;
    for (const Slot& s : Packets(stream))
      if (IsTile(s.packet)) rows.insert(s.packet.TileRow());
    return rows;
  };
  auto range = [](int first, int last) {
    std::set<int> r;
    for (int k = first; k <= last; ++k) r.insert(k);
    return r;
  };
  EXPECT_EQ(rowsTouched(FillDown, 75), range(1, 12));
  EXPECT_EQ(rowsTouched(FillRight, 50), range(1, 8));
  EXPECT_EQ(rowsTouched(FillUp, 50), range(1, 8));  // rows 7 -> 0
  EXPECT_EQ(rowsTouched(BlockDissolve, 75), range(1, 12));
  EXPECT_EQ(rowsTouched(FadeIn, 50), range(1, 8));
  EXPECT_TRUE(rowsTouched(FillDown, 0).empty());
  EXPECT_TRUE(rowsTouched(FillLeft, 0).empty());
  EXPECT_EQ(rowsTouched(FillUp, 0), range(1, 1));  // row 0 still drawn
  EXPECT_EQ(rowsTouched(ScrollDown, 0), range(0, 0));

  // A 50 % Fill Down leaves the lower half of the screen alone.
  std::fill(stream.begin(), stream.end(), 0);
  generator.SetScreenPercent(50);
  Emit(picture, FillDown);
  EXPECT_EQ(Played(), Placed(picture, 96));

  // The horizontal scrolls keep only the offset steps of drawn rows.
  std::fill(stream.begin(), stream.end(), 0);
  generator.SetScreenPercent(50);  // rows 0-7: steps after rows 3 and 5
  Emit(picture, ScrollRight);
  EXPECT_EQ(CountOf(Packets(stream), CdgInstruction::ScrollCopy), 1 + 48 * 3 + 5);
}

TEST_F(Transitions, HorizontalScrollsSlideOnePixelAStep) {
  PictureBitmap picture = PatternPicture();
  for (int t : {ScrollRight, ScrollLeft}) {
    SCOPED_TRACE(TransitionName(t));
    std::fill(stream.begin(), stream.end(), 0);
    Emit(picture, t);
    auto packets = Packets(stream);
    std::vector<CdgPacket> scrolls;
    for (const Slot& s : packets) {
      if (s.packet.InstructionCode() == uint8_t(CdgInstruction::ScrollCopy)) scrolls.push_back(s.packet);
      if (IsTile(s.packet)) {
        ASSERT_EQ(s.packet.TileColumn(), 0) << "cells are drawn into the border column";
      }
    }
    // One to start, six per column, and the closing steps.
    ASSERT_EQ(int(scrolls.size()), 1 + 48 * 6 + (t == ScrollRight ? 5 : 7));
    std::vector<int> offsets;
    for (const CdgPacket& p : scrolls) {
      EXPECT_EQ(p.ScrollVCommand(), 0);
      EXPECT_EQ(p.data[0], 0);
      offsets.push_back(p.ScrollHOffset());
    }
    if (t == ScrollRight) {
      EXPECT_EQ(std::vector<int>(offsets.begin(), offsets.begin() + 7), (std::vector<int>{5, 4, 3, 2, 1, 0, 5}));
      EXPECT_EQ(scrolls[6].ScrollHCommand(), kScrollRight);
      EXPECT_EQ(std::vector<int>(offsets.end() - 5, offsets.end()), (std::vector<int>{4, 3, 2, 1, 0}));
    } else {
      EXPECT_EQ(std::vector<int>(offsets.begin(), offsets.begin() + 7), (std::vector<int>{0, 1, 2, 3, 4, 5, 0}));
      EXPECT_EQ(scrolls[6].ScrollHCommand(), kScrollLeft);
      EXPECT_EQ(std::vector<int>(offsets.end() - 7, offsets.end()), (std::vector<int>{0, 1, 2, 3, 4, 5, 0}));
      EXPECT_EQ(scrolls.back().ScrollHCommand(), kScrollLeft);
    }
    // The step after row 3 comes right after that row's cell.
    int cellsBefore = 0;
    for (const Slot& s : packets) {
      if (s.packet.InstructionCode() == uint8_t(CdgInstruction::ScrollCopy) &&
          s.packet.ScrollHOffset() == (t == ScrollRight ? 4 : 1))
        break;
      if (s.packet.InstructionCode() == uint8_t(CdgInstruction::TileBlockNormal)) ++cellsBefore;
    }
    EXPECT_EQ(cellsBefore, 4);
  }
}

TEST_F(Transitions, VerticalScrollsSlideOnePixelAStep) {
  PictureBitmap picture = PatternPicture();
  for (int t : {ScrollDown, ScrollUp}) {
    SCOPED_TRACE(TransitionName(t));
    std::fill(stream.begin(), stream.end(), 0);
    Emit(picture, t);
    std::vector<CdgPacket> scrolls;
    for (const Slot& s : Packets(stream)) {
      if (s.packet.InstructionCode() == uint8_t(CdgInstruction::ScrollCopy)) scrolls.push_back(s.packet);
      if (IsTile(s.packet)) {
        ASSERT_EQ(s.packet.TileRow(), 0);
      }
    }
    ASSERT_EQ(int(scrolls.size()), 1 + 16 * 12 + (t == ScrollDown ? 11 : 12));
    EXPECT_EQ(scrolls[0].ScrollVOffset(), t == ScrollDown ? 11 : 0);
    EXPECT_EQ(scrolls[1].ScrollVOffset(), t == ScrollDown ? 10 : 1);
    EXPECT_EQ(scrolls[11].ScrollVOffset(), t == ScrollDown ? 0 : 11);
    EXPECT_EQ(scrolls[12].ScrollVCommand(), t == ScrollDown ? kScrollDown : kScrollUp);
    EXPECT_EQ(scrolls.back().ScrollVOffset(), 0);
    for (const CdgPacket& p : scrolls) EXPECT_EQ(p.ScrollHCommand(), 0);
  }
}

TEST_F(Transitions, BlockDissolveVisitsEveryCellOnceInASeededOrder) {
  PictureBitmap flat = FlatPicture(288, 192, 3);
  Emit(flat, BlockDissolve);
  auto first = NormalTiles(Packets(stream));
  ASSERT_EQ(first.size(), 768u);
  using Cells = std::set<std::pair<int, int>>;
  EXPECT_EQ(Cells(first.begin(), first.end()).size(), 768u);
  std::fill(stream.begin(), stream.end(), 0);
  Emit(flat, FillDown);
  EXPECT_NE(first, NormalTiles(Packets(stream)));

  std::fill(stream.begin(), stream.end(), 0);
  Emit(flat, BlockDissolve);
  EXPECT_EQ(NormalTiles(Packets(stream)), first) << "same seed, same order";

  std::fill(stream.begin(), stream.end(), 0);
  generator.SetDissolveSeed(99);
  auto bitmap = generator.PlaceImage(flat, PlacementTop, 15);
  generator.EmitTransition(*bitmap, BlockDissolve, colors.data(), 15, 0);
  EXPECT_NE(NormalTiles(Packets(stream)), first);
}

TEST_F(Transitions, FadesRampTheColourTable) {
  PictureBitmap picture = PatternPicture();
  Emit(picture, FadeIn);
  auto packets = Packets(stream);
  EXPECT_EQ(CountOf(packets, CdgInstruction::LoadColorTableLow) + CountOf(packets, CdgInstruction::LoadColorTableHigh),
            258);
  // First table: everything the background colour; the picture follows.
  const Colorref b = colors[15];
  auto firstLow = packets[0].packet.TableColors();
  for (Colorref c : firstLow) {
    uint8_t x, y;
    EncodeTableColor(b, x, y);
    EXPECT_EQ(c, DecodeTableColor(x, y));
  }
  EXPECT_TRUE(IsTile(packets[2].packet));
  CdgRenderer renderer;
  DecodeStreamPrefix(renderer, stream.data(), stream.size(), stream.size() / kPacketSize);
  for (int k = 0; k < 16; ++k) {
    uint8_t x, y;
    EncodeTableColor(colors[k], x, y);
    EXPECT_EQ(renderer.ColorAt(k), DecodeTableColor(x, y)) << k;
  }

  std::fill(stream.begin(), stream.end(), 0);
  Emit(picture, FadeOut);
  packets = Packets(stream);
  ASSERT_EQ(packets.size(), 288u);  // 144 tables, nothing drawn
  EXPECT_EQ(CountOf(packets, CdgInstruction::LoadColorTableLow), 144);
  // f = 0 keeps the true colours; one entry changes per table after that.
  {
    uint8_t x, y;
    EncodeTableColor(colors[3], x, y);
    EXPECT_EQ(packets[0].packet.TableColors()[3], DecodeTableColor(x, y));
  }
  CdgRenderer faded;
  DecodeStreamPrefix(faded, stream.data(), stream.size(), stream.size() / kPacketSize);
  uint8_t x, y;
  EncodeTableColor(b, x, y);
  for (int k = 0; k < 16; ++k) EXPECT_EQ(faded.ColorAt(k), DecodeTableColor(x, y)) << k;
}

TEST_F(Transitions, UnknownTransitionAndAbort) {
  PictureBitmap picture = PatternPicture();
  EXPECT_EQ(Emit(picture, 11), 0);
  EXPECT_EQ(Emit(picture, -1), 0);
  EXPECT_TRUE(Packets(stream).empty());

  int polls = 0;
  generator.SetAbortCallback([&] { return ++polls > 100; });
  int written = Emit(picture, FillDown);
  auto packets = Packets(stream);
  EXPECT_GT(packets.size(), 0u);
  EXPECT_LT(packets.size(), 200u);
  EXPECT_EQ(written, int(packets.size()) * kPacketSize);
}

TEST(PlaceImage, Placements) {
  CdgGenerator generator;
  // Wider than the drawing area: stretched whatever the placement says.
  PictureBitmap wide(300, 100);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 300; ++x) wide.Set(x, y, x < 150 ? 1 : 2);
  auto stretched = generator.PlaceImage(wide, PlacementCenter, 15);
  for (int y = 0; y < 192; y += 7) {
    EXPECT_EQ(stretched->Pixel(0, y), 1);
    EXPECT_EQ(stretched->Pixel(287, y), 2);
  }

  // 100 x 50 tiled: copies at k = 0 ... 2, l = 0 ... 3, the last ones clipped.
  PictureBitmap tile(100, 50);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 100; ++x) tile.Set(x, y, uint8_t(1 + (x == 0) + 2 * (y == 0)));
  auto tiled = generator.PlaceImage(tile, PlacementTiled, 15);
  for (int k = 0; k < 3; ++k)
    for (int l = 0; l < 4; ++l) EXPECT_EQ(tiled->Pixel(k * 100, l * 50), 4) << k << "," << l;
  EXPECT_EQ(tiled->Pixel(287, 191), 1);

  PictureBitmap small = FlatPicture(100, 50, 6);
  auto where = [&](int placement) {
    auto b = generator.PlaceImage(small, placement, 15);
    int top = -1, left = -1;
    for (int y = 0; y < 192 && top < 0; ++y)
      for (int x = 0; x < 288; ++x)
        if (b->Pixel(x, y) == 6) {
          top = y;
          left = x;
          break;
        }
    EXPECT_EQ(b->Palette(), small.Palette());
    return std::make_pair(left, top);
  };
  EXPECT_EQ(where(PlacementTop), std::make_pair(94, 0));
  EXPECT_EQ(where(PlacementCenter), std::make_pair(94, 71));
  EXPECT_EQ(where(PlacementBottom), std::make_pair(94, 142));
  EXPECT_EQ(where(PlacementStretched), std::make_pair(0, 0));
  EXPECT_EQ(where(7), std::make_pair(-1, -1));  // background only
}

TEST(DrawImage, PreviewCoversTheScreenPercent) {
  CdgRenderer renderer;
  renderer.MemoryPreset(0);
  CdgGenerator generator(&renderer);
  generator.SetScreenPercent(50);
  PictureBitmap flat = FlatPicture(288, 192, 9);
  EXPECT_EQ(generator.DrawImage(&flat, PlacementTop, FillDown, TestPalette().data(), 15, 0), 0)
      << "no stream: nothing emitted";
  auto visible = renderer.VisibleIndices();
  EXPECT_EQ(visible[95 * 288], 9);
  EXPECT_EQ(visible[96 * 288], 0);
  EXPECT_EQ(generator.DrawImage(nullptr, PlacementTop, FillDown, TestPalette().data(), 15, 0), 0);
}

}  // namespace
}  // namespace lf
