#include "core/timing/lyric_placement.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "core/platform/message_sink.h"
#include "core/platform/settings.h"
#include "core/playback/rw_renderer.h"
#include "core/song/song.h"
#include "core/timing/placement_preview.h"
#include "core/timing/placement_session.h"
#include "core/timing/tap_calibration.h"
#include "core/timing/word_confidence.h"
#include "fake_timing_player.h"

namespace lf {
namespace {

constexpr SampleTime kSecond = 44100;
constexpr SampleTime Seconds(double s) { return static_cast<SampleTime>(s * kSecond); }

using Span = std::pair<SampleTime, SampleTime>;

class PlacementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetAppSettings(std::make_unique<MemorySettings>());
    m_song.ResetSongDefaults();
    m_song.SetMusicPath("/tmp/music.wav");
  }
  void Lyrics(const std::string& text, int singerMode = 1) {
    m_song.Look().Settings().singerMode = singerMode;
    m_song.Lyrics().SetRawLyrics(text);
    m_session.Open();
  }
  // Space pressed and released at `seconds` of heard music.
  void Tap(double seconds) {
    m_player.position = Seconds(seconds);
    m_session.KeyDown(TimingKey::Space);
    m_session.KeyUp(TimingKey::Space);
  }
  void Key(TimingKey key, double seconds) {
    m_player.position = Seconds(seconds);
    m_session.KeyDown(key);
    m_session.KeyUp(key);
  }
  std::vector<Span> Spans() const {
    std::vector<Span> spans;
    for (int i = 0; i < m_song.Lyrics().WordCount(); ++i)
      spans.emplace_back(m_song.Lyrics().Word(i)->m_startTime, m_song.Lyrics().Word(i)->m_endTime);
    return spans;
  }

  ScopedMessageRecorder m_recorder;
  Song m_song{"/tmp/none.lfp"};
  test::FakeTimingPlayer m_player;
  PlacementSession m_session{m_song, m_player};
};

TEST_F(PlacementTest, TapsStartWordsAndEndTheWordBefore) {
  struct Case {
    const char* name;
    std::vector<std::pair<TimingKey, double>> keys;
    std::vector<Span> spans;
  };
  const std::vector<Case> cases = {
      {"three taps then Stop",
       {{TimingKey::Space, 1.0}, {TimingKey::Space, 1.5}, {TimingKey::Space, 2.0}, {TimingKey::End, 2.5}},
       {{44100, 66150}, {66150, 88200}, {88200, 132300}}},
      {"Ctrl ends the open word for a gap",
       {{TimingKey::Space, 1.0},
        {TimingKey::Ctrl, 1.2},
        {TimingKey::Space, 1.5},
        {TimingKey::Space, 2.0},
        {TimingKey::End, 2.1}},
       {{Seconds(1.0), Seconds(1.2)}, {Seconds(1.5), Seconds(2.0)}, {Seconds(2.0), Seconds(3.0)}}},
      {"Ctrl with no open word changes nothing",
       {{TimingKey::Ctrl, 0.5}, {TimingKey::Space, 1.0}, {TimingKey::End, 1.1}},
       {{Seconds(1.0), Seconds(2.0)}, {0, 0}, {0, 0}}},
      {"Backspace takes the last tap back and reopens the word before",
       {{TimingKey::Space, 1.0},
        {TimingKey::Space, 1.3},
        {TimingKey::Backspace, 1.4},
        {TimingKey::Space, 1.5},
        {TimingKey::Space, 2.0},
        {TimingKey::End, 2.5}},
       {{Seconds(1.0), Seconds(1.5)}, {Seconds(1.5), Seconds(2.0)}, {Seconds(2.0), Seconds(3.0)}}},
      {"a tap after the last word changes no time",
       {{TimingKey::Space, 1.0},
        {TimingKey::Space, 1.5},
        {TimingKey::Space, 2.0},
        {TimingKey::Space, 2.2},
        {TimingKey::End, 2.5}},
       {{44100, 66150}, {66150, 88200}, {88200, 132300}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Lyrics("one two three");
    ASSERT_TRUE(m_session.Start());
    m_song.SetModified(false);
    for (auto [key, at] : c.keys) Key(key, at);
    EXPECT_FALSE(m_session.IsPlacing());
    EXPECT_FALSE(m_player.playing);
    EXPECT_EQ(Spans(), c.spans);
    EXPECT_TRUE(m_song.IsModified());
    m_song.Lyrics().SetRawLyrics("");
    m_song.GenerateKaraokeLineList({.keepTimings = false, .convertMarkers = false});
  }
}

// A tap taken back and made again is remembered as a doubt about the word.
TEST_F(PlacementTest, ATapMadeAgainIsMarkedRetapped) {
  Lyrics("one two three");
  ASSERT_TRUE(m_session.Start());
  for (auto [key, at] : std::vector<std::pair<TimingKey, double>>{{TimingKey::Space, 1.0},
                                                                  {TimingKey::Space, 1.3},
                                                                  {TimingKey::Backspace, 1.4},
                                                                  {TimingKey::Space, 1.5},
                                                                  {TimingKey::Space, 2.0},
                                                                  {TimingKey::End, 2.5}})
    Key(key, at);
  for (int w = 0; w < 3; ++w) EXPECT_EQ(m_song.Lyrics().Word(w)->WasRetapped(), w == 1) << w;
  const auto rated = RateWordTimes(m_song.Lyrics(), {}, 44100);
  EXPECT_LT(rated[1].confidence, rated[0].confidence);
  EXPECT_EQ(rated[1].doubt, "its tap was taken back and made again");
}

// Tapping lines first: Space where a line begins, Ctrl where it ends,
// Backspace takes a line tap back; Stop spreads the words over the lines.
TEST_F(PlacementTest, LineTapsTimeWholeLinesAtStop) {
  Lyrics("one two\nthree four\nfive six");
  ASSERT_TRUE(m_session.SetLinesFirst(true));
  ASSERT_TRUE(m_session.Start());
  EXPECT_FALSE(m_session.SetLinesFirst(false)) << "not while placing";
  EXPECT_EQ(m_session.Controls().placeWordText, "Place Line (SB)");
  for (auto [key, at] : std::vector<std::pair<TimingKey, double>>{{TimingKey::Space, 1.0},
                                                                  {TimingKey::Ctrl, 2.0},
                                                                  {TimingKey::Space, 3.0},
                                                                  {TimingKey::Space, 3.5},
                                                                  {TimingKey::Backspace, 3.6},
                                                                  {TimingKey::Space, 4.0},
                                                                  {TimingKey::Ctrl, 5.0},
                                                                  {TimingKey::End, 6.0}})
    Key(key, at);
  EXPECT_FALSE(m_session.IsPlacing());
  ASSERT_TRUE(m_session.LinesOutcome().Ok()) << m_session.LinesOutcome().text;
  // No music to listen to: each line's words share it by their letters, a
  // breath after each but the last ("one two": 5 to 3).
  auto split = [](double from, double to, int share, int of) {
    return Seconds(from) + (Seconds(to) - Seconds(from)) * share / of;
  };
  EXPECT_EQ(Spans(), (std::vector<Span>{{Seconds(1.0), split(1, 2, 5, 8)},
                                        {split(1, 2, 5, 8), Seconds(2.0)},
                                        {Seconds(3.0), split(3, 4, 7, 11)},
                                        {split(3, 4, 7, 11), Seconds(4.0)},
                                        {Seconds(4.0), split(4, 5, 6, 9)},
                                        {split(4, 5, 6, 9), Seconds(5.0)}}));
  EXPECT_EQ(m_song.History().UndoName(), "Time Lines");
  EXPECT_TRUE(StoredLinesFirst());
  m_session.SetLinesFirst(false);
}

TEST_F(PlacementTest, HeldKeysActOncePerPressAndOnlyWhilePlaying) {
  Lyrics("one two three");
  m_player.position = Seconds(1);
  m_session.KeyDown(TimingKey::Space);  // not placing yet: nothing
  m_session.KeyUp(TimingKey::Space);
  EXPECT_EQ(m_song.Lyrics().Word(0)->m_startTime, 0);

  ASSERT_TRUE(m_session.KeyDown(TimingKey::Home));
  EXPECT_TRUE(m_session.IsPlacing());
  m_session.KeyDown(TimingKey::Space);
  m_player.position = Seconds(1.2);
  m_session.KeyDown(TimingKey::Space);  // auto-repeat of the held key
  m_session.KeyDown(TimingKey::Space);
  EXPECT_EQ(m_session.Placement().Cursor(), 1);
  m_session.KeyUp(TimingKey::Space);
  m_session.KeyDown(TimingKey::Space);
  EXPECT_EQ(m_session.Placement().Cursor(), 2);
  EXPECT_EQ(m_song.Lyrics().Word(1)->m_startTime, Seconds(1.2));

  EXPECT_TRUE(m_session.KeyDown(TimingKey::Enter));  // kept from the dialog, no effect
  EXPECT_TRUE(m_session.KeyDown(TimingKey::Escape));
  EXPECT_TRUE(m_session.IsPlacing());
  EXPECT_FALSE(m_session.KeyDown(TimingKey::N));
}

TEST_F(PlacementTest, DuetPassesOverSingerTwoLinesAndTimesThemAtTheEnd) {
  Lyrics("one two\n&three four", 2);
  m_session.Start();
  Tap(10);
  EXPECT_EQ(m_session.Placement().Cursor(), 1);
  Tap(11);
  EXPECT_TRUE(m_session.Placement().AtEnd());  // the singer-2 line was passed over
  EXPECT_TRUE(m_song.Lyrics().Line(1)->m_placed);
  Key(TimingKey::End, 12);
  EXPECT_EQ(Spans(), (std::vector<Span>{{Seconds(10), Seconds(11)},
                                        {Seconds(11), Seconds(12)},
                                        {Seconds(10), Seconds(11)},
                                        {Seconds(11), Seconds(12)}}));
  EXPECT_EQ(m_song.Lyrics().Line(1)->m_startTime, Seconds(10));
}

TEST_F(PlacementTest, ConsecutiveSingerTwoLinesAreAllPassedOver) {
  Lyrics("one two\n&three\n&four five\nsix", 2);
  m_session.Start();
  Tap(1);
  Tap(2);
  EXPECT_EQ(m_session.Placement().Cursor(), 5);  // at "six"
  Tap(3);
  Key(TimingKey::End, 3.5);
  EXPECT_EQ(m_song.Lyrics().Word(2)->m_startTime, Seconds(1));  // "three" spans the line before it
  EXPECT_EQ(m_song.Lyrics().Word(2)->m_endTime, Seconds(3));
  EXPECT_EQ(m_song.Lyrics().Word(3)->m_startTime, Seconds(1));  // "four five" spans "three"
  EXPECT_EQ(m_song.Lyrics().Word(4)->m_endTime, Seconds(3));
}

TEST_F(PlacementTest, RestartOverwritesOnlyTheWordsTappedAgain) {
  Lyrics("a b c d e f");
  m_session.Start();
  for (int i = 0; i < 6; ++i) Tap(1 + i);
  Key(TimingKey::End, 7.5);
  const std::vector<Span> first = Spans();
  EXPECT_EQ(m_session.Controls().startText, "Restart (Home)");

  Key(TimingKey::Home, 0);
  Tap(1.5);
  Tap(2.5);
  Key(TimingKey::End, 3);
  std::vector<Span> expected = first;
  expected[0] = {Seconds(1.5), Seconds(2.5)};
  expected[1] = {Seconds(2.5), Seconds(3.5)};
  EXPECT_EQ(Spans(), expected);
}

TEST_F(PlacementTest, EndOfMusicEndsPlacingAndWordsNeverReachedKeepTheirTimes) {
  Lyrics("one two three");
  m_song.Lyrics().SetWordStart(2, Seconds(50));
  m_song.Lyrics().SetWordEnd(2, Seconds(51));
  m_session.Start();
  Tap(1);
  m_session.Tick();
  EXPECT_TRUE(m_session.IsPlacing());
  m_player.Finish();
  m_session.Tick();
  EXPECT_FALSE(m_session.IsPlacing());
  EXPECT_EQ(Spans(), (std::vector<Span>{{Seconds(1), Seconds(2)}, {0, 0}, {Seconds(50), Seconds(51)}}));
  EXPECT_TRUE(m_session.Controls().adjustAndFinal);
}

TEST_F(PlacementTest, NoSoundLeavesThePageIdle) {
  Lyrics("one two");
  m_player.soundWorks = false;
  EXPECT_FALSE(m_session.Start());
  EXPECT_FALSE(m_session.IsPlacing());
  EXPECT_TRUE(m_session.Controls().start);
  Tap(1);
  EXPECT_EQ(m_song.Lyrics().Word(0)->m_startTime, 0);
}

TEST_F(PlacementTest, TempoStaysWithinAQuarterAndFullSpeedAndStepsWhilePlaying) {
  struct Case {
    int steps;
    bool accepted;
    int percent;
  };
  // Applied one after the other, from 100 %.
  const Case cases[] = {{1, false, 100}, {-1, true, 95},  {-14, true, 25},
                        {-1, false, 25}, {15, true, 100}, {1, false, 100}};
  for (const Case& c : cases) {
    EXPECT_EQ(m_session.StepTempo(c.steps), c.accepted) << c.steps;
    EXPECT_EQ(m_session.Tempo().Percent(), c.percent);
    EXPECT_EQ(m_player.tempoChange, c.percent - 100);
  }
  m_session.StepTempo(-3);
  EXPECT_EQ(m_session.Tempo().Text(), "85%");

  // While placing, Down is 5 % slower and Up 5 % faster; a held arrow steps once.
  Lyrics("one two");
  ASSERT_TRUE(m_session.KeyDown(TimingKey::Home));
  EXPECT_TRUE(m_session.Controls().tempo);
  m_session.KeyDown(TimingKey::Down);
  m_session.KeyDown(TimingKey::Down);
  m_session.KeyUp(TimingKey::Down);
  EXPECT_EQ(m_session.Tempo().Percent(), 80);
  Key(TimingKey::Up, 1);
  Key(TimingKey::Up, 1);
  EXPECT_EQ(m_player.tempoChange, -10);
}

// Calibration: taps that come 37 ms after each click (give or take a few)
// give a tap offset of 37 ms; placing with it puts the next taps on the
// beat, at full tempo and at a quarter, where 37 ms of the author's time
// is a quarter of that in the music.
TEST_F(PlacementTest, CalibratedOffsetPutsLateTapsOnTheBeatAtEveryTempo) {
  const double jitterMs[] = {-3, 2, 0, 4, -1, 1, -4, 3, 0, -2, 2, 1, -3, 0, 4, -1};
  TapCalibration calibration;
  EXPECT_FALSE(calibration.Tap(TapCalibration::ClickMs(0) - 400).has_value());  // nearer no click
  for (int i = 0; i < TapCalibration::kClicks; ++i) {
    const std::optional<double> offset = calibration.Tap(TapCalibration::ClickMs(i) + 37 + jitterMs[i]);
    ASSERT_TRUE(offset.has_value());
    EXPECT_DOUBLE_EQ(*offset, 37 + jitterMs[i]);
  }
  EXPECT_FALSE(calibration.Tap(TapCalibration::ClickMs(3) + 20).has_value());  // that click has its tap
  ASSERT_TRUE(calibration.Done());
  ASSERT_TRUE(calibration.MedianMs().has_value());
  EXPECT_NEAR(*calibration.MedianMs(), 37, 2);
  EXPECT_NEAR(*calibration.SpreadMs(), 2, 1);
  EXPECT_EQ(FormatCalibrationSummary(*calibration.MedianMs(), *calibration.SpreadMs()), "Median +37 ms, spread 2 ms");

  for (int percent : {100, 25}) {
    Lyrics("one two three four five");
    while (m_session.Tempo().Percent() > percent) m_session.StepTempo(-1);
    while (m_session.Tempo().Percent() < percent) m_session.StepTempo(1);
    m_session.SetTapOffsetMs(*calibration.MedianMs());
    ASSERT_TRUE(m_session.Start());
    const double speed = percent / 100.0;
    for (int i = 0; i < 5; ++i) {
      const double beat = 2.0 + 0.7 * i;  // seconds of music
      Tap(beat + (37 + jitterMs[i]) / 1000.0 * speed);
      EXPECT_NEAR(m_song.Lyrics().Word(i)->m_startTime, Seconds(beat), 0.005 * kSecond) << percent << " %, word " << i;
    }
    m_session.Stop();
  }
}

// Hold to time: Space down starts a word and Space up ends it; a key-down
// that repeats while held places nothing. Off, a release does nothing.
TEST_F(PlacementTest, HoldToTimeStartsOnPressAndEndsOnRelease) {
  struct Event {
    bool down;
    double seconds;
  };
  const std::vector<Event> events = {{true, 1.0}, {true, 1.1}, {false, 1.5}, {true, 2.0}, {true, 2.3}, {false, 2.8}};
  struct Case {
    bool hold;
    std::vector<Span> spans;
  };
  const Case cases[] = {
      {true, {{Seconds(1.0), Seconds(1.5)}, {Seconds(2.0), Seconds(2.8)}, {0, 0}}},
      {false, {{Seconds(1.0), Seconds(2.0)}, {Seconds(2.0), 0}, {0, 0}}},
  };
  for (const Case& c : cases) {
    Lyrics("one two three");
    for (int i = 0; i < m_song.Lyrics().WordCount(); ++i) m_song.Lyrics().SetWordTimes(i, 0, 0);
    m_session.SetHoldToTime(c.hold);
    ASSERT_TRUE(m_session.Start());
    for (const Event& e : events) {
      m_player.position = Seconds(e.seconds);
      if (e.down)
        m_session.KeyDown(TimingKey::Space);
      else
        m_session.KeyUp(TimingKey::Space);
    }
    EXPECT_EQ(Spans(), c.spans) << (c.hold ? "hold" : "tap");
    m_session.Stop();
  }
}

TEST_F(PlacementTest, PreviewUnderlinesTheNextWordAndSweepsPlacedOnes) {
  Lyrics("one two\nthree");
  CdgRenderer renderer;
  PlacementPreview preview(m_song, renderer);
  LyricPlacement placement(m_song, &preview);
  placement.Open();
  auto count = [&](int color) {
    int n = 0;
    for (uint8_t p : renderer.VisibleIndices()) n += p == color;
    return n;
  };
  const int underlinedText = count(ColorIndexSinger1);
  EXPECT_GT(underlinedText, 0);
  EXPECT_EQ(count(ColorIndexSweep), 0);
  placement.PlaceWord(Seconds(1));
  const int swept = count(ColorIndexSweep);
  EXPECT_GT(swept, 0);
  placement.StepBack();  // the page as before the tap
  EXPECT_EQ(count(ColorIndexSweep), 0);
  EXPECT_EQ(count(ColorIndexSinger1), underlinedText);
}

}  // namespace
}  // namespace lf
