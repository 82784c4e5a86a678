// place and nudge as a user runs them: taps and moves in, the saved times out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tests/support/cli_runner.h"

namespace lf {
namespace {

using test::RunCli;

TEST(TimingCommands, PlaceThenNudgeWriteTheTimesThePagesWould) {
  test::TempDir dir;
  // A click track: short bursts at 1.0 and 2.3 s in silence, for snap to find.
  std::vector<int16_t> samples(44100 * 3 * 2, 0);
  for (double at : {1.0, 2.3})
    for (int f = 0; f < 4410; ++f)
      samples[(static_cast<size_t>(at * 44100) + f) * 2] = samples[(static_cast<size_t>(at * 44100) + f) * 2 + 1] =
          static_cast<int16_t>(12000 * std::sin(f * 0.09));
  test::WriteFileBytes(dir.File("music.wav"), test::MakeRiffWave({{"fmt ", test::FmtBody(2, 44100, 16)},
                                                                  {"data", test::PcmBytes(samples, 16)}}));
  test::WriteFileBytes(dir.File("words.txt"), "one two three");
  const std::string project = dir.File("song.lfp");
  ASSERT_EQ(
      RunCli({"new", "-o", project, "--music", dir.File("music.wav"), "--lyrics", dir.File("words.txt")}).exitCode, 0);

  const auto placed = RunCli({"place", project, "1.0", "pause:1.2", "1.5", "2.0", "back", "2.2"});
  ASSERT_EQ(placed.exitCode, 0) << placed.err;
  EXPECT_EQ(test::SavedWordTimes(project),
            (std::vector<std::pair<long, long>>{{44100, 52920}, {66150, 97020}, {97020, 141120}}));

  const auto nudged = RunCli({"nudge", project, "1", "start+", "end-", "end-"});
  ASSERT_EQ(nudged.exitCode, 0) << nudged.err;
  EXPECT_EQ(test::SavedWordTimes(project)[1], std::make_pair(74970L, 79380L));

  const auto snapped = RunCli({"nudge", project, "2", "snap"});
  ASSERT_EQ(snapped.exitCode, 0) << snapped.err;
  EXPECT_NEAR(test::SavedWordTimes(project)[2].first, 2.3 * 44100, 441);  // within 10 ms of the burst

  struct Bad {
    std::vector<std::string> args;
    int exitCode;
  };
  const Bad bad[] = {{{"place", project}, 2},
                     {{"place", project, "soon"}, 2},
                     {{"nudge", project, "3", "start+"}, 2},
                     {{"nudge", project, "0", "sideways"}, 2},
                     {{"nudge", project, "1", "snap"}, 1}};  // 1.7 s: no burst within 150 ms
  for (const Bad& b : bad) {
    const auto run = RunCli(b.args);
    EXPECT_EQ(run.exitCode, b.exitCode) << b.args.back() << ": " << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
}

}  // namespace
}  // namespace lf
