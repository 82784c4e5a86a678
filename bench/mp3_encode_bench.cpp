// Encoding a four-minute song to MP3 at 128 kbit/s: our EncodeWavToMp3 next to
// the stand-alone lame tool with the same bit rate, timed in the same run.
// Counters: ours_s and lame_s (wall seconds per encode), ratio = ours / lame,
// and the same in CPU seconds (cpu_ratio), which a busy machine disturbs less.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/audio/mp3_encoder.h"
#include "core/audio/wav_out_file.h"
#include "core/platform/paths.h"
#include "support/versus_tool.h"

namespace {

constexpr uint32_t kRate = 44100;
constexpr uint32_t kSeconds = 240;

// A chord that moves, so the encoder has real work, not a steady tone.
void WriteSong(const std::string& path) {
  lf::WavOutFile out(path, kRate, 16, 2);
  std::vector<int16_t> second(kRate * 2);
  for (uint32_t s = 0; s < kSeconds; ++s) {
    const double root = 110.0 * std::pow(2.0, (s % 12) / 12.0);
    for (uint32_t i = 0; i < kRate; ++i) {
      const double t = double(s * kRate + i) / kRate;
      const double v = 0.3 * std::sin(2 * M_PI * root * t) + 0.2 * std::sin(2 * M_PI * root * 1.5 * t) +
                       0.1 * std::sin(2 * M_PI * root * 2.52 * t);
      second[2 * i] = static_cast<int16_t>(v * 32767);
      second[2 * i + 1] = static_cast<int16_t>(v * 0.8 * 32767);
    }
    out.WriteSamples(second.data(), static_cast<int>(second.size()));
  }
}

struct Material {
  lf::ScopedTempFolder folder{"mp3-bench"};
  std::string wav = folder.File("song.wav");
  Material() { WriteSong(wav); }
};

Material& OpenSong() {
  static Material material;
  return material;
}

void BM_Mp3EncodeVersusLameTool(benchmark::State& state) {
  const Material& song = OpenSong();
  const std::string ours = song.folder.File("ours.mp3");
  const std::string theirs = song.folder.File("lame.mp3");
  lf::bench::RunVersusTool(
      state,
      [&](std::string& error) {
        return lf::EncodeWavToMp3(song.wav, ours, 128, nullptr, "Bench", "Lyricforge", 0, 0, 0, &error);
      },
      "lame --quiet -b 128 '" + song.wav + "' '" + theirs + "'", "lame");
  state.counters["audio_s"] = kSeconds;
}
BENCHMARK(BM_Mp3EncodeVersusLameTool)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
