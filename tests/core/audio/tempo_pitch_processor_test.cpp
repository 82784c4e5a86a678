// Tempo and pitch change on a synthetic tone: the length follows the tempo,
// the frequency follows the pitch.
#include "core/audio/tempo_pitch_processor.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/wav_fixture.h"

namespace lf {
namespace {

// Upward zero crossings of the left channel per second.
double Frequency(const std::vector<int16_t>& stereo, int rate) {
  int crossings = 0;
  for (size_t i = 2; i < stereo.size(); i += 2)
    if (stereo[i - 2] < 0 && stereo[i] >= 0) ++crossings;
  return crossings * static_cast<double>(rate) / (stereo.size() / 2);
}

std::vector<int16_t> ProcessAll(TempoPitchProcessor& p, const std::vector<int16_t>& in) {
  std::vector<int16_t> all, part;
  const size_t chunk = 7644 * 2;  // the player's chunk of 30,576 bytes
  for (size_t i = 0; i < in.size(); i += chunk) {
    const size_t n = std::min(chunk, in.size() - i);
    p.Process(in.data() + i, n / 2, part);
    all.insert(all.end(), part.begin(), part.end());
  }
  p.Flush(part);
  all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(TempoPitchProcessorTest, HalfTempoDoublesTheLengthAndKeepsThePitch) {
  const std::vector<int16_t> tone = test::SineSamples(44100, 2, 88200, 440.0);
  TempoPitchProcessor p;
  p.SetFormat(44100, 2);
  p.SetTempoChange(-50);
  const std::vector<int16_t> out = ProcessAll(p, tone);
  // SoundTouch works in overlapping windows: allow a few of them either way.
  EXPECT_NEAR(static_cast<double>(out.size()), 2.0 * tone.size(), 0.05 * tone.size());
  EXPECT_NEAR(Frequency(out, 44100), 440.0, 10.0);
}

TEST(TempoPitchProcessorTest, AnOctaveUpDoublesTheFrequencyAndKeepsTheLength) {
  const std::vector<int16_t> tone = test::SineSamples(44100, 2, 88200, 440.0);
  TempoPitchProcessor p;
  p.SetFormat(44100, 2);
  p.SetPitchSemiTones(12);
  const std::vector<int16_t> out = ProcessAll(p, tone);
  EXPECT_NEAR(static_cast<double>(out.size()), static_cast<double>(tone.size()), 0.05 * tone.size());
  EXPECT_NEAR(Frequency(out, 44100), 880.0, 20.0);
}

}  // namespace
}  // namespace lf
