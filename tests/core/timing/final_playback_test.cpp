#include "core/timing/final_playback.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "core/platform/message_sink.h"
#include "core/platform/settings.h"
#include "core/playback/rw_renderer.h"
#include "core/playback/stream_decode.h"
#include "core/song/song.h"
#include "fake_timing_player.h"
#include "tests/support/media_fixture.h"

namespace lf {
namespace {

constexpr int kRate = 44100;
constexpr int kSpp = 147;

TEST(ElapsedTotalTextTest, ShowsWholeSecondsOfElapsedAndTotal) {
  struct Case {
    int64_t position, total;
    const char* text;
  };
  const Case cases[] = {{0, (180 + 2) * kRate, "0:00/3:02"},
                        {70 * kRate + kRate - 1, 182 * kRate, "1:10/3:02"},
                        {-5, 59 * kRate, "0:00/0:59"},
                        {3600 * kRate, 3600 * kRate, "60:00/60:00"}};
  for (const Case& c : cases) EXPECT_EQ(ElapsedTotalText(c.position, c.total, kRate), c.text);
}

// A three-minute song whose title page makes the compiler put a lead-in before the music.
class FinalPlaybackTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // One file per process: ctest runs each test as its own process, side by side.
    s_wav = (std::filesystem::temp_directory_path() /
             ("lyricforge_final_playback_test_" + std::to_string(getpid()) + ".wav"))
                .string();
    test::WriteToneWav(s_wav, 180.0, kRate, 2, 16, 220.0);
  }
  static void TearDownTestSuite() { std::remove(s_wav.c_str()); }

  void SetUp() override {
    SetAppSettings(std::make_unique<MemorySettings>());
    m_song.ResetSongDefaults();
    m_song.Look().PageByKind(TitlePage)->m_enabled = 1;
    m_song.SetMusicPath(s_wav);
    m_song.Music().SetWorkingMusicPath(s_wav);
    m_song.Lyrics().SetRawLyrics("one two three\nfour five");
    m_song.GenerateKaraokeLineList({.keepTimings = false, .convertMarkers = true});
    for (int i = 0; i < m_song.Lyrics().WordCount(); ++i) {
      m_song.Lyrics().SetWordStart(i, (1 + 10 * i) * kRate);
      m_song.Lyrics().SetWordEnd(i, (2 + 10 * i) * kRate);
      m_song.Lyrics().Word(i)->m_line->m_placed = true;
    }
    ASSERT_TRUE(m_final.Prepare()) << m_final.ErrorText();
  }
  // The screen a player decoding the stream it was handed up to `packet` shows.
  std::vector<uint8_t> ScreenAt(int packet) {
    CdgRenderer expected;
    const TimingPlaySource& played = m_player.lastSource;
    EXPECT_TRUE(played.stream);
    if (!played.stream) return {};
    DecodeStreamPrefix(expected, played.stream->data(), played.streamSize, static_cast<size_t>(packet) + 1);
    return expected.VisibleIndices();
  }

  static inline std::string s_wav;
  ScopedMessageRecorder m_recorder;
  Song m_song{"/tmp/none.lfp"};
  test::FakeTimingPlayer m_player;
  CdgRenderer m_preview;
  FinalPlayback m_final{m_song, m_player, &m_preview};
};

TEST_F(FinalPlaybackTest, OpensAtZeroWithTheLeadInCounted) {
  EXPECT_GT(m_final.LeadIn(), 0);
  EXPECT_EQ(m_final.Total(), m_final.LeadIn() + 180 * kRate);
  EXPECT_EQ(m_final.Label(), ElapsedTotalText(0, m_final.Total(), kRate));
  EXPECT_EQ(m_final.SliderMaximum(), m_final.Total() / kSpp);
  EXPECT_EQ(m_final.LineStep(), 900);
  EXPECT_EQ(m_final.PageStep(), 4500);
  EXPECT_EQ(m_final.ButtonText(), "Play (SB)");
}

TEST_F(FinalPlaybackTest, PauseAndPlayResumeWhereTheListenerWas) {
  m_final.PlayOrPause();
  ASSERT_TRUE(m_final.IsPlaying());
  EXPECT_FALSE(m_final.PageButtonsEnabled());
  EXPECT_EQ(m_player.plays.back().start, 0);
  EXPECT_TRUE(m_player.plays.back().withGraphics);
  m_player.position = 70 * kRate + 500;
  EXPECT_TRUE(m_final.Tick());
  EXPECT_EQ(m_final.Label().substr(0, 5), "1:10/");
  EXPECT_EQ(m_final.SliderPosition(), (70 * kRate + 500) / kSpp);
  m_player.position = 70 * kRate + 900;  // heard a little later than the last tick
  m_final.PlayOrPause();
  EXPECT_FALSE(m_player.playing);
  EXPECT_TRUE(m_final.PageButtonsEnabled());
  m_final.PlayOrPause();
  EXPECT_EQ(m_player.plays.back().start, 70 * kRate + 900);
}

TEST_F(FinalPlaybackTest, DraggingBackRedrawsUpToTheNewPlaceAndPlaysOn) {
  m_final.PlayOrPause();
  m_player.position = 60 * kRate;
  m_final.Tick();
  const int back = (m_final.LeadIn() + 12 * kRate) / kSpp;  // the second line is up by then
  m_final.SliderMoved(back);
  EXPECT_FALSE(m_player.playing);
  EXPECT_FALSE(m_final.PageButtonsEnabled());  // a drag does not enable the other pages
  EXPECT_EQ(m_final.ResumePosition(), static_cast<int64_t>(back) * kSpp);
  m_final.SliderReleased();
  const std::vector<uint8_t> atBack = ScreenAt(back);
  EXPECT_NE(std::count(atBack.begin(), atBack.end(), ColorIndexSinger1), 0);  // lyrics are showing
  EXPECT_EQ(m_preview.VisibleIndices(), atBack);
  EXPECT_TRUE(m_player.playing);
  EXPECT_EQ(m_player.plays.back().start, back * kSpp);

  // Stopped, a move forward feeds only the packets after the old place.
  m_final.PlayOrPause();
  const int on = back + 3000;
  m_final.SliderMoved(on);
  m_final.SliderReleased();
  EXPECT_FALSE(m_player.playing);
  EXPECT_EQ(m_preview.VisibleIndices(), ScreenAt(on));
}

TEST_F(FinalPlaybackTest, EndOfMusicReturnsToTheStart) {
  m_final.PlayOrPause();
  m_player.position = 100 * kRate;
  m_final.Tick();
  m_player.Finish();
  EXPECT_TRUE(m_final.Tick());
  EXPECT_FALSE(m_final.IsPlaying());
  EXPECT_EQ(m_final.SliderPosition(), 0);
  EXPECT_EQ(m_final.Label(), ElapsedTotalText(0, m_final.Total(), kRate));
  for (uint8_t pixel : m_preview.VisibleIndices()) ASSERT_EQ(pixel, ColorIndexBackground);
  m_final.PlayOrPause();
  EXPECT_EQ(m_player.plays.back().start, 0);
}

TEST_F(FinalPlaybackTest, PlaceTextNamesTheLineSungThere) {
  const int packet = (m_final.LeadIn() + 41 * kRate) / kSpp;
  EXPECT_NE(m_final.PlaceText(packet).find("four five"), std::string::npos) << m_final.PlaceText(packet);
  EXPECT_EQ(m_final.PlaceText(0), "0:00");
}

TEST(FinalPlaybackNoMusicTest, CannotPrepareAndStaysStopped) {
  SetAppSettings(std::make_unique<MemorySettings>());
  ScopedMessageRecorder recorder;
  Song song{"/tmp/none.lfp"};
  song.ResetSongDefaults();
  song.Lyrics().SetRawLyrics("one");
  test::FakeTimingPlayer player;
  FinalPlayback final(song, player);
  EXPECT_FALSE(final.Prepare());
  EXPECT_FALSE(final.ErrorText().empty());
  final.PlayOrPause();
  EXPECT_TRUE(player.plays.empty());
  EXPECT_EQ(final.Label(), "0:00/0:00");
}

}  // namespace
}  // namespace lf
