#include "core/timing/word_nudge.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <vector>

#include "core/platform/message_sink.h"
#include "core/platform/settings.h"
#include "core/song/song.h"
#include "core/song/timing_history.h"
#include "core/timing/music_analysis.h"
#include "core/timing/nudge_session.h"
#include "core/timing/play_area_settings.h"
#include "fake_timing_player.h"
#include "tests/support/media_fixture.h"

namespace lf {
namespace {

constexpr int kRate = 44100;
constexpr SampleTime kStep = 8820;  // 200 ms

using Span = std::pair<SampleTime, SampleTime>;

class NudgeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetAppSettings(std::make_unique<MemorySettings>());
    m_song.ResetSongDefaults();
  }
  // Lays `text` out and gives word i the span spans[i].
  void OpenSong(const std::string& text, const std::vector<Span>& spans, int singerMode = 1) {
    m_song.Look().Settings().singerMode = singerMode;
    m_song.Lyrics().SetRawLyrics(text);
    m_song.GenerateKaraokeLineList({.keepTimings = false, .convertMarkers = false});
    ASSERT_EQ(m_song.Lyrics().WordCount(), static_cast<int>(spans.size()));
    for (size_t i = 0; i < spans.size(); ++i) {
      m_song.Lyrics().SetWordStart(static_cast<int>(i), spans[i].first);
      m_song.Lyrics().SetWordEnd(static_cast<int>(i), spans[i].second);
      m_song.Lyrics().Word(static_cast<int>(i))->m_line->m_placed = true;
    }
  }
  std::vector<Span> Spans() const {
    std::vector<Span> spans;
    for (int i = 0; i < m_song.Lyrics().WordCount(); ++i)
      spans.emplace_back(m_song.Lyrics().Word(i)->m_startTime, m_song.Lyrics().Word(i)->m_endTime);
    return spans;
  }

  ScopedMessageRecorder m_recorder;
  Song m_song{"/tmp/none.lfp"};
};

TEST_F(NudgeTest, EachNudgeStopsAtItsNeighbour) {
  using Nudge = void (*)(Song&, int, SampleTime);
  struct Case {
    const char* name;
    Nudge nudge;
    int word;
    std::vector<Span> before, after;
  };
  const std::vector<Case> cases = {
      {"start later by one step",
       &NudgeStartLater,
       1,
       {{44100, 88200}, {88200, 132300}},
       {{44100, 97020}, {97020, 132300}}},
      {"start later stops at the word's end",
       &NudgeStartLater,
       1,
       {{44100, 88200}, {88200, 90000}},
       {{44100, 90000}, {90000, 90000}}},
      {"start later leaves a gap before it alone",
       &NudgeStartLater,
       1,
       {{44100, 50000}, {88200, 132300}},
       {{44100, 50000}, {97020, 132300}}},
      {"start earlier cuts the word before",
       &NudgeStartEarlier,
       1,
       {{44100, 88200}, {88200, 132300}},
       {{44100, 79380}, {79380, 132300}}},
      {"start earlier stops at the start of the word before",
       &NudgeStartEarlier,
       1,
       {{84000, 88200}, {88200, 132300}},
       {{84000, 84000}, {84000, 132300}}},
      {"the first word stops at 0",
       &NudgeStartEarlier,
       0,
       {{4000, 88200}, {88200, 132300}},
       {{0, 88200}, {88200, 132300}}},
      {"end earlier stops at the start",
       &NudgeEndEarlier,
       0,
       {{44100, 50000}, {88200, 132300}},
       {{44100, 44100}, {88200, 132300}}},
      {"end later pushes the next start",
       &NudgeEndLater,
       0,
       {{44100, 88200}, {88200, 132300}},
       {{44100, 97020}, {97020, 132300}}},
      {"end later stops at the end of the next word",
       &NudgeEndLater,
       0,
       {{44100, 88200}, {88200, 90000}},
       {{44100, 90000}, {90000, 90000}}},
      {"the last word is bounded by the largest time",
       &NudgeEndLater,
       1,
       {{44100, 88200}, {88200, INT32_MAX - 100}},
       {{44100, 88200}, {88200, INT32_MAX}}},
      {"no such word: nothing",
       &NudgeEndLater,
       5,
       {{44100, 88200}, {88200, 132300}},
       {{44100, 88200}, {88200, 132300}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenSong("one two", c.before);
    m_song.SetModified(false);
    c.nudge(m_song, c.word, kStep);
    EXPECT_EQ(Spans(), c.after);
    EXPECT_EQ(m_song.IsModified(), c.word < 2);
  }
  EXPECT_EQ(AdjustStepFrames(SongSettingsBlock{}, kRate), kStep);
}

TEST_F(NudgeTest, PlayAreaCountsWholeWordsOrSeconds) {
  // a hap*py day now so on: "hap" ends at '*', "py" joins it.
  std::vector<Span> spans;
  for (int i = 0; i < 7; ++i) spans.push_back({(i + 1) * kRate, (i + 2) * kRate});
  OpenSong("a hap*py day now so on", spans);
  struct Case {
    const char* name;
    int word;
    bool beforeSeconds, afterSeconds;
    int32_t before, after;
    SampleTime start, end;
  };
  const Case cases[] = {
      {"three words each way, happy counted once", 4, false, false, 3000, 3000, 1 * kRate, 8 * kRate},
      {"one word after a reaches the end of happy", 0, false, false, 1000, 1000, 1 * kRate, 4 * kRate},
      {"never before the first word", 1, false, false, 4000, 0, 1 * kRate, 3 * kRate},
      {"never past the last word", 5, false, false, 0, 9000, 6 * kRate, 8 * kRate},
      {"seconds on both sides", 3, true, true, 1500, 2500, 4 * kRate - 66150, 5 * kRate + 110250},
      {"seconds never below 0", 0, true, false, 9500, 0, 0, 2 * kRate},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SongSettingsBlock& s = m_song.Look().Settings();
    s.playBeforeInSeconds = c.beforeSeconds;
    s.playAfterInSeconds = c.afterSeconds;
    s.playBeforeAmount = c.before;
    s.playAfterAmount = c.after;
    const PlayAreaSpan area = PlayArea(m_song, c.word, true, kRate);
    EXPECT_EQ(area.start, c.start);
    EXPECT_EQ(area.end, c.end);
  }
  const PlayAreaSpan off = PlayArea(m_song, 3, false, kRate);
  EXPECT_EQ(off.start, 4 * kRate);
  EXPECT_FALSE(off.end.has_value());
}

TEST_F(NudgeTest, PlayAreaOfSingerTwoLinesReachesAcrossTheLineBefore) {
  // one two / &three four / five six: in duet mode the singer-2 line is sung with the line before it.
  std::vector<Span> spans;
  for (int i = 0; i < 6; ++i) spans.push_back({(i + 1) * kRate, (i + 2) * kRate});
  OpenSong("one two\n&three four\nfive six", spans, 2);
  ASSERT_TRUE(m_song.Lyrics().Line(1)->m_singer2);
  struct Case {
    bool seconds;
    int32_t amount;
    SampleTime start, end;
  };
  const Case cases[] = {{false, 1000, 1 * kRate, 7 * kRate}, {true, 1000, 3 * kRate, 6 * kRate}};
  for (const Case& c : cases) {
    SongSettingsBlock& s = m_song.Look().Settings();
    s.playBeforeInSeconds = s.playAfterInSeconds = c.seconds;
    s.playBeforeAmount = s.playAfterAmount = c.amount;
    const PlayAreaSpan area = PlayArea(m_song, 3, true, kRate);  // "four"
    EXPECT_EQ(area.start, c.start) << c.seconds;
    EXPECT_EQ(area.end, c.end) << c.seconds;
  }
}

TEST_F(NudgeTest, AreaDialogEditsACopyAndAlwaysMarksTheProjectChanged) {
  m_song.Look().Settings().playBeforeInSeconds = 1;
  m_song.SetModified(false);
  {
    PlayAreaSettingsEdit cancelled(m_song);
    cancelled.TypeArea("9");
  }
  EXPECT_TRUE(m_song.IsModified());
  EXPECT_EQ(m_song.Look().Settings().playBeforeInSeconds, 0);
  EXPECT_EQ(m_song.Look().Settings().playBeforeAmount, 3000);

  PlayAreaSettingsEdit edit(m_song);
  EXPECT_EQ(edit.AreaText(), "3");
  EXPECT_EQ(edit.StepText(), "0.20");
  struct Step {
    int steps;
    const char* area;
  };
  for (Step s : {Step{1, "4"}, Step{1, "4"}, Step{-5, "2"}}) {
    edit.StepArea(s.steps);
    EXPECT_EQ(edit.AreaText(), s.area);
  }
  EXPECT_EQ(edit.Edited().playAfterAmount, 2000);
  edit.TypeStep("0.29");
  EXPECT_EQ(edit.Edited().adjustStep, 290);
  edit.TypeStep("-0.3");
  edit.LeaveStepBox();
  EXPECT_EQ(edit.StepText(), "0.30");
  edit.StepStep(20);
  EXPECT_EQ(edit.Edited().adjustStep, 1000);
  edit.Accept();
  EXPECT_EQ(m_song.Look().Settings().adjustStep, 1000);
  EXPECT_EQ(m_song.Look().Settings().playBeforeAmount, 2000);
}

// The session on a fake clock, with a real working music file to compile against.
class NudgeSessionTest : public NudgeTest {
 protected:
  static void SetUpTestSuite() {
    // One file per process: ctest runs this suite's tests side by side.
    s_wav = (std::filesystem::temp_directory_path() /
             ("lyricforge_nudge_session_test_" + std::to_string(::getpid()) + ".wav"))
                .string();
    test::WriteToneWav(s_wav, 20.0, kRate, 2, 16, 330.0);
  }
  static void TearDownTestSuite() { std::filesystem::remove(s_wav); }
  void SetUp() override {
    NudgeTest::SetUp();
    m_song.SetMusicPath(s_wav);
    m_song.Music().SetWorkingMusicPath(s_wav);
    std::vector<Span> spans;
    for (int i = 0; i < 6; ++i) spans.push_back({(3 + i) * kRate, (4 + i) * kRate});
    OpenSong("one two three\nfour five six", spans);
    m_song.SetModified(false);
    m_session.Open();
  }

  static inline std::string s_wav;
  test::FakeTimingPlayer m_player;
  NudgeSession m_session{m_song, m_player};
};

TEST_F(NudgeSessionTest, OpensOnTheFirstWordWithoutMarkingAChange) {
  EXPECT_FALSE(m_song.IsModified());
  EXPECT_EQ(m_session.SelectedWord(), 0);
  EXPECT_TRUE(m_song.Lyrics().Word(0)->IsSelected());
  EXPECT_EQ(m_song.Look().Settings().loopPlay, 1);
  m_session.KeyDown(TimingKey::Right, false);
  m_session.KeyDown(TimingKey::Right, false);
  EXPECT_EQ(m_session.SelectedWord(), 2);
  m_session.KeyDown(TimingKey::Period, false);
  m_session.KeyDown(TimingKey::Period, false);  // held: once
  m_session.KeyUp(TimingKey::Period);
  m_session.KeyDown(TimingKey::Comma, true);
  EXPECT_EQ(Spans()[2], Span(5 * kRate + kStep, 6 * kRate - kStep));
  EXPECT_TRUE(m_song.IsModified());
}

TEST_F(NudgeSessionTest, LoopPlayStartsEarlyByHalfTheSweepAdvanceAndReplaysEachPass) {
  m_session.KeyDown(TimingKey::Right, false);  // "two": the area runs from "one" (3 words back, clipped) to "five"
  ASSERT_TRUE(m_session.KeyDown(TimingKey::N, false));
  ASSERT_EQ(m_session.Mode(), NudgeMode::Loop);
  ASSERT_EQ(m_player.plays.size(), 1u);
  const int32_t leadIn = m_session.LeadIn();
  EXPECT_EQ(m_player.plays[0].start, 3 * kRate + leadIn - 4410);
  EXPECT_EQ(m_player.plays[0].end, 8 * kRate + leadIn - 4410);
  EXPECT_TRUE(m_player.plays[0].withGraphics);

  m_session.KeyUp(TimingKey::Space);
  m_session.KeyDown(TimingKey::Space, false);  // ignored in loop play
  EXPECT_EQ(m_session.Mode(), NudgeMode::Loop);
  m_session.KeyDown(TimingKey::Comma, false);  // corrections go on while looping
  m_player.Finish();
  m_session.OnEndNotice();
  ASSERT_EQ(m_player.plays.size(), 2u);
  EXPECT_EQ(m_player.plays[1].start, 3 * kRate + leadIn - 4410);  // "one" is the floor for "two"
  EXPECT_EQ(m_song.Lyrics().Word(1)->m_startTime, 4 * kRate - kStep);
  m_session.KeyUp(TimingKey::N);
  m_session.KeyDown(TimingKey::N, false);
  EXPECT_EQ(m_session.Mode(), NudgeMode::Stopped);
  EXPECT_FALSE(m_player.playing);
}

TEST_F(NudgeSessionTest, AuditionSelectsTheWordHeardWhenItStops) {
  m_session.KeyDown(TimingKey::Space, false);
  ASSERT_EQ(m_session.Mode(), NudgeMode::Audition);
  EXPECT_EQ(m_player.plays[0].end, 0);  // to the end of the music
  EXPECT_FALSE(m_session.Controls().pageButtons);
  m_session.KeyDown(TimingKey::N, false);  // ignored in audition
  m_session.KeyDown(TimingKey::Period, false);
  EXPECT_EQ(m_session.Mode(), NudgeMode::Audition);
  EXPECT_EQ(m_song.Lyrics().Word(0)->m_startTime, 3 * kRate);
  m_player.position = m_session.LeadIn() + 7 * kRate + 100;  // inside "five"
  m_session.KeyUp(TimingKey::Space);
  m_session.KeyDown(TimingKey::Space, false);
  EXPECT_EQ(m_session.Mode(), NudgeMode::Stopped);
  EXPECT_EQ(m_session.SelectedWord(), 4);
  EXPECT_EQ(m_session.CurrentPage(), 0);
  EXPECT_TRUE(m_session.Controls().pageButtons);
}

// The tone has no voice in it, so only what the times themselves give away
// makes a word unsure here: 40 ms is too short for a sung word.
TEST_F(NudgeSessionTest, NextUnsureWordGoesRoundTheUnsureWordsLoopingEach) {
  ASSERT_NE(MusicAnalysisCache::Instance().Wait(s_wav), nullptr);
  for (int word : {2, 4}) m_song.Lyrics().SetWordEnd(word, (3 + word) * kRate + 1764);
  m_song.SetModified(false);
  struct Press {
    int selected;
    const char* notice;
  };
  const Press presses[] = {{2, "'three' may be timed wrong: shorter than 60 ms."},
                           {4, "'five' may be timed wrong: shorter than 60 ms."},
                           {2, "'three' may be timed wrong: shorter than 60 ms."}};
  size_t plays = 0;
  for (const Press& p : presses) {
    SCOPED_TRACE(p.selected);
    m_session.KeyDown(TimingKey::U, false);
    m_session.KeyDown(TimingKey::U, false);  // held: once
    m_session.KeyUp(TimingKey::U);
    EXPECT_EQ(m_session.SelectedWord(), p.selected);
    EXPECT_TRUE(m_song.Lyrics().Word(p.selected)->IsSelected());
    EXPECT_EQ(m_session.Notice(), p.notice);
    ASSERT_EQ(m_player.plays.size(), ++plays);
    EXPECT_EQ(m_session.Mode(), NudgeMode::Loop);
    EXPECT_TRUE(m_player.playing);
    // The loop is the play area around the word found.
    const PlayAreaSpan area = PlayArea(m_song, p.selected, true, kRate);
    EXPECT_EQ(m_player.plays.back().start, area.start + m_session.LeadIn() - 4410);
  }
  const std::vector<WordConfidence> rated = m_session.RateWords();
  ASSERT_EQ(rated.size(), 6u);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(rated[static_cast<size_t>(i)].confidence < kUnsureBelow, i == 2 || i == 4);

  // Both mended: the loop goes on over the same word and the page is told why nothing moved.
  for (int word : {2, 4}) m_song.Lyrics().SetWordEnd(word, (4 + word) * kRate);
  m_song.SetModified(false);
  EXPECT_EQ(m_session.NextUnsureWord(), UnsureStep::NoneUnsure);
  EXPECT_EQ(m_session.SelectedWord(), 2);
  EXPECT_EQ(m_session.Mode(), NudgeMode::Loop);
  EXPECT_EQ(m_player.plays.size(), plays);
  EXPECT_EQ(m_session.Notice(), "No word is unsure: the voice bears out every timed word.");
  EXPECT_FALSE(m_song.IsModified());
}

TEST_F(NudgeSessionTest, NextUnsureWordBeforeTheMusicIsAnalysedLeavesEverythingAsItWas) {
  // A file that cannot be read never has an analysis; one still being worked out has none yet either.
  m_song.Music().SetWorkingMusicPath(s_wav + ".missing.wav");
  m_song.Lyrics().SetWordEnd(2, 5 * kRate + 1764);
  EXPECT_TRUE(m_session.RateWords().empty());
  EXPECT_TRUE(m_session.KeyDown(TimingKey::U, false));
  EXPECT_EQ(m_session.SelectedWord(), 0);
  EXPECT_EQ(m_session.Mode(), NudgeMode::Stopped);
  EXPECT_TRUE(m_player.plays.empty());
  EXPECT_EQ(m_session.Notice(), "The music is still being listened to; try again in a moment.");
  m_session.KeyUp(TimingKey::U);
  m_session.KeyDown(TimingKey::Right, false);  // the next key clears the notice
  EXPECT_EQ(m_session.Notice(), "");
}

TEST_F(NudgeSessionTest, BracketsShiftFromTheSelectedWordOnByOneStepAsOneUndoStep) {
  const std::vector<Span> laid = Spans();  // word i: 3 + i .. 4 + i seconds
  // Words `from`.. moved by `by`; the word before touched the run, so it still ends where the run starts.
  auto moved = [&](int from, SampleTime by) {
    std::vector<Span> spans = laid;
    for (size_t i = static_cast<size_t>(from); i < spans.size(); ++i)
      spans[i] = {spans[i].first + by, spans[i].second + by};
    if (from > 0) spans[static_cast<size_t>(from - 1)].second = spans[static_cast<size_t>(from)].first;
    return spans;
  };
  struct Case {
    const char* name;
    int rights;  // Right presses from "one"
    TimingKey key;
    bool ctrl;
    int32_t stepMs;
    SampleTime lastEnd;       // of "six"
    std::vector<Span> after;  // empty: unchanged
    const char* notice;
  };
  const std::vector<Case> cases = {
      {"] from 'four' on: later", 3, TimingKey::BracketRight, false, 200, 9 * kRate, moved(3, kStep), ""},
      {"[ from 'two' on: earlier, 'one' cut short", 1, TimingKey::BracketLeft, false, 200, 9 * kRate, moved(1, -kStep),
       ""},
      {"the step is the adjust step", 0, TimingKey::BracketLeft, false, 1000, 9 * kRate, moved(0, -kRate), ""},
      {"[ before the start of the music is refused",
       0,
       TimingKey::BracketLeft,
       false,
       3000,
       9 * kRate,
       {},
       "Shifting by 3000 ms would move 'one' before the start of the music."},
      {"] past any time is refused",
       5,
       TimingKey::BracketRight,
       false,
       200,
       INT32_MAX - 100,
       {},
       "Shifting by 200 ms would move 'six' past any time."},
      {"Ctrl+] is not the page's", 3, TimingKey::BracketRight, true, 200, 9 * kRate, {}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenSong("one two three\nfour five six", laid);
    m_song.Lyrics().SetWordEnd(5, c.lastEnd);
    const std::vector<Span> start = Spans();
    m_song.Look().Settings().adjustStep = c.stepMs;
    m_song.History().Clear();
    m_song.SetModified(false);
    m_session.Open();
    for (int i = 0; i < c.rights; ++i) m_session.KeyDown(TimingKey::Right, false);
    EXPECT_EQ(m_session.KeyDown(c.key, c.ctrl), !c.ctrl);
    m_session.KeyDown(c.key, c.ctrl);  // held: once
    m_session.KeyUp(c.key);
    EXPECT_EQ(Spans(), c.after.empty() ? start : c.after);
    EXPECT_EQ(m_session.Notice(), c.notice);
    EXPECT_EQ(m_song.IsModified(), !c.after.empty());
    ASSERT_EQ(m_song.History().StepCount(), c.after.empty() ? 0u : 1u);
    if (c.after.empty()) continue;
    ASSERT_TRUE(m_song.History().Undo(m_song.Lyrics()));
    EXPECT_EQ(Spans(), start);
  }
}

TEST_F(NudgeSessionTest, ShiftTimesMovesTheWordItsLineOrEverythingAfter) {
  const std::vector<Span> before = Spans();
  auto shifted = [&](int first, int last, SampleTime by) {
    std::vector<Span> spans = before;
    for (int i = first; i <= last; ++i) spans[static_cast<size_t>(i)] = {spans[i].first + by, spans[i].second + by};
    return spans;
  };
  const SampleTime ms150 = kRate * 150 / 1000;
  struct Case {
    const char* name;
    ShiftScope scope;
    int ms;
    std::vector<Span> after;
  };
  std::vector<Case> cases = {
      {"the word, earlier: the word before cut short", ShiftScope::Word, -150, shifted(4, 4, -ms150)},
      {"its line, later: the line before still sung up to it", ShiftScope::Line, 150, shifted(3, 5, ms150)},
      {"everything from it on", ShiftScope::ToEnd, -150, shifted(4, 5, -ms150)},
      {"the word later into the next: refused", ShiftScope::Word, 990, before},
  };
  cases[0].after[3].second = cases[0].after[4].first;
  cases[1].after[2].second = cases[1].after[3].first;
  cases[2].after[3].second = cases[2].after[4].first;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenSong("one two three\nfour five six", before);
    m_song.History().Clear();
    m_session.Open(4);  // "five"
    const Outcome outcome = m_session.ShiftTimes(c.scope, c.ms);
    EXPECT_EQ(outcome.Ok(), c.after != before);
    EXPECT_EQ(m_session.Notice(), outcome.text);
    EXPECT_EQ(Spans(), c.after);
    EXPECT_EQ(m_song.History().StepCount(), outcome.Ok() ? 1u : 0u);
  }
}

TEST_F(NudgeSessionTest, CopyTimingFromEarlierLineTimesTheSelectedWordsLineFromItsFirstWord) {
  // The chorus sung again from 6 s, its words tapped unevenly; the first time's rhythm is half-second steps.
  const std::vector<Span> first = {
      {3 * kRate, 3 * kRate + kRate / 2}, {3 * kRate + kRate / 2, 4 * kRate}, {4 * kRate, 5 * kRate}};
  struct Case {
    const char* name;
    const char* lyrics;
    int selected;
    bool copied;
    const char* notice;
  };
  const Case cases[] = {
      {"a later word of the repeat: from the line's own start", "la la la\nla la la", 4, true, ""},
      {"the first singing has nothing before it", "la la la\nla la la", 1, false,
       "No earlier timed line has the same words as this one."},
      {"other words are no repeat", "la la la\nlo la la", 3, false,
       "No earlier timed line has the same words as this one."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Span> spans = first;
    for (const Span& s : {Span{6 * kRate, 7 * kRate}, Span{7 * kRate, 7 * kRate + 100}, Span{8 * kRate, 9 * kRate}})
      spans.push_back(s);
    OpenSong(c.lyrics, spans);
    m_song.History().Clear();
    m_session.Open(c.selected);
    EXPECT_EQ(m_session.CopyTimingFromEarlierLine().Ok(), c.copied);
    EXPECT_EQ(m_session.Notice(), c.notice);
    std::vector<Span> expected = spans;
    if (c.copied)
      for (size_t i = 0; i < 3; ++i) expected[3 + i] = {first[i].first + 3 * kRate, first[i].second + 3 * kRate};
    EXPECT_EQ(Spans(), expected);
    EXPECT_EQ(m_song.Lyrics().Word(5)->NeedsReview(), c.copied);
    EXPECT_EQ(m_song.History().StepCount(), c.copied ? 1u : 0u);
  }
}

}  // namespace
}  // namespace lf
