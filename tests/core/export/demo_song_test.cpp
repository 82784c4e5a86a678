#include <gtest/gtest.h>

#include <cmath>
#include <regex>

#include "core/audio/wav_file.h"
#include "core/platform/paths.h"
#include "tests/support/wav_fixture.h"

namespace lf {
namespace {

double Rms(const std::vector<int16_t>& stereo, double from, double to) {
  const size_t a = size_t(std::max(0.0, from) * 44100), b = std::min(stereo.size() / 2, size_t(to * 44100));
  double sum = 0;
  for (size_t i = a; i < b; ++i) sum += double(stereo[2 * i]) * stereo[2 * i];
  return b > a ? std::sqrt(sum / double(b - a)) : 0;
}

// The synthesised demo music and the timed lyrics kept in the repository agree:
// the tool writes the same LRC, and a note starts at every word time in it.
TEST(DemoSongTest, NotesStartAtTheLyricTimes) {
  ScopedTempFolder dir("demo-song-test");
  int status = -1;
  test::RunCommand(
      std::string(LYRICFORGE_CLI_PATH) + " synth-demo -o " + dir.File("demo.wav") + " --lrc " + dir.File("demo.lrc"),
      &status);
  ASSERT_EQ(status, 0);
  const std::string kept = test::ReadFileBytes(std::string(LYRICFORGE_SOURCE_DIR) + "/resources/demo/twinkle.lrc");
  EXPECT_EQ(test::ReadFileBytes(dir.File("demo.lrc")), kept);

  WavInFile wav(dir.File("demo.wav"));
  ASSERT_TRUE(wav.IsOpen());
  EXPECT_EQ(wav.SampleRate(), 44100u);
  EXPECT_EQ(wav.ChannelCount(), 2);
  EXPECT_EQ(wav.BitsPerSample(), 16);
  std::vector<int16_t> samples(wav.SampleCount() * 2);
  samples.resize(size_t(wav.ReadSamples(samples.data(), int(samples.size()))));

  std::regex wordTag("<(\\d\\d):(\\d\\d)\\.(\\d\\d)>[^<\\n]");
  int words = 0;
  for (auto it = std::sregex_iterator(kept.begin(), kept.end(), wordTag); it != std::sregex_iterator(); ++it) {
    const double t = std::stoi((*it)[1]) * 60 + std::stoi((*it)[2]) + std::stoi((*it)[3]) / 100.0;
    // Louder in the 40 ms after the word time than in the 40 ms before it: an attack.
    EXPECT_GT(Rms(samples, t, t + 0.04), 1.5 * Rms(samples, t - 0.04, t)) << "word at " << t;
    ++words;
  }
  EXPECT_EQ(words, 4 * 6 + 2 * 4);       // the two "Twinkle" lines hold four words, the others six
  EXPECT_LT(Rms(samples, 0, 1.9), 1.0);  // silence before the first note
}

}  // namespace
}  // namespace lf
