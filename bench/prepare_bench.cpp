// Preparing a four-minute MP3 (decoding it into the working WAV file) next to
// `ffmpeg -i x.mp3 x.wav`, timed in the same run. Counters: ours_s and
// ffmpeg_s (wall seconds per preparation), ratio = ours / ffmpeg, and the
// same in CPU seconds (cpu_ratio), which a busy machine disturbs less.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <time.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "audio/music_preparation.h"
#include "platform/paths.h"

namespace {

constexpr int kSeconds = 240;

struct Material {
  lf::ScopedTempFolder folder{"prepare-bench"};
  std::string mp3 = folder.File("song.mp3");
  bool ok = false;
  Material() {
    // A chord that moves under a slow tremolo, at 192 kbit/s: real work for the decoder.
    const std::string command =
        "ffmpeg -nostdin -v error -y -f lavfi -i \"aevalsrc='0.3*sin(2*PI*(220+20*floor(t/4))*t)+"
        "0.2*sin(2*PI*330*t)*(0.6+0.4*sin(2*PI*0.5*t))|0.25*sin(2*PI*(277+15*floor(t/3))*t)':s=44100:d=" +
        std::to_string(kSeconds) + "\" -b:a 192k '" + mp3 + "'";
    ok = std::system(command.c_str()) == 0;
  }
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

void BM_PrepareMp3VersusFfmpegTool(benchmark::State& state) {
  const Material& song = Song();
  if (!song.ok) {
    state.SkipWithError("the ffmpeg tool could not make the test song");
    return;
  }
  lf::MusicPreparationContext context;
  context.workingFolder = song.folder.Path();
  const std::string theirs = song.folder.File("ffmpeg.wav");
  const std::string command = "ffmpeg -nostdin -v error -y -i '" + song.mp3 + "' '" + theirs + "'";
  double oursTotal = 0, ffmpegTotal = 0, oursCpu = 0, ffmpegCpu = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    double cpuStart = OwnCpuSeconds();
    lf::MusicState music;
    if (!lf::PrepareMusic(song.mp3, music, context)) {
      state.SkipWithError(music.musicErrorText.c_str());
      return;
    }
    const double oursSeconds = Seconds(start);
    oursCpu += OwnCpuSeconds() - cpuStart;
    start = std::chrono::steady_clock::now();
    cpuStart = ChildrenCpuSeconds();
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("the ffmpeg tool failed");
      return;
    }
    const double ffmpegSeconds = Seconds(start);
    ffmpegCpu += ChildrenCpuSeconds() - cpuStart;
    state.SetIterationTime(oursSeconds);
    oursTotal += oursSeconds;
    ffmpegTotal += ffmpegSeconds;
  }
  const double n = double(state.iterations());
  state.counters["ours_s"] = oursTotal / n;
  state.counters["ffmpeg_s"] = ffmpegTotal / n;
  state.counters["ratio"] = oursTotal / ffmpegTotal;
  state.counters["ours_cpu_s"] = oursCpu / n;
  state.counters["ffmpeg_cpu_s"] = ffmpegCpu / n;
  state.counters["cpu_ratio"] = oursCpu / ffmpegCpu;
  state.counters["audio_s"] = kSeconds;
}
BENCHMARK(BM_PrepareMp3VersusFfmpegTool)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
