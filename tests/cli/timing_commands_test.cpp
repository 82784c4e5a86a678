// place and nudge as a user runs them: taps and moves in, the saved times out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "core/song/song.h"
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

// Times past the end of the music never make an output longer than the
// music and its credits: an LRC line timed at 800 minutes is left untimed, a
// tap there is refused, and a project holding one (INT_MAX, hand-made) is
// told and brought back to the music's end.
TEST(TimingCommands, TimesPastTheMusicAreRefusedOrBroughtBack) {
  test::TempDir dir;
  test::WriteFileBytes(dir.File("demo.wav"), test::ToneWav(44100, 16, 2, 44100 * 28));
  test::WriteFileBytes(dir.File("late.lrc"),
                       "[00:10.00]<00:10.00>first <00:11.00>word<00:12.00>\n"
                       "[800:00.00]<800:00.00>late <800:01.00>word<800:02.00>\n");
  const std::string project = dir.File("late.lfp");
  const auto made = RunCli({"new", "-o", project, "--music", dir.File("demo.wav"), "--lyrics", dir.File("late.lrc")});
  ASSERT_EQ(made.exitCode, 0) << made.err;
  EXPECT_NE(made.err.find("1 line is timed past the end of the music"), std::string::npos) << made.err;
  const auto imported = test::SavedWordTimes(project);
  ASSERT_EQ(imported.size(), 4u);
  EXPECT_EQ(imported[2], std::make_pair(0L, 0L));

  constexpr long kBinBytesPerSecond = 75 * 2448, kCdgBytesPerSecond = 300 * 24;
  const long musicSeconds = 28, boundSeconds = musicSeconds + 3 + 60;  // held words, the credits
  const auto bin = RunCli({"export", project, "--format", "bin", "-o", dir.File("big.bin")});
  ASSERT_EQ(bin.exitCode, 0) << bin.err;
  EXPECT_LE(static_cast<long>(std::filesystem::file_size(dir.File("big.bin"))), boundSeconds * kBinBytesPerSecond);

  const std::string before = test::ReadFileBytes(project);
  const auto tapped = RunCli({"place", project, "1", "2", "3", "40000"});
  EXPECT_EQ(tapped.exitCode, 2);
  EXPECT_NE(tapped.err.find("past the end of the music"), std::string::npos) << tapped.err;
  EXPECT_EQ(test::ReadFileBytes(project), before);
  test::WriteFileBytes(dir.File("short.wav"), test::ToneWav(44100, 16, 2, 44100));
  const auto shorter = RunCli({"set", project, "music=" + dir.File("short.wav")});
  EXPECT_EQ(shorter.exitCode, 2);
  EXPECT_NE(shorter.err.find("2 words are timed past the end of"), std::string::npos) << shorter.err;
  EXPECT_EQ(test::ReadFileBytes(project), before);

  // A word time of INT_MAX in the file itself.
  {
    Song crafted(project);
    ASSERT_TRUE(crafted.LoadProject().Ok());
    crafted.Lyrics().SetWordEnd(1, INT32_MAX);
    crafted.Lyrics().SetWordStart(3, INT32_MAX - 1);
    crafted.Lyrics().SetWordEnd(3, INT32_MAX);
    crafted.Lyrics().Word(3)->m_line->m_placed = true;
    ASSERT_TRUE(crafted.SaveProject());
  }
  const auto compiled = RunCli({"compile", project, "-o", dir.File("late.cdg")});
  ASSERT_EQ(compiled.exitCode, 0) << compiled.err;
  EXPECT_NE(compiled.err.find("2 words were timed past the end of the music"), std::string::npos) << compiled.err;
  EXPECT_LE(static_cast<long>(std::filesystem::file_size(dir.File("late.cdg"))), boundSeconds * kCdgBytesPerSecond);
  // A command that saves keeps the times brought back to the music's end.
  ASSERT_EQ(RunCli({"set", project, "title=Late"}).exitCode, 0);
  for (const auto& [start, end] : test::SavedWordTimes(project)) EXPECT_LE(end, (musicSeconds + 3) * 44100L);
}

// The timing help from the command line: lines placed from one tap each and
// moved onto the voice, every word snapped, a run shifted, a shift refused.
TEST(TimingCommands, LineTapsSnapAndShiftTimeTheSongByEar) {
  test::TempDir dir;
  // A voice in the centre: a syllable at each of these seconds.
  const double sung[] = {1.00, 1.40, 1.80, 3.00, 3.45};
  std::vector<int16_t> samples(44100 * 5 * 2, 0);
  for (double at : sung)
    for (int f = 0; f < 8820; ++f) {
      const double t = f / 44100.0;
      const auto v = static_cast<int16_t>(9000 * std::min(1.0, t / 0.01) * std::exp(-t * 6) *
                                          (std::sin(2 * M_PI * 220 * t) + 0.5 * std::sin(2 * M_PI * 440 * t)));
      samples[(static_cast<size_t>(at * 44100) + f) * 2] = samples[(static_cast<size_t>(at * 44100) + f) * 2 + 1] = v;
    }
  test::WriteFileBytes(dir.File("voice.wav"), test::MakeRiffWave({{"fmt ", test::FmtBody(2, 44100, 16)},
                                                                  {"data", test::PcmBytes(samples, 16)}}));
  test::WriteFileBytes(dir.File("words.txt"), "one two three\nfour five");
  const std::string project = dir.File("song.lfp");
  ASSERT_EQ(
      RunCli({"new", "-o", project, "--music", dir.File("voice.wav"), "--lyrics", dir.File("words.txt")}).exitCode, 0);

  const auto placed = RunCli({"place", project, "--lines", "1.03", "2.97,3.7"});
  ASSERT_EQ(placed.exitCode, 0) << placed.err;
  auto times = test::SavedWordTimes(project);
  ASSERT_EQ(times.size(), 5u);
  for (size_t i = 0; i < 5; ++i) EXPECT_NEAR(times[i].first, sung[i] * 44100, 441) << "word " << i;

  ASSERT_EQ(RunCli({"shift", project, "--from", "3", "--by", "-100"}).exitCode, 0);
  EXPECT_NEAR(test::SavedWordTimes(project)[3].first, (sung[3] - 0.1) * 44100, 442);
  const auto snapped = RunCli({"snap", project, "--window", "150"});
  ASSERT_EQ(snapped.exitCode, 0) << snapped.err;
  EXPECT_NEAR(test::SavedWordTimes(project)[3].first, sung[3] * 44100, 441);

  const std::string before = test::ReadFileBytes(project);
  const auto refused = RunCli({"shift", project, "--from", "1", "--to", "1", "--by", "-500"});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("would move 'two' past 'one'"), std::string::npos) << refused.err;
  EXPECT_EQ(test::ReadFileBytes(project), before);
  EXPECT_EQ(RunCli({"place", project, "--lines", "2", "1"}).exitCode, 2);
  EXPECT_EQ(RunCli({"snap", project, "--window", "5"}).exitCode, 2);
  EXPECT_EQ(test::ReadFileBytes(project), before);
}

}  // namespace
}  // namespace lf
