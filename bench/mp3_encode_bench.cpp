// Encoding a four-minute song to MP3 at 128 kbit/s: our EncodeWavToMp3 next to
// the stand-alone lame tool with the same bit rate, timed in the same run.
// Counters: ours_s and lame_s (wall seconds per encode), ratio = ours / lame,
// and the same in CPU seconds (cpu_ratio), which a busy machine disturbs less.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <time.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "audio/mp3_encoder.h"
#include "audio/wav_out_file.h"
#include "platform/paths.h"

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

Material& Song() {
  static Material material;
  return material;
}

double OwnCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + ts.tv_nsec / 1e9;
}

double ChildrenCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  auto secs = [](const timeval& tv) { return double(tv.tv_sec) + tv.tv_usec / 1e6; };
  return secs(usage.ru_utime) + secs(usage.ru_stime);
}

double Seconds(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

void BM_Mp3EncodeVersusLameTool(benchmark::State& state) {
  const Material& song = Song();
  const std::string ours = song.folder.File("ours.mp3");
  const std::string theirs = song.folder.File("lame.mp3");
  const std::string command = "lame --quiet -b 128 '" + song.wav + "' '" + theirs + "'";
  double oursTotal = 0, lameTotal = 0, oursCpu = 0, lameCpu = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    double cpuStart = OwnCpuSeconds();
    std::string error;
    if (!lf::EncodeWavToMp3(song.wav, ours, 128, nullptr, "Bench", "Lyricforge", 0, 0, &error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    const double oursSeconds = Seconds(start);
    oursCpu += OwnCpuSeconds() - cpuStart;
    start = std::chrono::steady_clock::now();
    cpuStart = ChildrenCpuSeconds();
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("the lame tool failed (is it installed?)");
      return;
    }
    const double lameSeconds = Seconds(start);
    lameCpu += ChildrenCpuSeconds() - cpuStart;
    state.SetIterationTime(oursSeconds);
    oursTotal += oursSeconds;
    lameTotal += lameSeconds;
  }
  const double n = double(state.iterations());
  state.counters["ours_s"] = oursTotal / n;
  state.counters["lame_s"] = lameTotal / n;
  state.counters["ratio"] = oursTotal / lameTotal;
  state.counters["ours_cpu_s"] = oursCpu / n;
  state.counters["lame_cpu_s"] = lameCpu / n;
  state.counters["cpu_ratio"] = oursCpu / lameCpu;
  state.counters["audio_s"] = kSeconds;
}
BENCHMARK(BM_Mp3EncodeVersusLameTool)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
