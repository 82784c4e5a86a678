#include "core/cdg/cdg_packet.h"

#include <gtest/gtest.h>

#include "core/cdg/packet_time.h"

namespace lf {
namespace {

TEST(CdgPacket, ColorTableBytesUseFourBitsPerComponent) {
  uint8_t a, b;
  EncodeTableColor(MakeRgb(255, 255, 255), a, b);
  EXPECT_EQ(a, 0x3F);
  EXPECT_EQ(b, 0x3F);
  EncodeTableColor(MakeRgb(16, 16, 16), a, b);  // 16 / 17 rounds down to 0
  EXPECT_EQ(a, 0x00);
  EXPECT_EQ(b, 0x00);
  EncodeTableColor(MakeRgb(0x11, 0x22, 0x33), a, b);  // 1, 2, 3
  EXPECT_EQ(DecodeTableColor(a, b), MakeRgb(0x11, 0x22, 0x33));
}

TEST(CdgPacket, TileBuilderMasksFieldsAndRoundTrips) {
  CdgTileRows rows;
  for (int i = 0; i < kTileHeight; ++i) rows.bits[i] = static_cast<uint8_t>(0xC0 | i);
  CdgPacket p = MakeTileBlock(CdgInstruction::TileBlockXor, 0x1F, 0x2A, 0x3F, 0x7F, rows);
  EXPECT_TRUE(p.IsGraphics());
  EXPECT_EQ(p.InstructionCode(), 38);
  EXPECT_EQ(p.TileColor0(), 0x0F);
  EXPECT_EQ(p.TileColor1(), 0x0A);
  EXPECT_EQ(p.TileChannel(), 0);
  EXPECT_EQ(p.data[2], 0x1F);
  EXPECT_EQ(p.data[3], 0x3F);
  for (int i = 0; i < kTileHeight; ++i) EXPECT_EQ(p.data[4 + i], i) << "row " << i;
  EXPECT_EQ(p.parityQ[0] | p.parityQ[1] | p.parityP[0] | p.parityP[3], 0);
}

TEST(CdgPacket, TileChannelAndInvalidRow) {
  CdgTileRows rows;
  CdgPacket p = MakeTileBlock(CdgInstruction::TileBlockNormal, 1, 2, 3, 4, rows, 9);
  EXPECT_EQ(p.TileChannel(), 9);
  EXPECT_EQ(p.TileColor0(), 1);
  EXPECT_EQ(p.TileColor1(), 2);
  p.data[2] = 81;
  EXPECT_EQ(p.TileRow(), -1);
  p.data[2] = 80;
  EXPECT_EQ(p.TileRow(), 80 & 0x1F);
}

TEST(CdgPacket, ScrollFieldsAndCopyHasNoFill) {
  CdgPacket preset = MakeScroll(CdgInstruction::ScrollPreset, 7, kScrollLeft, 5, kScrollNoneV, 11);
  EXPECT_EQ(preset.ScrollFillColor(), 7);
  EXPECT_EQ(preset.ScrollHCommand(), 2);
  EXPECT_EQ(preset.ScrollHOffset(), 5);
  EXPECT_EQ(preset.ScrollVCommand(), 0);
  EXPECT_EQ(preset.ScrollVOffset(), 11);
  CdgPacket copy = MakeScroll(CdgInstruction::ScrollCopy, 7, kScrollNone, 0, kScrollUp, 0);
  EXPECT_EQ(copy.data[0], 0);
  EXPECT_EQ(copy.data[2], 0x20);
}

TEST(CdgPacket, StreamAndSectorArithmetic) {
  EXPECT_EQ(kStreamBytesPerSecond, 7200);
  EXPECT_EQ(kSamplesPerPacket, 147);
  EXPECT_EQ(kBinSectorSize - kBinAudioBytes, kBinPacketsPerSector * kPacketSize);
  EXPECT_EQ(kBinSectorsPerSecond * kBinPacketsPerSector, kPacketsPerSecond);
}

// Frames and packet slots: exact at 44,100 Hz (147 frames a packet, as
// before), and 300 slots a second at rates 300 does not divide.
TEST(PacketTime, FramesAndSlotsConvertExactly) {
  for (int64_t frames = 0; frames < 44100 * 3; frames += 37) {
    ASSERT_EQ(PacketSlotAt(frames, 44100), frames / 147);
    ASSERT_EQ(StreamOffsetAt(frames, 44100), frames / 147 * kPacketSize);
    ASSERT_EQ(SampleFrameAtOffset(frames * kPacketSize, 44100), frames * 147);
  }
  EXPECT_EQ(SampleFrameOfSlot(300, 44100), 44100);
  EXPECT_EQ(PacketSlotAt(22050 * 150, 22050), 45000);  // 2.5 minutes: not 45,308
  EXPECT_EQ(PacketSlotAt(147, 22050), 2);              // 73.5 frames a packet
  EXPECT_EQ(SampleFrameOfSlot(3, 22050), 220);
  EXPECT_EQ(PacketSlotAt(32000, 32000), 300);
  EXPECT_EQ(PacketSlotAt(44100, 0), 300);  // no rate: 44,100 Hz
}

}  // namespace
}  // namespace lf
