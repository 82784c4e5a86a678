#include "core/playback/rw_player.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "core/playback/cdg_decoder.h"
#include "core/playback/rw_renderer.h"
#include "core/playback/stream_decode.h"
#include "tests/support/attached_view.h"

namespace lf {
namespace {

class CountingView : public RendererView {
 public:
  void ScreenChanged(const ScreenRect&) override { ++changes; }
  std::atomic<int> changes{0};
};

std::vector<uint8_t> EmptyStream(size_t slots) { return std::vector<uint8_t>(slots * kPacketSize, 0); }

void Put(std::vector<uint8_t>& s, size_t slot, const CdgPacket& p) {
  std::memcpy(&s[slot * kPacketSize], &p, kPacketSize);
}

CdgTileRows Solid() {
  CdgTileRows rows;
  rows.bits.fill(0x3F);
  return rows;
}

TEST(RwPlayerDecoder, DispatchesEveryInstruction) {
  CdgRenderer r;
  CdgDecoder decoder;
  auto decode = [&](const CdgPacket& p) { decoder.Decode(p, r); };
  decode(MakeMemoryPreset(6, 0));
  EXPECT_EQ(r.PixelAt(0, 0), 6);
  decode(MakeBorderPreset(3));
  EXPECT_EQ(r.BorderColor(), 3);
  decode(MakeTileBlock(CdgInstruction::TileBlockNormal, 1, 2, 4, 4, Solid()));
  EXPECT_EQ(r.PixelAt(24, 48), 2);
  decode(MakeTileBlock(CdgInstruction::TileBlockXor, 1, 3, 4, 4, Solid()));
  EXPECT_EQ(r.PixelAt(24, 48), 1);
  decode(MakeScroll(CdgInstruction::ScrollPreset, 9, kScrollLeft, 2, 0, 3));
  EXPECT_EQ(r.PixelAt(18, 48), 1);
  EXPECT_EQ(r.PixelAt(299, 48), 9);
  EXPECT_EQ(r.HOffset(), 2);
  EXPECT_EQ(r.VOffset(), 3);
  decode(MakeScroll(CdgInstruction::ScrollCopy, 0, kScrollRight, 0, 0, 0));
  EXPECT_EQ(r.PixelAt(24, 48), 1);
  decode(MakeDefineTransparentColor(12));
  EXPECT_EQ(r.TransparentColor(), 12);
  const Colorref colors[8] = {MakeRgb(255, 255, 255), 0, 0, 0, 0, 0, 0, MakeRgb(17, 34, 51)};
  decode(MakeLoadColorTable(CdgInstruction::LoadColorTableHigh, colors));
  EXPECT_EQ(r.ColorAt(8), MakeRgb(255, 255, 255));
  EXPECT_EQ(r.ColorAt(15), MakeRgb(17, 34, 51));
  EXPECT_EQ(r.ColorAt(0), 0u);

  // Channels above 1 are not shown; channel 1 is.
  const std::vector<uint8_t> before = r.ScreenSnapshot();
  decode(MakeTileBlock(CdgInstruction::TileBlockNormal, 5, 5, 2, 2, Solid(), 2));
  decode(MakeTileBlock(CdgInstruction::TileBlockNormal, 5, 5, 2, 2, Solid(), 8));
  EXPECT_EQ(r.ScreenSnapshot(), before);
  decode(MakeTileBlock(CdgInstruction::TileBlockNormal, 5, 5, 2, 2, Solid(), 1));
  EXPECT_EQ(r.PixelAt(12, 24), 5);

  // Row bytes above 80 are invalid rows; unknown instructions and other commands do nothing.
  const std::vector<uint8_t> now = r.ScreenSnapshot();
  CdgPacket badRow = MakeTileBlock(CdgInstruction::TileBlockNormal, 7, 7, 3, 3, Solid());
  badRow.data[2] = 81;  // 81 & 0x1F would be row 17
  decode(badRow);
  CdgPacket unknown = MakeMemoryPreset(1, 0);
  unknown.instruction = 5;
  decode(unknown);
  CdgPacket otherMode = MakeMemoryPreset(1, 0);
  otherMode.command = 8;
  decode(otherMode);
  EXPECT_EQ(r.ScreenSnapshot(), now);
  // The top two bits of command and instruction are not part of them.
  CdgPacket high = MakeMemoryPreset(11, 0);
  high.command |= 0xC0;
  high.instruction |= 0x40;
  decode(high);
  EXPECT_EQ(r.PixelAt(0, 0), 11);
}

// Where other decoders differ, we follow our own rules: every packet of a
// preset burst refills, tiles land at 12 x row whatever the offsets, and the
// window shows screen pixel (x + H, y + V) at (x, y).
TEST(RwPlayerDecoder, PresetBurstsRefillAndOffsetsMoveOnlyTheWindow) {
  CdgRenderer r;
  CdgDecoder decoder;
  auto decode = [&](const CdgPacket& p) { decoder.Decode(p, r); };
  decode(MakeMemoryPreset(2, 0));
  decode(MakeTileBlock(CdgInstruction::TileBlockNormal, 6, 6, 3, 3, Solid()));
  decode(MakeMemoryPreset(2, 1));
  EXPECT_EQ(r.PixelAt(18, 36), 2);
  decode(MakeTileBlock(CdgInstruction::TileBlockNormal, 6, 6, 3, 3, Solid()));
  decode(MakeMemoryPreset(40, 15));
  EXPECT_EQ(r.PixelAt(18, 36), 2);

  decode(MakeScroll(CdgInstruction::ScrollCopy, 0, 0, 5, 0, 11));
  decode(MakeTileBlock(CdgInstruction::TileBlockNormal, 7, 7, 1, 1, Solid()));
  EXPECT_EQ(r.PixelAt(6, 12), 7);
  EXPECT_EQ(r.PixelAt(6, 24), 2);
  const std::vector<uint8_t> visible = r.VisibleIndices();
  EXPECT_EQ(visible[0], 7);           // screen (11, 23): the tile's last row and column
  EXPECT_EQ(visible[1], 2);           // screen (12, 23)
  EXPECT_EQ(visible[kDrawWidth], 2);  // screen (11, 24)
}

TEST(RwPlayerDecoder, RepeatedColourTableIsNotLoadedAgain) {
  CdgRenderer r;
  CountingView view;
  const test::AttachedView attached(r, view);
  CdgDecoder decoder;
  auto decode = [&](const CdgPacket& p) {
    decoder.Decode(p, r);
    r.Present();
  };
  Colorref colors[8] = {MakeRgb(255, 0, 0)};
  decode(MakeLoadColorTable(CdgInstruction::LoadColorTableLow, colors));
  EXPECT_EQ(view.changes, 1);
  decode(MakeLoadColorTable(CdgInstruction::LoadColorTableLow, colors));
  EXPECT_EQ(view.changes, 1);
  // The same colours in the high table are a change of that table.
  decode(MakeLoadColorTable(CdgInstruction::LoadColorTableHigh, colors));
  EXPECT_EQ(view.changes, 2);
  EXPECT_EQ(r.ColorAt(8), MakeRgb(255, 0, 0));
}

TEST(RwPlayerDecoder, NoRendererMeansNothingHappens) {
  SubcodePlayer player(nullptr);
  std::vector<uint8_t> stream = EmptyStream(10);
  Put(stream, 1, MakeMemoryPreset(1, 0));
  player.SetStream(MakePacketStream(stream));
  std::atomic<int32_t> samples{1 << 20};
  player.SetExternalPosition(&samples);
  player.Play(false);  // must not crash, and ends after the last slot
  EXPECT_EQ(player.State(), SubcodePlayer::kStopped);
}

TEST(RwPlayer, FollowsAnExternalPositionAndDecodesEverySlot) {
  CdgRenderer r;
  CountingView view;
  const test::AttachedView attached(r, view);
  std::vector<uint8_t> stream = EmptyStream(600);
  Put(stream, 10, MakeMemoryPreset(2, 0));
  Put(stream, 299, MakeTileBlock(CdgInstruction::TileBlockNormal, 0, 7, 1, 1, Solid()));
  Put(stream, 300, MakeTileBlock(CdgInstruction::TileBlockNormal, 0, 8, 1, 2, Solid()));
  Put(stream, 599, MakeBorderPreset(4));  // the last slot
  std::atomic<int32_t> samples{0};
  SubcodePlayer player(&r);
  player.SetStream(MakePacketStream(stream));
  player.SetExternalPosition(&samples);
  player.Play(true);
  EXPECT_EQ(player.State(), SubcodePlayer::kPlaying);

  auto waitFor = [&](auto done) {
    for (int i = 0; i < 300 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return done();
  };
  // 44100 samples is packet 300: slots 0..299 are due, slot 300 is not.
  samples = 44100;
  EXPECT_TRUE(waitFor([&] { return r.PixelAt(6, 12) == 7; }));
  EXPECT_EQ(r.PixelAt(0, 0), 2);
  EXPECT_EQ(r.PixelAt(12, 12), 2);
  EXPECT_EQ(player.Position(), 44100);
  samples = 44100 + 147;
  EXPECT_TRUE(waitFor([&] { return r.PixelAt(12, 12) == 8; }));
  samples = 1 << 30;
  EXPECT_TRUE(waitFor([&] { return r.BorderColor() == 4; }));
  player.Stop();
  EXPECT_EQ(player.State(), SubcodePlayer::kStopped);
}

TEST(RwPlayer, FirstPassIsHeldAndShownInOneRefresh) {
  CdgRenderer r;
  CountingView view;
  const test::AttachedView attached(r, view);
  std::vector<uint8_t> stream = EmptyStream(300);
  for (int i = 0; i < 100; ++i)
    Put(stream, i, MakeTileBlock(CdgInstruction::TileBlockNormal, 0, 1, 1 + i % 16, 1 + i % 48, Solid()));
  std::atomic<int32_t> samples{300 * 147};
  SubcodePlayer player(&r);
  player.SetStream(MakePacketStream(stream));
  player.SetExternalPosition(&samples);
  player.Play(false);  // on this thread: returns after the last slot
  EXPECT_EQ(player.State(), SubcodePlayer::kStopped);
  EXPECT_EQ(view.changes, 1);
}

TEST(RwPlayer, PositionNeverGoesBackAndPauseHoldsIt) {
  CdgRenderer r;
  std::atomic<int32_t> samples{5000};
  SubcodePlayer player(&r);
  player.SetExternalPosition(&samples);
  EXPECT_EQ(player.Position(), 5000);
  samples = 100;
  EXPECT_EQ(player.Position(), 5000);
  player.SetExternalPosition(nullptr);
  EXPECT_EQ(player.Position(), 5000);

  // Own clock: 44.1 samples a millisecond; paused holds the highest position.
  ManualClock clock;
  SubcodePlayer own(&r, clock);
  std::vector<uint8_t> stream = EmptyStream(3000);
  own.SetStream(MakePacketStream(stream));
  own.Play(true);
  clock.Advance(50);
  EXPECT_EQ(own.Position(), 2205);
  own.SetPaused(true);
  EXPECT_EQ(own.State(), SubcodePlayer::kPaused);
  clock.Advance(30);
  EXPECT_EQ(own.Position(), 2205);
  own.Play(true);  // resumes the paused loop
  EXPECT_EQ(own.State(), SubcodePlayer::kPlaying);
  clock.Advance(20);
  EXPECT_GT(own.Position(), 2205);
  own.Stop();
}

TEST(RwPlayer, TempoChangeFromThePaceRunsTheClockFaster) {
  CdgRenderer r;
  std::vector<uint8_t> stream = EmptyStream(30000);
  ManualClock clock;
  SubcodePlayer player(&r, clock);
  player.SetPace({[] { return 147; }, [] { return 100; }});
  player.SetStream(MakePacketStream(stream));
  player.Play(true);
  // The loop adds the tempo's share of each step it sees; steps of 10 ms.
  for (int i = 0; i < 20; ++i) {
    clock.Advance(10);
    const int32_t target = static_cast<int32_t>(44.1 * 20 * (i + 1));
    for (int wait = 0; wait < 500 && player.Position() < target; ++wait)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  const int32_t p = player.Position();
  player.Stop();
  // Doubled speed: 200 ms of clock play 400 ms of stream, to the step the loop last saw.
  EXPECT_NEAR(p, 44.1 * 400, 44.1 * 10);
}

TEST(RwPlayer, EmptyStreamEndsAtOnceAndStopForgetsTheStream) {
  CdgRenderer r;
  SubcodePlayer player(&r);
  player.Play(false);
  EXPECT_EQ(player.State(), SubcodePlayer::kStopped);
  std::vector<uint8_t> stream = EmptyStream(10);
  player.SetStream(MakePacketStream({}));
  player.Play(true);
  player.Stop();
  player.SetStream(MakePacketStream(stream));
  player.Stop();
  std::atomic<int32_t> samples{1 << 20};
  player.SetExternalPosition(&samples);
  player.Play(false);  // the stream was forgotten: nothing to play
  EXPECT_EQ(player.State(), SubcodePlayer::kStopped);
}

TEST(StreamDecode, PrefixStopsBelowTheSlotOfTheTime) {
  EXPECT_EQ(SlotsBefore(2.5), 750u);
  EXPECT_EQ(SlotsBefore(0), 0u);
  EXPECT_EQ(SlotsBefore(-1), 0u);
  EXPECT_EQ(SlotsBefore(1.0 / 300 * 0.999), 0u);
  // Decimal times that binary floating point stores a hair low.
  EXPECT_EQ(SlotsBefore(0.41), 123u);
  EXPECT_EQ(SlotsBefore(0.57), 171u);
  EXPECT_EQ(SlotsBefore(1.14), 342u);
  std::vector<uint8_t> stream = EmptyStream(20);
  Put(stream, 9, MakeMemoryPreset(1, 0));
  Put(stream, 10, MakeMemoryPreset(2, 0));
  CdgRenderer a, b;
  EXPECT_EQ(DecodeStreamPrefix(a, stream.data(), stream.size(), 10), 10u);
  EXPECT_EQ(a.PixelAt(0, 0), 1);
  EXPECT_EQ(DecodeStreamPrefix(b, stream.data(), stream.size(), 1000), 20u);
  EXPECT_EQ(b.PixelAt(0, 0), 2);
  // Empty slots keep the screen as it is.
  const std::vector<uint8_t> before = b.ScreenSnapshot();
  const std::vector<uint8_t> zeros = EmptyStream(300);
  DecodeStreamPrefix(b, zeros.data(), zeros.size(), 300);
  EXPECT_EQ(b.ScreenSnapshot(), before);
}

}  // namespace
}  // namespace lf
