// How far a tap's placed time is from the music heard at the press, on the
// dummy driver and on a private sound server (PulseAudio, null sink), at
// full and quarter tempo. Counters: the device's output latency, the
// median and worst error in milliseconds. On the dummy driver, which is its
// own clock, the errors are about their own median (jitter only).
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "tests/support/heard_time_probe.h"
#include "tests/support/private_sound_server.h"

namespace {

void Report(benchmark::State& state, const lf::test::HeardTimeFigures& f) {
  state.counters["latency_ms"] = f.latencyMs;
  state.counters["median_ms"] = f.medianMs;
  state.counters["worst_ms"] = f.worstMs;
  state.counters["taps"] = f.taps;
  state.counters["start_ms"] = f.startMs;
  state.SetLabel(f.output);
}

void Measure(benchmark::State& state, bool server) {
  const int percent = static_cast<int>(state.range(0));
  lf::test::PrivateSoundServer sound;
  if (server && !sound.Start()) {
    state.SkipWithError(("no sound server: " + sound.Error()).c_str());
    return;
  }
  if (!server) setenv("SDL_AUDIODRIVER", "dummy", 1);
  for (auto _ : state) {
    std::string error;
    const auto figures =
        lf::test::MeasureHeardTime(percent, 6.0, server ? lf::test::PrivateSoundServer::MonitorName() : "", &error);
    if (!figures) {
      state.SkipWithError(error.c_str());
      return;
    }
    Report(state, *figures);
  }
}

void BM_HeardTimeDummy(benchmark::State& state) { Measure(state, false); }
void BM_HeardTimeServer(benchmark::State& state) { Measure(state, true); }

BENCHMARK(BM_HeardTimeDummy)->Arg(100)->Arg(25)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_HeardTimeServer)->Arg(100)->Arg(25)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
