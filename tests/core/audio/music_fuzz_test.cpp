// Mutated WAV and MP3 files through music preparation and the song's music
// buffer: every file is either refused with the music error text or prepared
// in a format a song can carry (run under `make sanitize`).
#include <gtest/gtest.h>

#include <iterator>
#include <random>

#include "core/audio/music_preparation.h"
#include "core/audio/wav_file.h"
#include "tests/support/cli_runner.h"
#include "tests/support/fuzz_input.h"
#include "tests/support/media_fixture.h"

namespace lf {
namespace {

std::string WavDeclaring(uint32_t rate, uint16_t channels, uint32_t frames = 64) {
  return test::MakeRiffWave(
      {{"fmt ", test::FmtBody(channels, rate, 16)}, {"data", std::string(size_t(frames) * channels * 2, '\x11')}});
}

// A WAV of `formatTag` with a quiet ramp of `frames` frames.
std::string OddWav(uint16_t formatTag, uint16_t bits, uint16_t channels, uint32_t rate, uint32_t frames) {
  std::string data(size_t(frames) * channels * bits / 8, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>((i * 7) & 0x3F);
  return test::MakeRiffWave({{"fmt ", test::FmtBody(channels, rate, bits, formatTag)}, {"data", data}});
}

void CheckPrepared(const std::string& path, const test::TempDir& work, int iteration) {
  MusicPreparationContext context;
  context.workingFolder = work.Path();
  MusicState state;
  if (PrepareMusic(path, state, context)) {
    ASSERT_TRUE(IsCarriedMusicFormat(state.sampleRate, state.bitsPerSample, state.channelCount))
        << "iteration " << iteration;
    ASSERT_GT(state.samplesPerPacket, 0);
    WavInFile working(state.workingFilePath);
    int16_t samples[4096];
    while (working.ReadSamples(samples, 4096) > 0) {
    }
  } else {
    ASSERT_FALSE(state.musicErrorText.empty()) << "iteration " << iteration;
    ASSERT_EQ(state.musicErrorText.back(), '\n');
  }
}

TEST(MusicFuzz, MutatedWavFilesArePreparedOrRefused) {
  test::TempDir media, work;
  const std::string seeds[] = {
      test::ToneWav(44100, 16, 2, 2000),
      test::ToneWav(22050, 8, 1, 1000),
      WavDeclaring(1, 2),             // no frame per packet
      WavDeclaring(1u << 30, 2),      // a rate no buffer can follow
      WavDeclaring(44100, 65535, 1),  // channels without end
      // Music that is not plain 16-bit stereo, converted by the decoder.
      OddWav(3, 32, 2, 44100, 8000),  // float
      OddWav(6, 8, 1, 44100, 2000),   // A-law
      OddWav(1, 24, 2, 44100, 4000),
      OddWav(1, 16, 6, 44100, 1000),
      OddWav(1, 16, 2, 96000, 4000),
  };
  constexpr size_t kSeeds = std::size(seeds);
  std::mt19937 rng(4242);
  const int n = test::FuzzIterations(300);
  for (int i = 0; i < n; ++i) {
    const std::string path = media.File("m.wav");
    const size_t which = static_cast<size_t>(i) % kSeeds;
    test::WriteFileBytes(path, i % 2 == 0 ? test::Mutate(seeds[which], rng) : seeds[which]);
    CheckPrepared(path, work, i);
    if (HasFatalFailure()) return;
  }
}

TEST(MusicFuzz, MutatedMp3FilesArePreparedOrRefused) {
  test::TempDir media, work;
  ASSERT_TRUE(test::MakeEncodedTone(media.File("s.mp3"), 0.3, 44100, 2));
  ASSERT_TRUE(test::MakeEncodedTone(media.File("m.mp3"), 0.3, 22050, 1));
  const std::string stereo = test::ReadFileBytes(media.File("s.mp3")), mono = test::ReadFileBytes(media.File("m.mp3"));
  const std::string seeds[] = {stereo + mono, mono + stereo, stereo};  // layouts and rates that change mid-stream
  std::mt19937 rng(3333);
  const int n = test::FuzzIterations(60);
  for (int i = 0; i < n; ++i) {
    const std::string path = media.File("f.mp3");
    test::WriteFileBytes(path, i % 4 == 0 ? seeds[i % 3] : test::Mutate(seeds[i % 3], rng));
    CheckPrepared(path, work, i);
    if (HasFatalFailure()) return;
  }
}

}  // namespace
}  // namespace lf
