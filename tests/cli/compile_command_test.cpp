// compile and project render, run as a black box on the demo song.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>

#include "tests/support/cli_runner.h"

namespace lf {
namespace {

using test::CliResult;
using test::RunCli;
using test::TempDir;

int Lines(const std::string& s) { return static_cast<int>(std::count(s.begin(), s.end(), '\n')); }

long JsonInt(const std::string& json, const std::string& key) {
  std::smatch m;
  if (!std::regex_search(json, m, std::regex("\"" + key + "\":(-?[0-9]+)"))) return -1;
  return std::stol(m[1]);
}

// The demo song's music and timed lyrics in a new project with a title page.
std::string MakeDemoProject(const TempDir& dir) {
  const std::string project = dir.File("demo.lfp");
  EXPECT_EQ(RunCli({"synth-demo", "-o", dir.File("demo.wav"), "--lrc", dir.File("demo.lrc")}).exitCode, 0);
  EXPECT_EQ(RunCli({"new", "-o", project, "--music", dir.File("demo.wav"), "--lyrics", dir.File("demo.lrc")}).exitCode,
            0);
  EXPECT_EQ(RunCli({"set", project, "titlePage.enabled=1", "titlePage.text=Demo"}).exitCode, 0);
  return project;
}

TEST(CompileCommand, WritesTheStreamUpToItsEndAndReportsTheLeadIn) {
  TempDir dir;
  const std::string project = MakeDemoProject(dir);
  const CliResult r = RunCli({"compile", project, "-o", dir.File("out.cdg"), "--json"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const long endOffset = JsonInt(r.out, "endOffset");
  EXPECT_GT(JsonInt(r.out, "leadIn"), 0) << "the title page needs time before the first line";
  EXPECT_GT(JsonInt(r.out, "introLength"), 0);
  EXPECT_EQ(JsonInt(r.out, "creditsLength"), 0);
  ASSERT_GT(endOffset, 0);
  EXPECT_EQ(endOffset % 24, 0);
  EXPECT_EQ(static_cast<long>(std::filesystem::file_size(dir.File("out.cdg"))), endOffset);

  // Compiling is repeatable: the same project gives the same stream.
  ASSERT_EQ(RunCli({"compile", project, "-o", dir.File("again.cdg")}).exitCode, 0);
  EXPECT_EQ(test::ReadFileBytes(dir.File("out.cdg")), test::ReadFileBytes(dir.File("again.cdg")));

  // A project renders as its compiled stream does.
  for (const char* at : {"3", "15.5"}) {
    ASSERT_EQ(RunCli({"render", project, "--at", at, "-o", dir.File("p.png")}).exitCode, 0);
    ASSERT_EQ(RunCli({"render", dir.File("out.cdg"), "--at", at, "-o", dir.File("c.png")}).exitCode, 0);
    EXPECT_EQ(test::ReadFileBytes(dir.File("p.png")), test::ReadFileBytes(dir.File("c.png"))) << "at " << at;
  }
}

TEST(CompileCommand, FailuresAreOneLineAndLeaveNoFile) {
  TempDir dir;
  CliResult r = RunCli({"compile", dir.File("missing.lfp"), "-o", dir.File("x.cdg")});
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_EQ(Lines(r.err), 1) << r.err;

  const std::string project = MakeDemoProject(dir);
  r = RunCli({"compile", project, "-o", dir.File("no/such/folder/x.cdg")});
  EXPECT_EQ(r.exitCode, 4);
  EXPECT_EQ(Lines(r.err), 1) << r.err;

  // Music that has gone missing since the project was made.
  std::filesystem::remove(dir.File("demo.wav"));
  r = RunCli({"compile", project, "-o", dir.File("x.cdg")});
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_EQ(Lines(r.err), 1) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir.File("x.cdg")));

  r = RunCli({"compile", project});
  EXPECT_EQ(r.exitCode, 2);
}

TEST(CompileCommand, ProjectWithoutMusicStillCompilesItsLyrics) {
  TempDir dir;
  ASSERT_EQ(RunCli({"synth-demo", "-o", dir.File("demo.wav"), "--lrc", dir.File("demo.lrc")}).exitCode, 0);
  ASSERT_EQ(RunCli({"new", "-o", dir.File("words.lfp"), "--lyrics", dir.File("demo.lrc")}).exitCode, 0);
  const CliResult r = RunCli({"compile", dir.File("words.lfp"), "-o", dir.File("w.cdg"), "--json"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_GT(JsonInt(r.out, "endOffset"), 24 * 300) << "the lines are drawn and swept";
}

// Credits that run a minute past the music lengthen the song, not the user's
// file: the WAV stays byte for byte, nothing is left beside it, and the stream
// runs on through the credits.
TEST(CompileCommand, CreditsPastTheMusicLeaveTheMusicFileAsItWas) {
  TempDir dir;
  const std::string project = MakeDemoProject(dir);
  ASSERT_EQ(
      RunCli({"set", project, "creditsPage.enabled=1", "creditsPage.hold=6000", "creditsPage.text=Thanks"}).exitCode,
      0);
  const auto music = test::ReadFileBytes(dir.File("demo.wav"));
  const auto filesBefore = std::distance(std::filesystem::directory_iterator(dir.Path()), {});
  const CliResult r = RunCli({"compile", project, "-o", dir.File("out.cdg"), "--json"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(test::ReadFileBytes(dir.File("demo.wav")), music);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), filesBefore + 1);
  const CliResult length = RunCli({"duration", dir.File("demo.wav")});
  ASSERT_EQ(length.exitCode, 0) << length.err;
  const long musicMs = std::stol(length.out);
  EXPECT_GT(JsonInt(r.out, "creditsLength"), 0);
  EXPECT_GT(JsonInt(r.out, "endOffset") / 7.2, musicMs + 50000) << "the credits hold for a minute after the music";
}

}  // namespace
}  // namespace lf
