// Timing help measured on a sung song of known truth: words spoken by
// espeak-ng at known times over a stereo band, the voice in the centre.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

#include "core/platform/message_sink.h"
#include "core/platform/settings.h"
#include "core/song/song.h"
#include "core/timing/line_first_timing.h"
#include "core/timing/music_analysis.h"
#include "core/timing/repeated_line.h"
#include "core/timing/speech_alignment.h"
#include "core/timing/voice_snap.h"
#include "core/timing/word_confidence.h"
#include "tests/support/timing_truth.h"

namespace lf {
namespace {

namespace fs = std::filesystem;

class TimingHelpAccuracy : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!test::HaveEspeakNg()) return;
    s_folder = fs::temp_directory_path() / ("lyricforge_timing_accuracy_" + std::to_string(getpid()));
    fs::create_directories(s_folder);
    s_sung = std::make_unique<test::SungSong>(test::MakeSungSong(test::VersesAndChorus(), s_folder.string()));
    s_analysis = AnalyseMusic(s_sung->wavPath);
  }
  static void TearDownTestSuite() {
    s_sung.reset();
    s_analysis.reset();
    fs::remove_all(s_folder);
  }
  void SetUp() override {
    if (!s_sung) GTEST_SKIP() << "espeak-ng is not installed (scripts/install-deps.sh)";
    ASSERT_TRUE(s_analysis);
    SetAppSettings(std::make_unique<MemorySettings>());
    m_song.ResetSongDefaults();
    test::LaySungLyrics(m_song, *s_sung);
  }
  const std::vector<Onset>& Voice() const { return s_analysis->voice.onsets; }

  static inline fs::path s_folder;
  static inline std::unique_ptr<test::SungSong> s_sung;
  static inline std::shared_ptr<const MusicAnalysis> s_analysis;
  ScopedMessageRecorder m_recorder;
  Song m_song{"/tmp/none.lfp"};
};

TEST_F(TimingHelpAccuracy, LineTapsAloneTimeMostWordsWithin50Ms) {
  test::StartErrors all;  // over three authors' taps, each off by up to 40 ms
  for (uint32_t seed : {1u, 2u, 3u}) {
    ASSERT_TRUE(
        TimeLinesFromTaps(m_song, test::LineTapsNearTruth(*s_sung, 40, seed), s_analysis->voice, s_sung->sampleRate)
            .Ok());
    const test::StartErrors errors = test::ErrorsAgainstTruth(m_song, *s_sung);
    all.ms.insert(all.ms.end(), errors.ms.begin(), errors.ms.end());
  }
  std::sort(all.ms.begin(), all.ms.end());
  // Measured: 81 % within 50 ms, median 7 ms (bench/timing_help_bench.cpp).
  EXPECT_GE(all.ShareWithin(50), 0.78) << "median " << all.Median();
  EXPECT_LT(all.Median(), 30);
}

TEST_F(TimingHelpAccuracy, SnappingWordTapsDoesNoWorseThanTheTaps) {
  for (uint32_t seed : {1u, 2u, 3u}) {
    test::TapWordsNearTruth(m_song, *s_sung, 40, seed);
    const test::StartErrors tapped = test::ErrorsAgainstTruth(m_song, *s_sung);
    SnapWordsToVoice(m_song, 0, m_song.Lyrics().WordCount() - 1, Voice(), s_sung->sampleRate,
                     {.windowMs = kDefaultSnapWindowMs, .respreadUnsnapped = false, .anchored = {}});
    const test::StartErrors snapped = test::ErrorsAgainstTruth(m_song, *s_sung);
    EXPECT_LE(snapped.Median(), tapped.Median()) << "seed " << seed;
    EXPECT_GE(snapped.ShareWithin(50), 0.85) << "seed " << seed;
  }
}

TEST_F(TimingHelpAccuracy, ARepeatedChorusLandsWhereItIsSung) {
  // The chorus timed exactly the first time; the repeat from a tap 40 ms late.
  test::TapWordsNearTruth(m_song, *s_sung, 0, 1);
  const int repeat = 7;
  const int first = m_song.Lyrics().IndexOfWord(m_song.Lyrics().Line(repeat)->FirstWord());
  ASSERT_EQ(EarlierLineWithSameText(m_song.Lyrics(), repeat), 3);
  const auto tap = static_cast<SampleTime>(s_sung->words[static_cast<size_t>(first)].startFrame + 40 * 44.1);
  m_song.Lyrics().SetWordStart(first, tap);
  SnapWordsToVoice(m_song, first, first, Voice(), s_sung->sampleRate);
  ASSERT_TRUE(CopyTimingFromEarlierLine(m_song, repeat).Ok());
  for (int w = first; w < first + static_cast<int>(m_song.Lyrics().Line(repeat)->m_words.size()); ++w)
    EXPECT_NEAR(m_song.Lyrics().Word(w)->m_startTime, s_sung->words[static_cast<size_t>(w)].startFrame, 441) << w;
}

TEST_F(TimingHelpAccuracy, NextUnsureWordFindsWordsMovedBy300Ms) {
  test::TapWordsNearTruth(m_song, *s_sung, 20, 5);
  std::vector<int> moved;
  for (int w = 3; w < m_song.Lyrics().WordCount() && moved.size() < 10; w += 6) moved.push_back(w);
  for (int w : moved) {
    const KaraokeWord& word = *m_song.Lyrics().Word(w);
    m_song.Lyrics().SetWordTimes(w, word.m_startTime + 13230, word.m_endTime + 13230);
  }
  const auto rated = RateWordTimes(m_song.Lyrics(), s_analysis->voice, s_sung->sampleRate);
  int found = 0, at = -1;
  for (int stop = 0; stop < 15; ++stop) {
    at = NextUnsureWord(rated, at);
    if (at < 0) break;
    found += std::count(moved.begin(), moved.end(), at) > 0;
  }
  EXPECT_GE(found, 9);
}

// The automatic first pass fills in what was not tapped and keeps what was.
TEST_F(TimingHelpAccuracy, AutomaticFirstPassTimesTheUntappedWordsForReview) {
  const SpeechModel model = DefaultSpeechModel();
  if (!std::filesystem::exists(model.dictionary)) GTEST_SKIP() << "no English speech model (pocketsphinx-en-us)";
  test::TapWordsNearTruth(m_song, *s_sung, 0, 1);
  const int firstLineWords = static_cast<int>(m_song.Lyrics().Line(0)->m_words.size());
  for (int w = firstLineWords; w < m_song.Lyrics().WordCount(); ++w) m_song.Lyrics().SetWordTimes(w, 0, 0);
  const LyricTimes tapped = m_song.Lyrics().Times();

  const AlignResult aligned = AlignLyricsToSpeech(m_song, s_sung->wavPath, model);
  ASSERT_TRUE(aligned.outcome.Ok()) << aligned.outcome.text;
  for (int w = 0; w < m_song.Lyrics().WordCount(); ++w) {
    const KaraokeWord& word = *m_song.Lyrics().Word(w);
    if (w < firstLineWords) {
      EXPECT_EQ(word.m_startTime, tapped.words[static_cast<size_t>(w)].start) << "tapped word " << w << " kept";
      EXPECT_FALSE(word.NeedsReview()) << w;
    } else {
      EXPECT_TRUE(word.IsPlaced()) << w;
      EXPECT_TRUE(word.NeedsReview()) << w;
    }
  }
  const test::StartErrors errors = test::ErrorsAgainstTruth(m_song, *s_sung);
  EXPECT_GE(errors.ShareWithin(100), 0.8) << "median " << errors.Median();  // measured 0.95
  ASSERT_TRUE(m_song.History().Undo(m_song.Lyrics()));
  EXPECT_EQ(m_song.Lyrics().Times(), tapped);
}

}  // namespace
}  // namespace lf
