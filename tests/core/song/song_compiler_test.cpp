#include "core/song/song_compiler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/cdg/cdg_packet.h"
#include "core/platform/paths.h"
#include "core/playback/rw_renderer.h"
#include "core/playback/stream_decode.h"
#include "core/song/music_bounds.h"
#include "core/song/song.h"
#include "tests/support/wav_fixture.h"

namespace lf {
namespace {

constexpr int kRate = 44100;
constexpr SampleTime Seconds(double s) { return static_cast<SampleTime>(s * kRate); }

class SongCompilerTest : public ::testing::Test {
 protected:
  void SetUp() override { song.ResetSongDefaults(); }

  void Lyrics(const std::string& text) {
    song.Lyrics().SetRawLyrics(text);
    song.GenerateKaraokeLineList({.keepTimings = false, .convertMarkers = true});
  }

  // Gives word i the start starts[i] (seconds) and an end `length` later;
  // every line holding a timed word is marked placed.
  void Place(const std::vector<double>& starts, double length = 0.4) {
    for (size_t i = 0; i < starts.size() && i < static_cast<size_t>(song.Lyrics().WordCount()); ++i) {
      SongLyrics& lyrics = song.Lyrics();
      const int word = static_cast<int>(i);
      lyrics.SetWordTimes(word, Seconds(starts[i]), Seconds(starts[i] + length));
      lyrics.SetLinePlaced(lyrics.IndexOfLine(lyrics.Word(word)->m_line), true);
    }
  }

  CompileResult Compile(SampleTime from = kCompileEverything) {
    stream.assign(kStreamBytesPerSecond * 120, 0);
    return CompileAndKeep(song, stream.data(), static_cast<uint32_t>(stream.size()), from);
  }

  CdgPacket Slot(size_t slot) const { return PacketAt(stream.data() + slot * kPacketSize); }
  int Code(size_t slot) const { return Slot(slot).IsGraphics() ? Slot(slot).InstructionCode() : 0; }
  static bool IsTile(int code) { return code == 6 || code == 38; }
  size_t SlotCount() const { return stream.size() / kPacketSize; }
  size_t FirstTileSlot(size_t from = 0) const {
    for (size_t s = from; s < SlotCount(); ++s)
      if (IsTile(Code(s))) return s;
    return SIZE_MAX;
  }

  Song song;
  std::vector<uint8_t> stream;
};

TEST_F(SongCompilerTest, SongWithoutLinesHasOnlyItsEnabledPages) {
  PageRecord* title = song.Look().PageByKind(TitlePage);
  PageRecord* credits = song.Look().PageByKind(CreditsPage);
  ASSERT_TRUE(title && credits);

  CompileResult nothing = Compile();
  EXPECT_EQ(nothing.leadIn, 0);
  EXPECT_EQ(nothing.endOffset, 0u);
  for (size_t s = 0; s < 2000; ++s) ASSERT_EQ(Code(s), 0) << "slot " << s;

  title->m_enabled = 1;
  title->m_pageText = "My Song";
  credits->m_enabled = 1;
  credits->m_pageText = "Thanks";
  CompileResult pages = Compile();
  EXPECT_EQ(pages.leadIn, 0);
  EXPECT_GT(pages.endOffset, 0u);
  EXPECT_GT(song.Music().IntroLength(), 0);
  EXPECT_GT(song.Music().CreditsLength(), 0u);
  // The stream opens with the title's colour passes.
  EXPECT_EQ(Code(0), static_cast<int>(CdgInstruction::LoadColorTableLow));
  EXPECT_EQ(Code(1), static_cast<int>(CdgInstruction::LoadColorTableHigh));
  EXPECT_EQ(Code(2), static_cast<int>(CdgInstruction::BorderPreset));
}

// Solo, no title, sweep advance -20, first word at 1.5 s: the stream needs
// 5586 frames of colour passes and the sweep advance share of 4410 before the
// first page, which the lead-in must provide.
TEST_F(SongCompilerTest, LeadInCoversColourPassesAndSweepAdvance) {
  Lyrics("hello world");
  Place({1.5, 2.0});
  CompileResult result = Compile();
  EXPECT_EQ(result.leadIn, 9996);

  // Two passes until a tenth of a second, then two more at the lyrics start:
  // 76 colour packets, each pass 2 table loads, a border and 16 presets.
  for (size_t pass = 0; pass < 4; ++pass) {
    const size_t base = pass * 19;
    EXPECT_EQ(Code(base), static_cast<int>(CdgInstruction::LoadColorTableLow));
    EXPECT_EQ(Code(base + 1), static_cast<int>(CdgInstruction::LoadColorTableHigh));
    EXPECT_EQ(Code(base + 2), static_cast<int>(CdgInstruction::BorderPreset));
    for (int k = 0; k < 16; ++k) {
      ASSERT_EQ(Code(base + 3 + k), static_cast<int>(CdgInstruction::MemoryPreset));
      EXPECT_EQ(Slot(base + 3 + k).PresetRepeat(), k);
    }
  }
  // The first page is asked for at offset 912 and fills the free slots after them.
  EXPECT_EQ(FirstTileSlot(), 76u);
  EXPECT_EQ(song.Lyrics().Line(0)->m_startTime, 0);
  EXPECT_EQ(song.Lyrics().Line(0)->m_endTime, Seconds(2.4) + 2 * kRate);
}

TEST_F(SongCompilerTest, TitlePageShowsFirstLinesSixSecondsAhead) {
  PageRecord* title = song.Look().PageByKind(TitlePage);
  title->m_enabled = 1;
  title->m_holdTime = 200;
  title->m_pageText = "Title";
  Lyrics("hello world");
  Place({3.0, 3.5});
  CompileResult result = Compile();
  EXPECT_GT(result.leadIn, 0);
  // The line is shown 2 s + 4 s before its first word.
  EXPECT_EQ(song.Lyrics().Line(0)->m_startTime, Seconds(3.0) - 6 * kRate);
  // Title section and lead-in: the line's draw offset is not before the end of the title.
  const int64_t drawSlot = (song.Lyrics().Line(0)->m_startTime + (result.leadIn - 4410)) / 147;
  EXPECT_GE(drawSlot * kPacketSize, song.Music().IntroLength() / 147 * kPacketSize);
}

// Four rows sung ending at t0..t3 on a page followed by another page.
class EraseFromBottomTest : public SongCompilerTest, public ::testing::WithParamInterface<int> {};

TEST_P(EraseFromBottomTest, RowsOfAPageAreReplacedAsTheCountSays) {
  Lyrics("one\ntwo\nthree\nfour\nfive\nsix\nseven\neight");
  Place({3, 5, 7, 9, 11, 13, 15, 17}, 1.0);
  song.Look().SetEraseFromBottom(GetParam());
  Compile();
  const SampleTime t0 = Seconds(4), t1 = Seconds(6), t2 = Seconds(8), t3 = Seconds(10);
  std::vector<SampleTime> expected;
  switch (GetParam()) {
    case 0:
      expected = {t2, t2, t2, t3};
      break;
    case 1:
      expected = {t1, t1, t2, t3};
      break;
    default:
      expected = {t0, t1, t2, t3};
      break;
  }
  for (int row = 0; row < 4; ++row) {
    EXPECT_EQ(song.Lyrics().Line(row)->m_endTime, expected[row]) << "row " << row;
    EXPECT_EQ(song.Lyrics().Line(4 + row)->m_startTime, expected[row]) << "next page row " << row;
    EXPECT_EQ(song.Lyrics().Line(4 + row)->m_endTime, Seconds(18) + 2 * kRate);
  }
}

INSTANTIATE_TEST_SUITE_P(Counts, EraseFromBottomTest, ::testing::Values(0, 1, 2, 5));

TEST_F(SongCompilerTest, PageWithoutSungLinesTakesThePreviousPagesLastErase) {
  Lyrics("one\ntwo\n^\nthree\nfour\n^\nfive");
  song.SetLinesPerPage(2);
  song.GenerateKaraokeLineList({.keepTimings = false, .convertMarkers = true});
  ASSERT_EQ(song.Lyrics().LineCount(), 5);
  // Words of the middle page stay unplaced.
  song.Lyrics().SetWordStart(0, Seconds(3));
  song.Lyrics().SetWordEnd(0, Seconds(4));
  song.Lyrics().SetWordStart(1, Seconds(5));
  song.Lyrics().SetWordEnd(1, Seconds(6));
  song.Lyrics().SetWordStart(4, Seconds(20));
  song.Lyrics().SetWordEnd(4, Seconds(21));
  for (int i : {0, 1, 4}) song.Lyrics().SetLinePlaced(i, true);
  Compile();
  ASSERT_EQ(song.Lyrics().Line(2)->m_page, 1);
  ASSERT_EQ(song.Lyrics().Line(4)->m_page, 2);
  EXPECT_EQ(song.Lyrics().Line(2)->m_endTime, song.Lyrics().Line(1)->m_endTime);
  EXPECT_EQ(song.Lyrics().Line(3)->m_endTime, song.Lyrics().Line(1)->m_endTime);
}

// A line replaced on the next page by a line sung right after it: its last
// word gives up time so the swap has room.
TEST_F(SongCompilerTest, LastWordMakesRoomForTheSameRowOnTheNextPage) {
  Lyrics("first\n^\nsecond");
  song.Lyrics().SetWordStart(0, Seconds(1));
  song.Lyrics().SetWordEnd(0, Seconds(2));
  song.Lyrics().SetWordStart(1, Seconds(2.5));
  song.Lyrics().SetWordEnd(1, Seconds(3));
  song.Lyrics().SetLinePlaced(0, true);
  song.Lyrics().SetLinePlaced(1, true);
  ASSERT_EQ(song.Lyrics().Line(1)->m_page, 1);
  Compile();
  const SampleTime j = Seconds(2), k = Seconds(2.5);
  const SampleTime gap = j - Seconds(1) + 50;
  EXPECT_EQ(song.Lyrics().Word(0)->m_endTime, k - gap);
}

TEST_F(SongCompilerTest, FromTimeLeavesOutEarlierEvents) {
  Lyrics("a b c d\ne f g h\ni j k l\nm n o p\nq r s t");
  std::vector<double> starts;
  for (int i = 0; i < 20; ++i) starts.push_back(3.0 + i * 0.8);
  Place(starts);
  CompileResult full = Compile();
  size_t fullTiles = 0;
  for (size_t s = 0; s < SlotCount(); ++s) fullTiles += IsTile(Code(s));

  const SampleTime from = song.Lyrics().Word(12)->m_startTime;
  Compile(from);
  const int64_t shift = full.leadIn - 4410;
  const size_t firstAllowed = static_cast<size_t>((from + shift) / 147);
  size_t tiles = 0;
  for (size_t s = 0; s < SlotCount(); ++s) {
    if (!IsTile(Code(s))) continue;
    ++tiles;
    EXPECT_GE(s, firstAllowed) << "a tile before the from time";
  }
  EXPECT_GT(tiles, 0u);
  EXPECT_LT(tiles, fullTiles);
}

TEST_F(SongCompilerTest, SweepEntireWordPutsAllItsTilesAtTheStart) {
  Lyrics("aa wonderful");
  Place({3.0, 6.0}, 1.5);
  song.Look().SetSweepEntireWord(true);
  CompileResult result = Compile();
  const int64_t shift = result.leadIn - 4410;
  const size_t start = static_cast<size_t>((song.Lyrics().Word(1)->m_startTime + shift) / 147);
  ASSERT_EQ(Code(start), 38) << "the sweep starts in its own slot";
  size_t run = 0;
  while (Code(start + run) == 38) ++run;
  EXPECT_GT(run, 3u);
  EXPECT_EQ(Code(start + run), 0);
  // Nothing more of it later in the word.
  const size_t endSlot = static_cast<size_t>((song.Lyrics().Word(1)->m_endTime + shift) / 147);
  for (size_t s = start + run; s < endSlot; ++s) EXPECT_EQ(Code(s), 0) << "slot " << s;
}

// A word sung a minute into the music sweeps at its time at any sample rate:
// 300 packets a second, not rate / 300 truncated frames a packet (22,050 Hz
// would run 0.7 % slow, 123 packets late after a minute).
TEST_F(SongCompilerTest, SweepsKeepTimeAtRatesThatThreeHundredDoesNotDivide) {
  ScopedTempFolder dir("compiler-rates");
  for (const int rate : {44100, 22050, 11025, 32000}) {
    const std::string music = dir.File("music" + std::to_string(rate) + ".wav");
    test::WriteFileBytes(music, test::ToneWav(rate, 16, 1, uint32_t(rate) * 70));
    song.Music().SetWorkingMusicPath(music);
    song.Music().AllocateRwMemory(true);
    ASSERT_EQ(song.Music().SampleRate(), rate);
    Lyrics("aa wonderful");
    for (int i = 0; i < 2; ++i) {
      song.Lyrics().SetWordTimes(i, rate * (58 + 2 * i), rate * (59 + 2 * i));
      song.Lyrics().SetLinePlaced(song.Lyrics().IndexOfLine(song.Lyrics().Word(i)->m_line), true);
    }
    song.Look().SetSweepEntireWord(true);
    const CompileResult result = Compile();
    // The sweep advance (-20 hundredths) takes half its time off every sweep.
    const int64_t share = int64_t{song.Look().Settings().sweepAdvance} * (rate / 100) / 2;
    const int64_t expected = PacketSlotAt(int64_t{rate} * 60 + result.leadIn + share, rate);
    EXPECT_EQ(Code(size_t(expected)), 38) << rate << " Hz: the sweep starts at slot " << expected;
    EXPECT_EQ(Code(size_t(expected) - 1), 0) << rate << " Hz";
    EXPECT_NEAR(double(expected - PacketSlotAt(result.leadIn, rate)), 60 * 300 - 30, 1) << rate << " Hz";
  }
}

// A word timed past the end of the music (from a hand-made LRC, a tap, a
// damaged project) makes the stream and the music it asks for no longer than
// the music, the seconds a word may be held after it, and the credits.
TEST_F(SongCompilerTest, TimesPastTheMusicNeverLengthenTheOutput) {
  ScopedTempFolder dir("compiler-bounds");
  const std::string music = dir.File("music.wav");
  test::WriteFileBytes(music, test::ToneWav(kRate, 16, 2, kRate * 28));
  song.Music().SetWorkingMusicPath(music, true);
  song.Music().AllocateRwMemory(true);
  Lyrics("first word\nlate word");
  auto compileWithLastWordAt = [&](SampleTime late) {
    Place({1.0, 2.0, 3.0});
    song.Lyrics().SetWordStart(3, late);
    song.Lyrics().SetWordEnd(3, late == 0 ? 0 : late + std::min<SampleTime>(kRate, INT32_MAX - late));
    song.Lyrics().Word(3)->m_line->m_placed = true;
    stream.assign(kStreamBytesPerSecond * 120, 0);
    return CompileSong(song, stream.data(), static_cast<uint32_t>(stream.size()), kCompileEverything);
  };
  const CompileResult withinMusic = compileWithLastWordAt(Seconds(27.0));
  const int64_t heldBytes = int64_t{kRate} * 4 * (kWordTimeAfterMusicSeconds + 1);
  for (const SampleTime late : {Seconds(800.0), Seconds(6039.99), SampleTime{INT32_MAX - 1}}) {
    SCOPED_TRACE(late);
    const CompileResult result = compileWithLastWordAt(late);
    EXPECT_LE(int64_t{result.times.musicBytes}, int64_t{withinMusic.times.musicBytes} + heldBytes);
    EXPECT_LE(int64_t{result.endOffset},
              int64_t{withinMusic.endOffset} + int64_t{kStreamBytesPerSecond} * (kWordTimeAfterMusicSeconds + 1));
    EXPECT_LE(result.times.lines.back().words.back().start, Seconds(28.0 + kWordTimeAfterMusicSeconds));
  }
}

// Decoding the stream up to a word's time shows its line, swept up to it.
TEST_F(SongCompilerTest, RenderedStreamShowsLineSweptToTheCurrentWord) {
  Lyrics("sing along now");
  Place({3.0, 4.0, 5.0}, 0.8);
  CompileResult result = Compile();
  const int64_t shift = result.leadIn - 4410;
  auto countColour = [&](SampleTime t, int index) {
    CdgRenderer renderer;
    DecodeStreamPrefix(renderer, stream.data(), stream.size(), static_cast<size_t>((t + shift) / 147));
    int n = 0;
    for (int y = kVisibleTop; y < kVisibleBottom; ++y)
      for (int x = kVisibleLeft; x < kVisibleRight; ++x) n += renderer.PixelAt(x, y) == index;
    return n;
  };
  const int sweep = song.Look().Settings().sweepColorIndex;
  EXPECT_EQ(countColour(Seconds(2.5), sweep), 0);
  EXPECT_GT(countColour(Seconds(2.5), ColorIndexSinger1), 100) << "the line is drawn before it is sung";
  const int afterFirst = countColour(Seconds(3.9), sweep);
  const int afterSecond = countColour(Seconds(4.9), sweep);
  const int afterAll = countColour(Seconds(5.9), sweep);
  EXPECT_GT(afterFirst, 0);
  EXPECT_GT(afterSecond, afterFirst);
  EXPECT_GT(afterAll, afterSecond);
  EXPECT_EQ(countColour(Seconds(5.9), ColorIndexSinger1), 0) << "every character swept";
}

}  // namespace
}  // namespace lf
