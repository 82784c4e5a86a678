#include "tests/support/sung_song.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "tests/support/media_probe.h"
#include "tests/support/wav_fixture.h"

namespace lf {
namespace {

namespace fs = std::filesystem;
using test::SungSong;
using test::SungSongPlan;

constexpr int kRate = 44100;

// A verse and a chorus sung twice; "twinkle" also repeats inside a line.
SungSongPlan Plan() {
  SungSongPlan plan;
  plan.lines = {"Twinkle twinkle little star", "How I wonder what you are", "Hello darkness my old friend",
                "Twinkle twinkle little star"};
  plan.seed = 7;
  return plan;
}

class SungSongTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!test::HaveEspeakNg()) return;
    // ctest runs each test in its own process, maybe side by side: one folder each.
    s_folder = fs::temp_directory_path() / ("lyricforge_sung_song_test_" + std::to_string(getpid()));
    fs::remove_all(s_folder);
    fs::create_directories(s_folder);
    SungSongPlan plan = Plan();
    s_song = std::make_unique<SungSong>(test::MakeSungSong(plan, s_folder.string()));
    plan.stereoAccompaniment = false;
    s_voice = std::make_unique<SungSong>(test::MakeSungSong(plan, s_folder.string()));
    s_mix = test::DecodeToPcm(s_song->wavPath);
    s_voicePcm = test::DecodeToPcm(s_voice->wavPath);
  }
  static void TearDownTestSuite() {
    s_song.reset();
    s_voice.reset();
    if (!s_folder.empty()) fs::remove_all(s_folder);
  }
  void SetUp() override {
    if (!s_song) GTEST_SKIP() << "espeak-ng is not installed (scripts/install-deps.sh)";
  }

  static inline fs::path s_folder;
  static inline std::unique_ptr<SungSong> s_song, s_voice;
  static inline std::vector<int16_t> s_mix, s_voicePcm;  // both stereo, interleaved
};

TEST_F(SungSongTest, WritesTheLyricsAndLaysTheWordsOutLineByLine) {
  const auto fields = test::ProbeFields(s_song->wavPath, "stream=channels,sample_rate,sample_fmt");
  EXPECT_EQ(fields.at("channels"), "2");
  EXPECT_EQ(fields.at("sample_rate"), "44100");
  EXPECT_EQ(fields.at("sample_fmt"), "s16");
  EXPECT_EQ(s_song->lyrics,
            "Twinkle twinkle little star\nHow I wonder what you are\nHello darkness my old friend\n"
            "Twinkle twinkle little star");
  ASSERT_EQ(s_song->words.size(), 19u);
  ASSERT_EQ(s_song->lines.size(), 4u);
  EXPECT_EQ(s_mix.size() / 2, static_cast<size_t>(s_song->words.back().endFrame + 1 + 2 * kRate));
  EXPECT_EQ(s_song->words.front().startFrame, 2 * kRate);

  int next = 0;
  for (size_t l = 0; l < s_song->lines.size(); ++l) {
    const std::vector<int>& words = s_song->lines[l].words;
    for (size_t w = 0; w < words.size(); ++w) {
      ASSERT_EQ(words[w], next++);
      const test::SungWord& word = s_song->words[words[w]];
      EXPECT_LT(word.startFrame, word.endFrame) << word.text;
      if (w == 0 && l > 0) {
        // The silence between lines is the plan's gap, measured from the last word's end.
        const test::SungWord& previous = s_song->words[words[w] - 1];
        EXPECT_EQ(word.startFrame - previous.endFrame - 1, std::llround(0.6 * kRate)) << l;
      } else if (w > 0) {
        const int64_t gap = word.startFrame - s_song->words[words[w] - 1].endFrame - 1;
        EXPECT_GE(gap, 0.040 * kRate) << word.text;
        EXPECT_LE(gap, 0.080 * kRate) << word.text;
      }
    }
  }
  EXPECT_EQ(s_song->words[1].text, "twinkle");
  EXPECT_EQ(s_song->words[18].text, "star");
}

// The truth is exactly where the voice crosses the threshold: at every start
// and end, and nowhere outside a word.
TEST_F(SungSongTest, EachWordsStartAndEndAreWhereItsVoiceCrossesTheThreshold) {
  const std::vector<int16_t>& v = s_voicePcm;
  ASSERT_EQ(v.size(), s_mix.size());
  std::vector<bool> inWord(v.size() / 2, false);
  for (const test::SungWord& word : s_voice->words) {
    EXPECT_GE(std::abs(v[2 * word.startFrame]), test::kSungVoiceThreshold) << word.text;
    EXPECT_GE(std::abs(v[2 * word.endFrame]), test::kSungVoiceThreshold) << word.text;
    for (int64_t f = word.startFrame; f <= word.endFrame; ++f) inWord[f] = true;
  }
  int64_t loudOutside = 0, unequal = 0;
  for (size_t f = 0; f < inWord.size(); ++f) {
    loudOutside += !inWord[f] && std::abs(v[2 * f]) >= test::kSungVoiceThreshold;
    unequal += v[2 * f] != v[2 * f + 1];
  }
  EXPECT_EQ(loudOutside, 0);
  EXPECT_EQ(unequal, 0);  // the voice is dead centre
  // The band changes nothing about where the words are.
  ASSERT_EQ(s_voice->words.size(), s_song->words.size());
  for (size_t i = 0; i < s_song->words.size(); ++i) {
    EXPECT_EQ(s_voice->words[i].startFrame, s_song->words[i].startFrame) << i;
    EXPECT_EQ(s_voice->words[i].endFrame, s_song->words[i].endFrame) << i;
  }
}

// Under the voice, the band: off-centre, so the side channel (L-R) follows
// none of the voice while the mid channel does, and 6 dB quieter.
TEST_F(SungSongTest, TheBandIsOffCentreAndSixDecibelsUnderTheVoice) {
  double voice = 0, mid = 0, side = 0, midVoice = 0, sideVoice = 0, band = 0, sungVoice = 0;
  const size_t frames = s_mix.size() / 2;
  for (size_t f = 0; f < frames; ++f) {
    const double l = s_mix[2 * f], r = s_mix[2 * f + 1], v = s_voicePcm[2 * f];
    voice += v * v;
    mid += (l + r) * (l + r) / 4;
    side += (l - r) * (l - r) / 4;
    midVoice += (l + r) / 2 * v;
    sideVoice += (l - r) / 2 * v;
    band += ((l - v) * (l - v) + (r - v) * (r - v)) / 2;
  }
  int64_t sungFrames = 0;
  for (const test::SungWord& word : s_song->words) {
    for (int64_t f = word.startFrame; f <= word.endFrame; ++f)
      sungVoice += double(s_voicePcm[2 * f]) * s_voicePcm[2 * f];
    sungFrames += word.endFrame - word.startFrame + 1;
  }
  EXPECT_GT(midVoice / std::sqrt(mid * voice), 0.7);
  EXPECT_LT(std::abs(sideVoice / std::sqrt(side * voice)), 0.02);
  EXPECT_GT(side / frames, 0.1 * band / frames);  // a good share of the band is off-centre
  EXPECT_NEAR(10 * std::log10((band / frames) / (sungVoice / sungFrames)), -6.0, 0.5);
}

TEST_F(SungSongTest, ARepeatedLineIsSungInTheSameRhythmAndSound) {
  const std::vector<int>& first = s_song->lines[0].words;
  const std::vector<int>& again = s_song->lines[3].words;
  ASSERT_EQ(first.size(), again.size());
  const int64_t shift = s_song->words[again[0]].startFrame - s_song->words[first[0]].startFrame;
  for (size_t w = 0; w < first.size(); ++w) {
    EXPECT_EQ(s_song->words[again[w]].startFrame - s_song->words[first[w]].startFrame, shift) << w;
    EXPECT_EQ(s_song->words[again[w]].endFrame - s_song->words[first[w]].endFrame, shift) << w;
  }
  int64_t differing = 0;
  for (int64_t f = s_song->words[first[0]].startFrame; f <= s_song->words[first.back()].endFrame; ++f)
    differing += s_voicePcm[2 * f] != s_voicePcm[2 * (f + shift)];
  EXPECT_EQ(differing, 0);
}

TEST_F(SungSongTest, MonoIsTheStereoMixFoldedToOneChannel) {
  SungSongPlan plan = Plan();
  plan.mono = true;
  const SungSong mono = test::MakeSungSong(plan, s_folder.string());
  EXPECT_EQ(test::ProbeFields(mono.wavPath, "stream=channels").at("channels"), "1");
  const std::vector<int16_t> pcm = test::DecodeToPcm(mono.wavPath);
  ASSERT_EQ(pcm.size(), s_mix.size() / 2);
  int64_t off = 0;
  for (size_t f = 0; f < pcm.size(); ++f) off += std::abs(pcm[f] - (s_mix[2 * f] + s_mix[2 * f + 1]) / 2.0) > 1;
  EXPECT_EQ(off, 0);
  EXPECT_EQ(mono.words.back().startFrame, s_song->words.back().startFrame);
}

TEST_F(SungSongTest, TheSeedAloneDecidesTheSong) {
  const fs::path other = s_folder / "again";
  fs::create_directories(other);
  SungSongPlan plan = Plan();
  const SungSong again = test::MakeSungSong(plan, other.string());  // speaks every word anew
  EXPECT_EQ(test::ReadFileBytes(again.wavPath), test::ReadFileBytes(s_song->wavPath));
  plan.seed = 8;
  const SungSong reseeded = test::MakeSungSong(plan, other.string());
  ASSERT_EQ(reseeded.words.size(), s_song->words.size());
  EXPECT_NE(reseeded.words.back().startFrame, s_song->words.back().startFrame);
  EXPECT_NE(test::ReadFileBytes(reseeded.wavPath), test::ReadFileBytes(s_song->wavPath));
}

TEST(SungSongWithoutEspeak, SaysWhatIsMissing) {
  const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", "/nonexistent", 1);
  try {
    test::MakeSungSong(Plan(), fs::temp_directory_path().string());
    ADD_FAILURE() << "made a song without espeak-ng";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("espeak-ng is not installed"), std::string::npos) << e.what();
  }
  setenv("PATH", path.c_str(), 1);
}

}  // namespace
}  // namespace lf
