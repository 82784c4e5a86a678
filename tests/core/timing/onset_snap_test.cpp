#include "core/timing/onset_snap.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "core/platform/message_sink.h"
#include "core/platform/settings.h"
#include "core/song/song.h"
#include "core/timing/music_analysis.h"
#include "core/timing/voice_onset_file.h"
#include "tests/support/wav_fixture.h"

namespace lf {
namespace {

constexpr int kRate = 44100;
// Bursts of a tone in silence, as a singer's syllables; the times are in seconds.
const double kBursts[] = {1.000, 2.337, 3.512, 4.250};
constexpr double kBurstLength = 0.12;

class OnsetSnapTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // ctest runs each test in a process of its own, side by side: one file each.
    s_wav =
        (std::filesystem::temp_directory_path() / ("lyricforge_onset_snap_test_" + std::to_string(::getpid()) + ".wav"))
            .string();
    std::vector<int16_t> samples(static_cast<size_t>(5 * kRate) * 2, 0);
    for (double at : kBursts) {
      const size_t first = static_cast<size_t>(at * kRate);
      for (size_t f = 0; f < static_cast<size_t>(kBurstLength * kRate); ++f) {
        const auto v = static_cast<int16_t>(16000 * std::sin(2 * M_PI * 660.0 * f / kRate));
        samples[(first + f) * 2] = samples[(first + f) * 2 + 1] = v;
      }
    }
    test::WriteFileBytes(
        s_wav, test::MakeRiffWave({{"fmt ", test::FmtBody(2, kRate, 16)}, {"data", test::PcmBytes(samples, 16)}}));
  }
  static void TearDownTestSuite() {
    std::filesystem::remove(s_wav);
    std::filesystem::remove(VoiceOnsetFilePath(s_wav));
  }

  static inline std::string s_wav;
};

TEST_F(OnsetSnapTest, AnalysisFindsEachBurstAndItsEnvelope) {
  const auto analysis = MusicAnalysisCache::Instance().Wait(s_wav);
  ASSERT_TRUE(analysis);
  EXPECT_EQ(analysis->peaks.size(), 5u * 300);
  ASSERT_EQ(analysis->onsets.size(), std::size(kBursts));
  for (size_t i = 0; i < std::size(kBursts); ++i)
    EXPECT_NEAR(analysis->onsets[i].frame / double(kRate), kBursts[i], 0.010) << i;
  EXPECT_EQ(analysis->PeakOver(0, 290), 0);                        // silence before the first burst
  EXPECT_GT(analysis->PeakOver(300, 330), 15000);                  // inside it
  EXPECT_EQ(MusicAnalysisCache::Instance().Get(s_wav), analysis);  // worked out once
}

TEST_F(OnsetSnapTest, SnapMovesTheStartOntoTheNearestBurstUnderTheNudgeRules) {
  SetAppSettings(std::make_unique<MemorySettings>());
  ScopedMessageRecorder recorder;
  Song song{"/tmp/none.lfp"};
  song.ResetSongDefaults();
  song.Lyrics().SetRawLyrics("one two three four");
  song.GenerateKaraokeLineList({.keepTimings = false, .convertMarkers = false});
  const auto onsets = MusicAnalysisCache::Instance().Wait(s_wav)->onsets;
  struct Case {
    int word;
    double start, end;  // seconds, before the snap
    bool snaps;
    double expected;
  };
  const Case cases[] = {
      {1, 2.237, 2.9, true, 2.337},   // late burst: start later
      {2, 3.640, 4.0, true, 3.512},   // early burst: start earlier
      {3, 3.9, 4.1, false, 3.9},      // nothing within 150 ms
      {0, 0.900, 0.95, true, 0.950},  // past its own end: stops at the end
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    for (int i = 0; i < song.Lyrics().WordCount(); ++i) {
      song.Lyrics().SetWordStart(i, static_cast<SampleTime>((i + 0.5) * kRate));
      song.Lyrics().SetWordEnd(i, static_cast<SampleTime>((i + 0.9) * kRate));
    }
    song.Lyrics().SetWordStart(c.word, static_cast<SampleTime>(c.start * kRate));
    song.Lyrics().SetWordEnd(c.word, static_cast<SampleTime>(c.end * kRate));
    song.SetModified(false);
    EXPECT_EQ(SnapWordStart(song, c.word, onsets, kRate), c.snaps);
    EXPECT_NEAR(song.Lyrics().Word(c.word)->m_startTime / double(kRate), c.expected, 0.010);
    EXPECT_EQ(song.IsModified(), c.snaps);
  }
}

// The music changing (another file asked for) stops the analysis still
// running: it stores nothing beside its file, and the new one is done.
TEST(MusicAnalysisCacheTest, AskingForOtherMusicCancelsTheRunningAnalysis) {
  const auto dir = std::filesystem::temp_directory_path() / ("lf_analysis_cancel_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string longer = (dir / "long.wav").string(), other = (dir / "other.wav").string();
  test::WriteFileBytes(longer, test::ToneWav(kRate, 16, 2, 180 * kRate));
  test::WriteFileBytes(other, test::ToneWav(kRate, 16, 2, kRate));
  EXPECT_FALSE(MusicAnalysisCache::Instance().Get(longer)) << "three minutes are not listened to at once";
  ASSERT_TRUE(MusicAnalysisCache::Instance().Wait(other));
  EXPECT_TRUE(std::filesystem::exists(VoiceOnsetFilePath(other)));
  EXPECT_FALSE(std::filesystem::exists(VoiceOnsetFilePath(longer)));
  const std::atomic<bool> cancelled{true};
  EXPECT_FALSE(AnalyseMusic(other, &cancelled));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace lf
