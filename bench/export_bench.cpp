// A whole MP3+G export of a four-minute song (compile, encode, .cdg) against
// encoding the same music with the `lame` tool at the same bit rate, measured
// in the same run. The counter `ratio` is export time / lame time (goal: <= 1.2).
// And a whole BIN export of the same song against `cp` of its WAV: the export
// reads the music once, so it costs about a copy plus the program's start-up.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "core/platform/paths.h"

namespace {

double TimedRun(const std::string& command) {
  const auto start = std::chrono::steady_clock::now();
  if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

const std::string kCli = LYRICFORGE_CLI_PATH;
const std::string kQuiet = " >/dev/null 2>&1";

// 10 verses of the demo song: 4 minutes 4 seconds, every word timed.
struct DemoProject {
  lf::ScopedTempFolder dir{"export-bench"};
  std::string wav = dir.File("song.wav"), project = dir.File("song.lfp");
  DemoProject() {
    TimedRun(kCli + " synth-demo --verses 10 -o " + wav + " --lrc " + dir.File("song.lrc") + kQuiet);
    TimedRun(kCli + " new -o " + project + " --music " + wav + " --lyrics " + dir.File("song.lrc") + kQuiet);
  }
};

// Times the two commands in turn; `ratio` is the export's total over the reference's.
void RunAgainst(benchmark::State& state, const std::string& exportCmd, const std::string& referenceCmd,
                const char* referenceName) {
  double exportTotal = 0, referenceTotal = 0;
  for (auto _ : state) {
    const double e = TimedRun(exportCmd);
    const double r = TimedRun(referenceCmd);
    exportTotal += e;
    referenceTotal += r;
    state.SetIterationTime(e);
  }
  const double n = double(state.iterations());
  state.counters["export_s"] = exportTotal / n;
  state.counters[referenceName] = referenceTotal / n;
  state.counters["ratio"] = exportTotal / referenceTotal;
}

void BM_Mp3gExportVsLame(benchmark::State& state) {
  DemoProject demo;
  RunAgainst(state,
             kCli + " export " + demo.project + " --format mp3g --bitrate 128 -o " + demo.dir.File("out.mp3") + kQuiet,
             "lame --quiet --cbr -b 128 " + demo.wav + " " + demo.dir.File("lame.mp3") + kQuiet, "lame_s");
}
BENCHMARK(BM_Mp3gExportVsLame)->UseManualTime()->Iterations(3)->Unit(benchmark::kSecond);

void BM_BinExportVsCp(benchmark::State& state) {
  DemoProject demo;
  RunAgainst(state, kCli + " export " + demo.project + " --format bin -o " + demo.dir.File("out.bin") + kQuiet,
             "cp " + demo.wav + " " + demo.dir.File("copy.wav") + kQuiet, "cp_s");
}
BENCHMARK(BM_BinExportVsCp)->UseManualTime()->Iterations(9)->Unit(benchmark::kSecond);

}  // namespace
