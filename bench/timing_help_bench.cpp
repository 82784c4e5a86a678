// Timing help on a sung song of known truth (espeak-ng words over a stereo
// band): how far from the sung starts each way of timing lands, and what it
// costs. The counters are milliseconds of start error over all words: the
// median, the 90th percentile and the share within 50 ms (and 100 ms).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>

#include "core/platform/settings.h"
#include "core/song/song.h"
#include "core/timing/line_first_timing.h"
#include "core/timing/music_analysis.h"
#include "core/timing/speech_alignment.h"
#include "core/timing/voice_snap.h"
#include "tests/support/timing_truth.h"

namespace {

using namespace lf;

struct Fixture {
  std::filesystem::path folder;
  test::SungSong sung;
  std::shared_ptr<const MusicAnalysis> analysis;
};

// The verses and chorus of the tests, at two speeds of speech.
const Fixture& SungFixture(int wordsPerMinute) {
  static std::map<int, std::unique_ptr<Fixture>> fixtures;
  auto& fixture = fixtures[wordsPerMinute];
  if (!fixture) {
    fixture = std::make_unique<Fixture>();
    fixture->folder =
        std::filesystem::temp_directory_path() /
        ("lyricforge_timing_help_bench_" + std::to_string(getpid()) + "_" + std::to_string(wordsPerMinute));
    std::filesystem::create_directories(fixture->folder);
    fixture->sung = test::MakeSungSong(test::VersesAndChorus(wordsPerMinute), fixture->folder.string());
    fixture->analysis = AnalyseMusic(fixture->sung.wavPath);
  }
  return *fixture;
}

enum Method { kSpreadOnly, kSpreadAndSnap, kWordTaps, kWordTapsSnapped };

void TimeOnce(Song& song, const Fixture& f, Method method, uint32_t seed) {
  switch (method) {
    case kSpreadOnly:
    case kSpreadAndSnap:
      TimeLinesFromTaps(
          song, test::LineTapsNearTruth(f.sung, 40, seed), f.analysis->voice, f.sung.sampleRate,
          {.snap = method == kSpreadAndSnap, .windowMs = kDefaultSnapWindowMs, .copyRepeatedLines = true});
      break;
    case kWordTaps:
    case kWordTapsSnapped:
      test::TapWordsNearTruth(song, f.sung, 40, seed);
      if (method == kWordTapsSnapped)
        SnapWordsToVoice(song, 0, song.Lyrics().WordCount() - 1, f.analysis->voice.onsets, f.sung.sampleRate,
                         {.windowMs = kDefaultSnapWindowMs, .respreadUnsnapped = false, .anchored = {}});
      break;
  }
}

void BM_TimingHelp(benchmark::State& state) {
  SetAppSettings(std::make_unique<MemorySettings>());
  const Fixture& f = SungFixture(static_cast<int>(state.range(1)));
  const auto method = static_cast<Method>(state.range(0));
  Song song("/tmp/timing_help_bench.lfp");
  song.ResetSongDefaults();
  test::LaySungLyrics(song, f.sung);
  test::StartErrors all;
  uint32_t seed = 0;
  for (auto _ : state) {
    TimeOnce(song, f, method, ++seed);
    const test::StartErrors errors = test::ErrorsAgainstTruth(song, f.sung);
    all.ms.insert(all.ms.end(), errors.ms.begin(), errors.ms.end());
  }
  std::sort(all.ms.begin(), all.ms.end());
  state.counters["median_ms"] = all.Median();
  state.counters["p90_ms"] = all.Percentile(0.9);
  state.counters["within50"] = all.ShareWithin(50);
  state.counters["within100"] = all.ShareWithin(100);
  static const char* const kNames[] = {"spread only", "spread+snap", "word taps", "word taps+snap"};
  state.SetLabel(std::string(kNames[method]) + ", " + std::to_string(state.range(1)) + " wpm");
}
BENCHMARK(BM_TimingHelp)
    ->ArgsProduct({{kSpreadOnly, kSpreadAndSnap, kWordTaps, kWordTapsSnapped}, {150, 200}})
    ->Iterations(20)
    ->Unit(benchmark::kMicrosecond);

// The automatic first pass: no taps at all, the recogniser told only the words.
void BM_AutomaticFirstPass(benchmark::State& state) {
  SetAppSettings(std::make_unique<MemorySettings>());
  const Fixture& f = SungFixture(static_cast<int>(state.range(0)));
  Song song("/tmp/timing_help_bench.lfp");
  song.ResetSongDefaults();
  AlignResult aligned;
  for (auto _ : state) {
    test::LaySungLyrics(song, f.sung);
    aligned = AlignLyricsToSpeech(song, f.sung.wavPath, DefaultSpeechModel(), {.replaceTimed = true});
  }
  if (!aligned.outcome) {
    state.SkipWithError(aligned.outcome.text.c_str());
    return;
  }
  const test::StartErrors errors = test::ErrorsAgainstTruth(song, f.sung);
  state.counters["median_ms"] = errors.Median();
  state.counters["p90_ms"] = errors.Percentile(0.9);
  state.counters["within50"] = errors.ShareWithin(50);
  state.counters["within100"] = errors.ShareWithin(100);
  state.counters["heard"] = aligned.found;
  state.SetLabel("automatic, " + std::to_string(state.range(0)) + " wpm");
}
BENCHMARK(BM_AutomaticFirstPass)->Arg(150)->Arg(200)->Iterations(1)->Unit(benchmark::kMillisecond);

// The voice part's analysis of the sung song's music (onsets of the mix and the voice).
void BM_AnalyseSungMusic(benchmark::State& state) {
  const Fixture& f = SungFixture(150);
  for (auto _ : state) {
    std::filesystem::remove(f.sung.wavPath + ".voice");
    benchmark::DoNotOptimize(AnalyseMusic(f.sung.wavPath));
  }
  state.counters["music_s"] = static_cast<double>(f.sung.words.back().endFrame) / f.sung.sampleRate;
}
BENCHMARK(BM_AnalyseSungMusic)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
