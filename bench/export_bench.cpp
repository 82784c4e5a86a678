// A whole MP3+G export of a four-minute song (compile, encode, .cdg) against
// encoding the same music with the `lame` tool at the same bit rate, measured
// in the same run. The counter `ratio` is export time / lame time (goal: <= 1.2).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "platform/paths.h"

namespace {

double TimedRun(const std::string& command) {
  const auto start = std::chrono::steady_clock::now();
  if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_Mp3gExportVsLame(benchmark::State& state) {
  lf::ScopedTempFolder dir("export-bench");
  const std::string cli = LYRICFORGE_CLI_PATH;
  const std::string wav = dir.File("song.wav"), lrc = dir.File("song.lrc"), project = dir.File("song.lfp");
  const std::string quiet = " >/dev/null 2>&1";
  // 10 verses of the demo song: 4 minutes 4 seconds, every word timed.
  TimedRun(cli + " synth-demo --verses 10 -o " + wav + " --lrc " + lrc + quiet);
  TimedRun(cli + " new -o " + project + " --music " + wav + " --lyrics " + lrc + quiet);
  const std::string exportCmd = cli + " export " + project + " --format mp3g --bitrate 128 -o " + dir.File("out.mp3") + quiet;
  const std::string lameCmd = "lame --quiet --cbr -b 128 " + wav + " " + dir.File("lame.mp3") + quiet;

  double exportTotal = 0, lameTotal = 0;
  for (auto _ : state) {
    const double e = TimedRun(exportCmd);
    const double l = TimedRun(lameCmd);
    exportTotal += e;
    lameTotal += l;
    state.SetIterationTime(e);
  }
  const double n = double(state.iterations());
  state.counters["export_s"] = exportTotal / n;
  state.counters["lame_s"] = lameTotal / n;
  state.counters["ratio"] = exportTotal / lameTotal;
}
BENCHMARK(BM_Mp3gExportVsLame)->UseManualTime()->Iterations(3)->Unit(benchmark::kSecond);

}  // namespace
