// Loop play on Adjust Lyrics: the silence between two passes over the play
// area of a four-minute song, from the player's end notice to the first
// sound of the next pass, recompiling included. Run with SDL_AUDIODRIVER=dummy.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "core/audio/wav_out_file.h"
#include "core/platform/paths.h"
#include "core/playback/rw_renderer.h"
#include "core/song/song.h"
#include "core/timing/cdg_timing_player.h"
#include "core/timing/nudge_session.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRate = 44100;
constexpr int kSeconds = 240;

void WriteTone(const std::string& path) {
  lf::WavOutFile wav(path, kRate, 16, 2);
  std::vector<int16_t> block(static_cast<size_t>(kRate) * 2);
  for (int s = 0; s < kSeconds; ++s) {
    for (int f = 0; f < kRate; ++f)
      block[f * 2] = block[f * 2 + 1] = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 220.0 * f / kRate));
    wav.WriteSamples(block.data(), static_cast<int>(block.size()));
  }
}

// Four words a line, one a second, from 5 s to the last minute.
void TimeSong(lf::Song& song) {
  std::string text;
  for (int line = 0; line < 55; ++line) text += "la la la la\n";
  song.SetRawLyrics(text);
  song.GenerateKaraokeLineList({.keepTimings = false, .convertMarkers = false});
  for (int i = 0; i < song.WordCount(); ++i) {
    song.Word(i)->m_startTime = (5 + i) * kRate;
    song.Word(i)->m_endTime = (6 + i) * kRate;
    song.Word(i)->m_line->m_placed = true;
  }
}

void BM_LoopPassGap(benchmark::State& state) {
  lf::ScopedTempFolder folder("lfbench");
  const std::string wav = folder.File("music.wav");
  WriteTone(wav);
  lf::Song song(folder.File("song.lfp"));
  song.ResetSongDefaults();
  song.SetMusicPath(wav);
  song.SetWorkingMusicPath(wav);
  song.AllocateRwMemory(true);
  TimeSong(song);
  // A short area (0.3 s each side of a word in the middle) so that passes come quickly.
  song.Settings().playBeforeInSeconds = song.Settings().playAfterInSeconds = 1;
  song.Settings().playBeforeAmount = song.Settings().playAfterAmount = 300;

  lf::CdgRenderer renderer;
  lf::CdgTimingPlayer player(&renderer, kRate, kRate / 300);
  lf::NudgeSession session(song, player, &renderer);
  session.Open();
  for (int i = 0; i < 100; ++i) session.SelectNext();

  std::mutex mutex;
  std::condition_variable ended;
  bool end = false;
  Clock::time_point endAt;
  player.SetEndNotice([&] {
    std::lock_guard lock(mutex);
    endAt = Clock::now();
    end = true;
    ended.notify_one();
  });
  session.AdjustPlay();
  if (session.Mode() != lf::NudgeMode::Loop) {
    state.SkipWithError("loop play did not start");
    return;
  }
  double restartCall = 0;
  for (auto _ : state) {
    {
      std::unique_lock lock(mutex);
      if (!ended.wait_for(lock, std::chrono::seconds(10), [&] { return end; })) {
        state.SkipWithError("no end notice");
        break;
      }
      end = false;
    }
    const auto before = Clock::now();
    session.OnEndNotice();
    restartCall += std::chrono::duration<double, std::milli>(Clock::now() - before).count();
    // The next pass is heard once the position moves on from where it starts.
    while (player.Position() <= session.PlayStart() && Clock::now() - endAt < std::chrono::seconds(2))
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - endAt).count());
  }
  session.AdjustPlay();  // stops
  // Of the gap, the part spent recompiling and starting the player.
  state.counters["restart_call_ms"] = restartCall / static_cast<double>(state.iterations());
}
// The recompile alone that every pass starts with: the song from a place in its middle.
void BM_AreaCompile(benchmark::State& state) {
  lf::ScopedTempFolder folder("lfbench");
  const std::string wav = folder.File("music.wav");
  WriteTone(wav);
  lf::Song song(folder.File("song.lfp"));
  song.ResetSongDefaults();
  song.SetWorkingMusicPath(wav);
  song.AllocateRwMemory(true);
  TimeSong(song);
  for (auto _ : state)
    benchmark::DoNotOptimize(
        lf::CompileAndKeep(song, song.Music().RwMemory(), song.Music().RwMemorySize(), 105 * kRate));
}
BENCHMARK(BM_AreaCompile)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_LoopPassGap)->UseManualTime()->Iterations(8)->Unit(benchmark::kMillisecond);

}  // namespace
