// The voice part of a mix: onsets of what sounds in the centre, not of what
// is panned to a side, and the store of them beside the music.
#include "core/timing/voice_onsets.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "core/timing/voice_onset_file.h"
#include "tests/support/wav_fixture.h"

namespace lf {
namespace {

constexpr int kRate = 44100;

// A sung syllable: a few harmonics of 220 Hz with a quick attack.
float Syllable(size_t f) {
  const double t = static_cast<double>(f) / kRate;
  const double envelope = std::min(1.0, t / 0.01) * std::exp(-t * 4);
  double v = 0;
  for (int h = 1; h <= 6; ++h) v += std::sin(2 * M_PI * 220.0 * h * t) / h;
  return static_cast<float>(0.3 * envelope * v);
}

// A drum hit: a short burst of noise.
float Hit(size_t f, uint32_t& seed) {
  seed = seed * 1664525u + 1013904223u;
  const double t = static_cast<double>(f) / kRate;
  return static_cast<float>(0.6 * std::exp(-t * 40) * (static_cast<double>(seed >> 8) / (1 << 24) - 0.5));
}

TEST(VoiceOnsets, HearTheCentreAndNotWhatIsPannedAway) {
  const double sung[] = {0.50, 1.25, 2.10, 2.80};
  const double drums[] = {0.90, 1.70, 2.45, 3.30};  // on the left only
  std::vector<float> left(static_cast<size_t>(4 * kRate)), right(left.size());
  uint32_t seed = 7;
  for (double at : sung)
    for (size_t f = 0; f < static_cast<size_t>(0.3 * kRate); ++f) {
      const float v = Syllable(f);
      left[static_cast<size_t>(at * kRate) + f] += v;
      right[static_cast<size_t>(at * kRate) + f] += v;
    }
  for (double at : drums)
    for (size_t f = 0; f < static_cast<size_t>(0.1 * kRate); ++f)
      left[static_cast<size_t>(at * kRate) + f] += Hit(f, seed);

  VoiceOnsetDetector detector(kRate);
  for (size_t at = 0; at < left.size(); at += 1000) {
    const size_t n = std::min<size_t>(1000, left.size() - at);
    detector.Push(left.data() + at, right.data() + at, n);
  }
  const std::vector<Onset> onsets = detector.Part().onsets;
  auto nearest = [&](double seconds) {
    double best = 1e9;
    for (const Onset& o : onsets) best = std::min(best, std::fabs(static_cast<double>(o.frame) / kRate - seconds));
    return best;
  };
  for (double at : sung) EXPECT_LT(nearest(at), 0.015) << "syllable at " << at;
  for (double at : drums) EXPECT_GT(nearest(at), 0.05) << "drum at " << at;
}

TEST(VoiceOnsets, TheStoreBesideTheMusicServesOnlyTheFileItWasMadeFor) {
  const auto dir = std::filesystem::temp_directory_path() / ("lf_voice_store_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string wav = (dir / "music.wav").string();
  test::WriteFileBytes(wav, test::ToneWav(kRate, 16, 2, 4410));
  const VoicePart voice{{{441, 0.5f}, {88200, 2.25f}}, {0.0f, 0.25f, 0.125f}};
  ASSERT_TRUE(WriteVoiceOnsetFile(wav, voice));
  const auto read = ReadVoiceOnsetFile(wav);
  ASSERT_TRUE(read);
  ASSERT_EQ(read->onsets.size(), 2u);
  EXPECT_EQ(read->onsets[1].frame, 88200);
  EXPECT_EQ(read->onsets[1].strength, 2.25f);
  EXPECT_EQ(read->levels, voice.levels);

  // Damaged: cut short.
  std::filesystem::resize_file(VoiceOnsetFilePath(wav), std::filesystem::file_size(VoiceOnsetFilePath(wav)) - 3);
  EXPECT_FALSE(ReadVoiceOnsetFile(wav));
  // Stale: the music written again after the store.
  ASSERT_TRUE(WriteVoiceOnsetFile(wav, voice));
  test::WriteFileBytes(wav, test::ToneWav(kRate, 16, 2, 8820));
  EXPECT_FALSE(ReadVoiceOnsetFile(wav));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace lf
