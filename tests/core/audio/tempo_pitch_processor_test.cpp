// Tempo and pitch change on synthetic sound: the length follows the tempo,
// the frequency follows the pitch, and a click comes out once, where the
// tempo puts it, at every tempo down to a quarter.
#include "core/audio/tempo_pitch_processor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
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

constexpr int kRate = 44100;
// Input frames of the clicks: uneven, so that no window of the engine lines up with them.
const std::vector<size_t> kClickFrames = {15'000, 40'100, 61'700, 97'300, 120'900};

// 4 ms bursts of 2 kHz on silence.
std::vector<int16_t> Clicks() {
  std::vector<int16_t> samples(2 * 140'000, 0);
  for (size_t start : kClickFrames)
    for (size_t i = 0; i < kRate / 250; ++i)
      samples[2 * (start + i)] = samples[2 * (start + i) + 1] =
          static_cast<int16_t>(20000 * std::sin(2 * std::numbers::pi * 2000.0 * static_cast<double>(i) / kRate));
  return samples;
}

// Frames of the left channel where the level first rises above `threshold`
// after at least `quiet` frames below it.
std::vector<size_t> Onsets(const std::vector<int16_t>& stereo, int threshold, size_t quiet) {
  std::vector<size_t> onsets;
  size_t lastLoud = 0;
  bool any = false;
  for (size_t f = 0; f < stereo.size() / 2; ++f) {
    if (std::abs(stereo[2 * f]) < threshold) continue;
    if (!any || f - lastLoud > quiet) onsets.push_back(f);
    lastLoud = f;
    any = true;
  }
  return onsets;
}

// Each click is heard once (an engine that repeats its windows at slow tempos
// makes echoes of it) and, mapped back through the speed, at its own time.
TEST(TempoPitchProcessorTest, EachClickComesOutOnceWhereTheTempoPutsIt) {
  const std::vector<int16_t> clicks = Clicks();
  for (int percent : {100, 50, 25}) {
    TempoPitchProcessor p;
    p.SetFormat(kRate, 2);
    p.SetTempoChange(percent - 100);
    const std::vector<int16_t> out = ProcessAll(p, clicks);
    const double speed = percent / 100.0;
    // Quiet for 60 ms of the music between two onsets of one click.
    const std::vector<size_t> onsets = Onsets(out, 5000, static_cast<size_t>(0.060 * kRate / speed));
    ASSERT_EQ(onsets.size(), kClickFrames.size()) << percent << " %";
    for (size_t i = 0; i < onsets.size(); ++i) {
      const double errorMs =
          (static_cast<double>(onsets[i]) * speed - static_cast<double>(kClickFrames[i])) * 1000 / kRate;
      EXPECT_NEAR(errorMs, 0.0, 2.0) << percent << " %, click " << i;
    }
  }
}

}  // namespace
}  // namespace lf
