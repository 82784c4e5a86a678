// The line list and the project file at the sizes a long song reaches.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "core/platform/paths.h"
#include "core/song/song.h"

namespace {

std::string LongLyrics(int lines) {
  std::string text;
  for (int i = 0; i < lines; ++i) {
    text += (i % 9 == 8) ? "^\n" : "";
    text += "some*where o_ver  the rain*bow way up high " + std::to_string(i) + "\r\n";
  }
  return text;
}

void BM_GenerateKaraokeLineList(benchmark::State& state) {
  lf::Song song;
  song.ResetSongDefaults();
  song.SetRawLyrics(LongLyrics(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = true});
    benchmark::DoNotOptimize(song.WordCount());
  }
  state.counters["words"] = song.WordCount();
}
BENCHMARK(BM_GenerateKaraokeLineList)->Arg(100)->Arg(1000);

void BM_SaveAndLoadProject(benchmark::State& state) {
  lf::ScopedTempFolder folder("lfbench");
  lf::Song song(folder.File("song.lfp"));
  song.ResetSongDefaults();
  song.SetRawLyrics(LongLyrics(200));
  song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = true});
  for (auto _ : state) {
    if (!song.SaveProject() || !song.LoadProject()) state.SkipWithError("save or load failed");
  }
}
BENCHMARK(BM_SaveAndLoadProject)->Unit(benchmark::kMillisecond);

}  // namespace
