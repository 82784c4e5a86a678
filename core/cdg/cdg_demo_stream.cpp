#include "core/cdg/cdg_demo_stream.h"

#include <algorithm>
#include <cstring>

#include "core/cdg/cdg_packet.h"

namespace lf {

namespace {

constexpr int kDemoSlots = 1000;

void Put(std::vector<uint8_t>& stream, int slot, const CdgPacket& packet) {
  std::memcpy(&stream[static_cast<size_t>(slot) * kPacketSize], &packet, kPacketSize);
}

// Diagonal stripes, shifted by the tile position so that they run across tiles.
CdgTileRows Stripes(int row, int column) {
  CdgTileRows rows;
  for (int i = 0; i < kTileHeight; ++i) {
    const int phase = (i + row * kTileHeight + column * kTileWidth) % 6;
    rows.bits[i] = static_cast<uint8_t>((0x38 >> phase | 0x38 << (6 - phase)) & 0x3F);
  }
  return rows;
}

}  // namespace

std::vector<uint8_t> MakeDemoStream() {
  std::vector<uint8_t> stream(static_cast<size_t>(kDemoSlots) * kPacketSize, 0);
  const Colorref low[8] = {MakeRgb(0, 0, 0),   MakeRgb(255, 0, 0),   MakeRgb(255, 136, 0), MakeRgb(255, 255, 0),
                           MakeRgb(0, 204, 0), MakeRgb(0, 136, 255), MakeRgb(102, 0, 204), MakeRgb(255, 255, 255)};
  const Colorref high[8] = {MakeRgb(68, 68, 68),    MakeRgb(0, 255, 255), MakeRgb(255, 0, 255), MakeRgb(34, 34, 119),
                            MakeRgb(255, 255, 255), MakeRgb(17, 17, 17),  MakeRgb(255, 221, 0), MakeRgb(0, 0, 51)};
  Put(stream, 0, MakeLoadColorTable(CdgInstruction::LoadColorTableLow, low));
  Put(stream, 1, MakeLoadColorTable(CdgInstruction::LoadColorTableHigh, high));
  Put(stream, 2, MakeMemoryPreset(15, 0));
  Put(stream, 3, MakeBorderPreset(11));
  // A page of concentric coloured frames, one tile per slot, row by row.
  int slot = 10;
  for (int row = 1; row <= kDrawRows; ++row) {
    for (int column = 1; column <= kDrawColumns; ++column) {
      const int ring = std::min({row - 1, kDrawRows - row, column - 1, kDrawColumns - column});
      Put(stream, slot++,
          MakeTileBlock(CdgInstruction::TileBlockNormal, 15, 1 + ring % 7, row, column, Stripes(row, column)));
    }
  }
  // A sweep across the middle row with XOR tiles, then the page scrolls up one row.
  CdgTileRows solid;
  solid.bits.fill(0x3F);
  for (int column = 1; column <= kDrawColumns; ++column)
    Put(stream, 800 + column, MakeTileBlock(CdgInstruction::TileBlockXor, 0, 9, 8, column, solid));
  Put(stream, 900, MakeScroll(CdgInstruction::ScrollPreset, 15, kScrollNone, 0, kScrollUp, 0));
  return stream;
}

}  // namespace lf
