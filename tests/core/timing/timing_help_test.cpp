// Shift Times, line-first timing, snapping to the voice, copied choruses and
// unsure words, on songs whose onsets are given, so each rule is seen alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/platform/message_sink.h"
#include "core/platform/settings.h"
#include "core/song/song.h"
#include "core/timing/line_first_timing.h"
#include "core/timing/repeated_line.h"
#include "core/timing/time_shift.h"
#include "core/timing/voice_snap.h"
#include "core/timing/word_confidence.h"
#include "core/timing/word_spread.h"

namespace lf {
namespace {

constexpr int kRate = 44100;
using Span = std::pair<SampleTime, SampleTime>;

SampleTime Ms(double ms) { return static_cast<SampleTime>(std::lround(ms * kRate / 1000.0)); }

class TimingHelpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetAppSettings(std::make_unique<MemorySettings>());
    m_song.ResetSongDefaults();
  }
  void Lay(const std::string& text, const std::vector<Span>& spans = {}) {
    m_song.Lyrics().SetRawLyrics(text);
    m_song.GenerateKaraokeLineList({.keepTimings = false, .convertMarkers = false});
    for (size_t i = 0; i < spans.size(); ++i)
      m_song.Lyrics().SetWordTimes(static_cast<int>(i), spans[i].first, spans[i].second);
  }
  std::vector<Span> Spans() const {
    std::vector<Span> spans;
    for (int i = 0; i < m_song.Lyrics().WordCount(); ++i)
      spans.emplace_back(m_song.Lyrics().Word(i)->m_startTime, m_song.Lyrics().Word(i)->m_endTime);
    return spans;
  }
  std::vector<SampleTime> Starts() const {
    std::vector<SampleTime> starts;
    for (const Span& s : Spans()) starts.push_back(s.first);
    return starts;
  }

  ScopedMessageRecorder m_recorder;
  Song m_song{"/tmp/none.lfp"};
};

TEST_F(TimingHelpTest, ShiftMovesTheRunWithinItsNeighboursOrChangesNothing) {
  // Four tapped words, each ending where the next begins, and a pause before word 3.
  const std::vector<Span> tapped = {
      {Ms(1000), Ms(1500)}, {Ms(1500), Ms(2000)}, {Ms(2000), Ms(2400)}, {Ms(3000), Ms(3500)}};
  struct Case {
    const char* name;
    int first, last;
    double ms;
    std::vector<Span> expected;  // empty: refused, nothing changed
  };
  const Case cases[] = {
      {"later: the word before keeps running up to the run",
       1,
       2,
       100,
       {{Ms(1000), Ms(1600)}, {Ms(1600), Ms(2100)}, {Ms(2100), Ms(2500)}, {Ms(3000), Ms(3500)}}},
      {"earlier: the word before is cut where the run now starts",
       1,
       1,
       -200,
       {{Ms(1000), Ms(1300)}, {Ms(1300), Ms(1800)}, {Ms(2000), Ms(2400)}, {Ms(3000), Ms(3500)}}},
      {"into the pause: the next word's start is not pulled back",
       2,
       2,
       -100,
       {{Ms(1000), Ms(1500)}, {Ms(1500), Ms(1900)}, {Ms(1900), Ms(2300)}, {Ms(3000), Ms(3500)}}},
      {"later into the next word: its start is pushed",
       2,
       2,
       800,
       {{Ms(1000), Ms(1500)}, {Ms(1500), Ms(2800)}, {Ms(2800), Ms(3200)}, {Ms(3200), Ms(3500)}}},
      {"everything to the end",
       0,
       3,
       -900,
       {{Ms(100), Ms(600)}, {Ms(600), Ms(1100)}, {Ms(1100), Ms(1500)}, {Ms(2100), Ms(2600)}}},
      {"past the word before", 1, 1, -480, {}},
      {"past the word after", 2, 2, 1100, {}},
      {"before the start of the music", 0, 3, -1000, {}},
  };
  for (const Case& c : cases) {
    Lay("one two three four", tapped);
    const Outcome shifted = ShiftWords(m_song, c.first, c.last, Ms(c.ms));
    EXPECT_EQ(shifted.Ok(), !c.expected.empty()) << c.name << ": " << shifted.text;
    EXPECT_EQ(Spans(), c.expected.empty() ? tapped : c.expected) << c.name;
    if (shifted.Ok()) {
      ASSERT_TRUE(m_song.History().Undo(m_song.Lyrics())) << c.name;
      EXPECT_EQ(Spans(), tapped) << c.name << ": undone";
    } else {
      EXPECT_FALSE(m_song.History().CanUndo()) << c.name;
      EXPECT_NE(shifted.text.find("would move"), std::string::npos) << shifted.text;
    }
    m_song.History().Clear();
  }
}

TEST_F(TimingHelpTest, ShiftLinesMovesTheirWordsOnly) {
  Lay("a b\nc d\ne f", {{Ms(1000), Ms(1200)},
                        {Ms(1200), Ms(1400)},
                        {Ms(2000), Ms(2200)},
                        {Ms(2200), Ms(2400)},
                        {Ms(3000), Ms(3200)},
                        {Ms(3200), Ms(3400)}});
  ASSERT_TRUE(ShiftLines(m_song, 1, 1, Ms(250)).Ok());
  EXPECT_EQ(Starts(), (std::vector<SampleTime>{Ms(1000), Ms(1200), Ms(2250), Ms(2450), Ms(3000), Ms(3200)}));
  EXPECT_FALSE(ShiftLines(m_song, 2, 5, Ms(10)).Ok());
}

TEST_F(TimingHelpTest, SpreadGivesLongerWordsMoreTimeAndNoneTooLittle) {
  Lay("a strengths of");
  SpreadWords(m_song.Lyrics(), 0, 2, Ms(1000), Ms(2000), kRate);
  // Weights: letters plus a pause after each word but the last: 3, 11, 2 of 16.
  EXPECT_EQ(Starts(), (std::vector<SampleTime>{kRate, kRate + kRate * 3 / 16, kRate + kRate * 14 / 16}));
  EXPECT_EQ(Spans().back().second, Ms(2000));
  // A span too short for the weights still leaves every word its minimum.
  Lay("i strengths strengths strengths");
  SpreadWords(m_song.Lyrics(), 0, 3, Ms(1000), Ms(1400), kRate);
  for (const Span& s : Spans()) EXPECT_GE(s.second - s.first, Ms(kMinWordMs) - 1);
}

TEST_F(TimingHelpTest, SnapPicksTheNearStrongOnsetKeepsOrderAndRespreads) {
  Lay("one two three four five",
      {{Ms(1000), Ms(1300)}, {Ms(1300), Ms(1600)}, {Ms(1600), Ms(1900)}, {Ms(1900), Ms(2200)}, {Ms(2200), Ms(2500)}});
  const std::vector<Onset> onsets = {
      {Ms(1030), 1.0f},    // word 0
      {Ms(1280), 0.001f},  // faint (the band leaking through), beside word 1's start
      {Ms(1390), 1.0f},    // strong, in word 1's window
      {Ms(1400), 0.3f},    // near the strong one; the next word may not take it (too close)
      // word 2 and 3: nothing near
      {Ms(2300), 1.0f},  // word 4, 100 ms late
  };
  const int snapped = SnapWordsToVoice(m_song, 0, 4, onsets, kRate);
  EXPECT_EQ(snapped, 3);
  const std::vector<SampleTime> starts = Starts();
  EXPECT_EQ(starts[0], Ms(1030));
  EXPECT_EQ(starts[1], Ms(1390));
  EXPECT_EQ(starts[4], Ms(2300));
  // Words 2 and 3 found nothing: they are spread again between word 1 and word 4.
  EXPECT_GT(starts[2], starts[1] + Ms(kMinWordMs));
  EXPECT_GT(starts[3], starts[2]);
  EXPECT_LT(starts[3], starts[4]);
  for (int i = 0; i + 1 < 5; ++i) EXPECT_EQ(Spans()[static_cast<size_t>(i)].second, starts[static_cast<size_t>(i) + 1]);
}

TEST_F(TimingHelpTest, LineFirstTimingLandsOnTheVoiceAndCopiesTheChorus) {
  Lay("hello there my friend\nwe go on\nhello there my friend");
  // The truth: where each word is sung.
  const std::vector<double> truth = {1000, 1380, 1800, 2050, 4000, 4200, 4400, 7000, 7380, 7800, 8050};
  VoicePart voice;
  for (double t : truth) voice.onsets.push_back({Ms(t), 1.0f});
  voice.onsets.push_back({Ms(2700), 0.4f});  // a breath after the first line
  std::sort(voice.onsets.begin(), voice.onsets.end(), [](const Onset& a, const Onset& b) { return a.frame < b.frame; });
  // Taps a little off, the second line tapped at both ends.
  const std::vector<LineTap> taps = {{Ms(1030), 0}, {Ms(3970), Ms(4600)}, {Ms(7040), 0}};
  ASSERT_TRUE(TimeLinesFromTaps(m_song, taps, voice, kRate).Ok());
  const std::vector<SampleTime> starts = Starts();
  for (size_t i = 0; i < truth.size(); ++i) EXPECT_NEAR(starts[i], Ms(truth[i]), Ms(1)) << "word " << i;
  // The chorus took the first line's rhythm and asks to be looked at; the rest does not.
  for (int w = 0; w < m_song.Lyrics().WordCount(); ++w) EXPECT_EQ(m_song.Lyrics().Word(w)->NeedsReview(), w >= 7) << w;
  EXPECT_EQ(m_song.History().UndoName(), "Time Lines");

  // Taps out of order or too many are refused with nothing changed.
  const std::vector<Span> before = Spans();
  EXPECT_FALSE(TimeLinesFromTaps(m_song, {{Ms(2000), 0}, {Ms(1000), 0}}, voice, kRate).Ok());
  EXPECT_FALSE(TimeLinesFromTaps(m_song, {{Ms(1), 0}, {Ms(2), 0}, {Ms(3), 0}, {Ms(4), 0}}, voice, kRate).Ok());
  EXPECT_EQ(Spans(), before);
}

TEST_F(TimingHelpTest, CopyTimingNeedsAnEarlierTimedLineWithTheSameWords) {
  Lay("Oh my love\nsomething else\noh, my LOVE", {{Ms(1000), Ms(1200)}, {Ms(1200), Ms(1500)}, {Ms(1500), Ms(2000)}});
  EXPECT_FALSE(CopyTimingFromEarlierLine(m_song, 1).Ok());
  ASSERT_EQ(EarlierLineWithSameText(m_song.Lyrics(), 2), 0);
  EXPECT_FALSE(CopyTimingFromEarlierLine(m_song, 2).Ok()) << "no tap to start from";
  ASSERT_TRUE(CopyTimingFromEarlierLine(m_song, 2, Ms(5000)).Ok());
  const std::vector<Span> spans = Spans();
  EXPECT_EQ(spans[5], Span(Ms(5000), Ms(5200)));
  EXPECT_EQ(spans[6], Span(Ms(5200), Ms(5500)));
  EXPECT_EQ(spans[7], Span(Ms(5500), Ms(6000)));
  EXPECT_TRUE(m_song.Lyrics().Word(5)->NeedsReview());
  // Undo takes the copy back whole: its times and its marks for review.
  ASSERT_TRUE(m_song.History().Undo(m_song.Lyrics()));
  for (int w = 5; w <= 7; ++w) {
    EXPECT_FALSE(m_song.Lyrics().Word(w)->IsPlaced()) << w;
    EXPECT_FALSE(m_song.Lyrics().Word(w)->NeedsReview()) << w;
  }
}

TEST_F(TimingHelpTest, UnsureWordsAreTheOnesAwayFromTheVoiceOrOddlyTimed) {
  Lay("a b c d e f g h", {{Ms(1000), Ms(1300)},
                          {Ms(1300), Ms(1600)},
                          {Ms(1900), Ms(2200)},  // 300 ms after its onset
                          {Ms(2200), Ms(2230)},  // 30 ms long
                          {Ms(2400), Ms(2800)},
                          {Ms(2700), Ms(3000)},  // overlaps e
                          {Ms(3000), Ms(9000)},  // 6 s long
                          {Ms(9000), Ms(9300)}});
  VoicePart voice;
  for (double t : {1000.0, 1300.0, 1600.0, 2200.0, 2400.0, 2700.0, 3000.0, 9000.0})
    voice.onsets.push_back({Ms(t), 1.0f});
  const auto rated = RateWordTimes(m_song.Lyrics(), voice, kRate);
  std::vector<int> unsure;
  for (int at = NextUnsureWord(rated, -1); at >= 0 && unsure.size() < 8; at = NextUnsureWord(rated, at)) {
    if (!unsure.empty() && at == unsure.front()) break;
    unsure.push_back(at);
  }
  EXPECT_EQ(unsure, (std::vector<int>{2, 3}));
  for (int alone : {5, 6}) {
    EXPECT_GT(rated[static_cast<size_t>(alone)].confidence, kUnsureBelow) << "overlap or length alone is not enough";
    EXPECT_LT(rated[static_cast<size_t>(alone)].confidence, 1.0f) << alone;
  }
  const SongProblems problems = UnsureWordProblems(m_song.Lyrics(), rated);
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0].kind, "unsure");
  EXPECT_EQ(problems[0].word, 2);
  EXPECT_NE(problems[0].message.find("'c'"), std::string::npos) << problems[0].message;
}

}  // namespace
}  // namespace lf
