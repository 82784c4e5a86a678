#include "core/cdg/rw_generator.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/playback/rw_renderer.h"

namespace lf {
namespace {

constexpr int kSlots = 64;

struct Stream {
  std::vector<uint8_t> bytes = std::vector<uint8_t>(kSlots * kPacketSize, 0);
  CdgPacket At(int slot) const { return PacketAt(bytes.data() + slot * kPacketSize); }
  bool Empty(int slot) const { return bytes[slot * kPacketSize] == 0; }
  int Used() const {
    int n = 0;
    for (int s = 0; s < kSlots; ++s) n += Empty(s) ? 0 : 1;
    return n;
  }
};

CdgPacket Marker(int color) { return MakeBorderPreset(color); }

TEST(RwGeneratorPackets, CollidingPacketsGoToFollowingFreeSlots) {
  Stream s;
  CdgGenerator gen(s.bytes.data(), static_cast<int32_t>(s.bytes.size()));
  EXPECT_TRUE(gen.HasOutput());
  EXPECT_EQ(gen.WritePacket(Marker(1), 240), 24);
  EXPECT_EQ(gen.WritePacket(Marker(2), 240), 48);
  EXPECT_EQ(gen.WritePacket(Marker(3), 240), 72);
  EXPECT_EQ(s.At(10).PresetColor(), 1);
  EXPECT_EQ(s.At(11).PresetColor(), 2);
  EXPECT_EQ(s.At(12).PresetColor(), 3);
  // A free slot earlier than the requested offset is never used.
  EXPECT_TRUE(s.Empty(9));
  EXPECT_EQ(s.Used(), 3);
}

TEST(RwGeneratorPackets, EndOfStreamIsNeverPassed) {
  // The generator sees 10 slots of a larger buffer: the rest must stay untouched.
  std::vector<uint8_t> buffer(20 * kPacketSize, 0xEE);
  std::fill(buffer.begin(), buffer.begin() + 10 * kPacketSize, 0);
  CdgGenerator gen(buffer.data(), 10 * kPacketSize);

  // The last slot (offset 216) is never written; neither is anything past it.
  EXPECT_EQ(gen.WritePacket(Marker(1), 9 * kPacketSize), 24);
  EXPECT_EQ(gen.WritePacket(Marker(1), 10 * kPacketSize), 24);
  EXPECT_EQ(gen.WritePacket(Marker(1), 1 << 30), 24);
  EXPECT_EQ(gen.WritePacket(Marker(1), -24), 24);
  for (int i = 0; i < 10 * kPacketSize; ++i) ASSERT_EQ(buffer[i], 0) << i;

  // Fill slots 0-8, then a ninth packet at slot 5 finds no free slot: dropped.
  for (int i = 0; i < 9; ++i) EXPECT_EQ(gen.WritePacket(Marker(i), i * kPacketSize), 24);
  EXPECT_EQ(gen.WritePacket(Marker(15), 5 * kPacketSize), 24);
  for (int slot = 0; slot < 9; ++slot) EXPECT_EQ(PacketAt(&buffer[slot * kPacketSize]).PresetColor(), slot);
  for (int i = 9 * kPacketSize; i < 10 * kPacketSize; ++i) ASSERT_EQ(buffer[i], 0);
  for (size_t i = 10 * kPacketSize; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xEE);
}

TEST(RwGeneratorPackets, NoStreamMeansNoOutputButTimeStillAdvances) {
  CdgGenerator gen;
  EXPECT_FALSE(gen.HasOutput());
  EXPECT_EQ(gen.WritePacket(Marker(1), 0), 24);
  EXPECT_EQ(gen.LoadColorTable(GreyPalette().data(), 0), 48);
  EXPECT_EQ(gen.ClearScreen(3, 0), 16 * 24);
  EXPECT_EQ(gen.SetBorder(3, 0), 24);
  EXPECT_EQ(gen.EmitScroll(1, 5, 0, 0, 0), 0);
  CdgGenerator empty(nullptr, 4800);
  EXPECT_FALSE(empty.HasOutput());
  std::vector<uint8_t> buffer(48, 0);
  CdgGenerator zero(buffer.data(), 0);
  EXPECT_FALSE(zero.HasOutput());
}

TEST(RwGeneratorPackets, ColourTableClearScreenBorderScrollAndFill) {
  Stream s;
  CdgGenerator gen(s.bytes.data(), static_cast<int32_t>(s.bytes.size()));
  Palette16 colors{};
  for (int i = 0; i < 16; ++i) colors[i] = MakeRgb(static_cast<uint8_t>(i * 17), 0, static_cast<uint8_t>(255 - i * 17));

  int off = 0;
  off += gen.LoadColorTable(colors.data(), off);
  EXPECT_EQ(off, 48);
  EXPECT_EQ(s.At(0).InstructionCode(), uint8_t(CdgInstruction::LoadColorTableLow));
  EXPECT_EQ(s.At(1).InstructionCode(), uint8_t(CdgInstruction::LoadColorTableHigh));
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(s.At(0).TableColors()[k], colors[k]);
    EXPECT_EQ(s.At(1).TableColors()[k], colors[8 + k]);
  }

  off += gen.ClearScreen(0x25, off);  // masked to six bits as a preset colour
  EXPECT_EQ(off, 48 + 16 * 24);
  for (int r = 0; r < 16; ++r) {
    const CdgPacket p = s.At(2 + r);
    EXPECT_EQ(p.InstructionCode(), uint8_t(CdgInstruction::MemoryPreset));
    EXPECT_EQ(p.PresetRepeat(), r);
    EXPECT_EQ(p.PresetColor(), 0x25);
  }

  off += gen.SetBorder(11, off);
  EXPECT_EQ(s.At(18).InstructionCode(), uint8_t(CdgInstruction::BorderPreset));
  EXPECT_EQ(s.At(18).PresetColor(), 11);

  off += gen.EmitScroll(kScrollRight, 5, kScrollNoneV, 11, off);
  const CdgPacket scroll = s.At(19);
  EXPECT_EQ(scroll.InstructionCode(), uint8_t(CdgInstruction::ScrollCopy));
  EXPECT_EQ(scroll.data[0], 0);
  EXPECT_EQ(scroll.data[1], 0x15);
  EXPECT_EQ(scroll.data[2], 0x0B);
  // Out-of-range values are masked, never spill into the neighbouring field.
  off += gen.EmitScroll(7, 0xFF, 7, 0xFF, off);
  EXPECT_EQ(s.At(20).data[1], 0x37);
  EXPECT_EQ(s.At(20).data[2], 0x3F);

  off += gen.FillCell(49, 17, 6, off);
  const CdgPacket fill = s.At(21);
  EXPECT_EQ(fill.InstructionCode(), uint8_t(CdgInstruction::TileBlockNormal));
  EXPECT_EQ(fill.TileColor0(), 6);
  EXPECT_EQ(fill.TileColor1(), 6);
  EXPECT_EQ(fill.TileColumn(), 49);
  EXPECT_EQ(fill.TileRow(), 17);
  EXPECT_EQ(fill.TileChannel(), 0);
  for (uint8_t bits : fill.TileBits().bits) EXPECT_EQ(bits, 0);
  EXPECT_EQ(off, 22 * 24);
}

DrawingBitmap BitmapWithCell(int column, int row, const std::vector<int>& pixels72) {
  DrawingBitmap bitmap(GreyPalette(), 0);
  for (int y = 0; y < kTileHeight; ++y)
    for (int x = 0; x < kTileWidth; ++x)
      bitmap.SetPixel(column * kTileWidth + x, row * kTileHeight + y, pixels72[y * kTileWidth + x]);
  return bitmap;
}

TEST(RwGeneratorCells, OneColourCellIsOneNormalTile) {
  Stream s;
  CdgGenerator gen(s.bytes.data(), static_cast<int32_t>(s.bytes.size()));
  const DrawingBitmap bitmap = BitmapWithCell(3, 4, std::vector<int>(72, 7));
  EXPECT_EQ(gen.EncodeCell(bitmap, 3, 4, 4, 5, 0), 24);
  ASSERT_EQ(s.Used(), 1);
  const CdgPacket p = s.At(0);
  EXPECT_EQ(p.InstructionCode(), uint8_t(CdgInstruction::TileBlockNormal));
  EXPECT_EQ(p.TileColor0(), 7);
  EXPECT_EQ(p.TileColor1(), 7);
  EXPECT_EQ(p.TileColumn(), 4);
  EXPECT_EQ(p.TileRow(), 5);
  for (uint8_t bits : p.TileBits().bits) EXPECT_EQ(bits, 0x3F);
}

TEST(RwGeneratorCells, ThreeColoursGiveNormalTileThenXorTileAndReproduceTheCell) {
  // Colour 2 everywhere, 5 in column 0, 9 on the diagonal of the top six rows.
  std::vector<int> pixels(72, 2);
  for (int y = 0; y < 12; ++y) pixels[y * 6] = 5;
  for (int d = 1; d < 6; ++d) pixels[d * 6 + d] = 9;
  Stream s;
  CdgGenerator gen(s.bytes.data(), static_cast<int32_t>(s.bytes.size()));
  const DrawingBitmap bitmap = BitmapWithCell(0, 0, pixels);
  EXPECT_EQ(gen.EncodeCell(bitmap, 0, 0, 1, 1, 48), 48);
  ASSERT_EQ(s.Used(), 2);
  const CdgPacket normal = s.At(2), xorTile = s.At(3);
  EXPECT_EQ(normal.InstructionCode(), uint8_t(CdgInstruction::TileBlockNormal));
  EXPECT_EQ(normal.TileColor0(), 2);
  EXPECT_EQ(normal.TileColor1(), 5);
  EXPECT_EQ(xorTile.InstructionCode(), uint8_t(CdgInstruction::TileBlockXor));
  EXPECT_EQ(xorTile.TileColor0(), 0);
  EXPECT_EQ(xorTile.TileColor1(), 9 ^ 2);

  // Replaying the two tiles as a player does gives back the cell exactly.
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 6; ++x) {
      const bool normalBit = normal.TileBits().bits[y] & (0x20 >> x);
      int value = normalBit ? normal.TileColor1() : normal.TileColor0();
      const bool xorBit = xorTile.TileBits().bits[y] & (0x20 >> x);
      value ^= xorBit ? xorTile.TileColor1() : xorTile.TileColor0();
      EXPECT_EQ(value, pixels[y * 6 + x]) << x << "," << y;
    }
  }
}

TEST(RwGeneratorCells, ManyColoursCostOnePacketLessThanColours) {
  std::vector<int> pixels(72);
  for (int i = 0; i < 72; ++i) pixels[i] = 15 - (i % 6);  // colours 10..15
  Stream s;
  CdgGenerator gen(s.bytes.data(), static_cast<int32_t>(s.bytes.size()));
  EXPECT_EQ(gen.EncodeCell(BitmapWithCell(47, 15, pixels), 47, 15, 48, 16, 0), 5 * 24);
  EXPECT_EQ(s.At(0).TileColor0(), 10);
  EXPECT_EQ(s.At(0).TileColor1(), 11);
  for (int k = 1; k < 5; ++k) {
    EXPECT_EQ(s.At(k).InstructionCode(), uint8_t(CdgInstruction::TileBlockXor));
    EXPECT_EQ(s.At(k).TileColor1(), (11 + k) ^ 10);  // increasing colour order
  }
  // Cells outside the 48 x 16 grid are not read.
  EXPECT_EQ(gen.EncodeCell(DrawingBitmap(), 48, 0, 1, 1, 0), 0);
  EXPECT_EQ(gen.EncodeCell(DrawingBitmap(), 0, -1, 1, 1, 0), 0);
}

TEST(RwGeneratorCells, ColourXorTile) {
  std::vector<int> pixels(72, 15);
  pixels[0] = 12;
  pixels[71] = 12;
  const DrawingBitmap bitmap = BitmapWithCell(2, 2, pixels);
  CdgGenerator gen;
  EXPECT_FALSE(gen.MakeColorXorTile(bitmap, 2, 2, 3, 3, 14, 15).has_value());
  const auto tile = gen.MakeColorXorTile(bitmap, 2, 2, 3, 3, 12, 15);
  ASSERT_TRUE(tile.has_value());
  EXPECT_EQ(tile->InstructionCode(), uint8_t(CdgInstruction::TileBlockXor));
  EXPECT_EQ(tile->TileColor0(), 0);
  EXPECT_EQ(tile->TileColor1(), 12 ^ 15);
  EXPECT_EQ(tile->TileColumn(), 3);
  EXPECT_EQ(tile->TileRow(), 3);
  EXPECT_EQ(tile->TileBits().bits[0], 0x20);
  EXPECT_EQ(tile->TileBits().bits[11], 0x01);
  for (int y = 1; y < 11; ++y) EXPECT_EQ(tile->TileBits().bits[y], 0);
}

TEST(RwGeneratorCells, ColorIndexOfAnswersTheNearestPaletteEntry) {
  DrawingBitmap grey(GreyPalette(), 0);
  EXPECT_EQ(CdgGenerator::ColorIndexOf(grey, 0xC0C0C0), 12);
  EXPECT_EQ(CdgGenerator::ColorIndexOf(grey, 0xC4BDC1), 12);
  EXPECT_EQ(CdgGenerator::ColorIndexOf(grey, 0xFFFFFF), 15);
  Palette16 palette{};
  palette.fill(MakeRgb(0, 0, 0));
  palette[5] = MakeRgb(255, 0, 0);
  palette[9] = MakeRgb(255, 0, 0);  // a duplicate: the first one wins
  DrawingBitmap picture(palette, 0);
  EXPECT_EQ(CdgGenerator::ColorIndexOf(picture, MakeRgb(200, 30, 30)), 5);
  EXPECT_EQ(CdgGenerator::ColorIndexOf(picture, MakeRgb(10, 10, 10)), 0);
}

TEST(RwGeneratorAbort, StopsThePlacementScanAndEveryLaterOperation) {
  Stream s;
  CdgGenerator gen(s.bytes.data(), static_cast<int32_t>(s.bytes.size()));
  int polls = 0;
  bool fire = false;
  gen.SetAbortCallback([&] {
    ++polls;
    return fire;
  });
  gen.WritePacket(Marker(1), 0);
  EXPECT_EQ(polls, 0);  // a free slot needs no poll
  gen.WritePacket(Marker(2), 0);
  EXPECT_EQ(polls, 1);  // one occupied slot passed
  fire = true;
  EXPECT_EQ(gen.WritePacket(Marker(3), 0), 0);
  EXPECT_TRUE(gen.Aborted());
  EXPECT_EQ(s.Used(), 2);
  EXPECT_EQ(gen.EmitScroll(0, 0, 0, 0, 480), 0);
  EXPECT_EQ(gen.EncodeCell(DrawingBitmap(), 0, 0, 1, 1, 480), 0);
  EXPECT_EQ(s.Used(), 2);
}

TEST(RwGeneratorPreview, PacketOperationsMirrorIntoTheRenderer) {
  CdgRenderer renderer;
  CdgGenerator gen(&renderer);
  Palette16 colors{};
  for (int i = 0; i < 16; ++i) colors[i] = MakeRgb(static_cast<uint8_t>(i * 17), 34, 51);
  gen.LoadColorTable(colors.data(), 0);
  gen.ClearScreen(4, 0);
  gen.SetBorder(9, 0);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(renderer.ColorAt(i), colors[i]);
  EXPECT_EQ(renderer.PixelAt(150, 100), 4);
  EXPECT_EQ(renderer.PresetColor(), 4);
  EXPECT_EQ(renderer.BorderColor(), 9);

  DrawingBitmap bitmap(GreyPalette(), 7);
  bitmap.SetPixel(0, 0, 3);
  gen.PreviewCopy(bitmap, TextRect{0, 0, 12, 12});
  EXPECT_EQ(renderer.PixelAt(6, 12), 3);
  EXPECT_EQ(renderer.PixelAt(17, 23), 7);
  EXPECT_EQ(renderer.PixelAt(18, 12), 4);  // outside the copied rectangle
}

}  // namespace
}  // namespace lf
