// The command-line contract: help for every command, one-line errors whatever
// the names hold, and "--" to end the options.
#include <gtest/gtest.h>

#include "tests/support/cli_runner.h"
#include "tests/support/media_probe.h"

namespace lf {
namespace {

using test::RunCli;
using test::TempDir;

size_t LineCount(const std::string& s) { return static_cast<size_t>(std::count(s.begin(), s.end(), '\n')); }

TEST(CliContract, HelpListsEveryCommandAndDescribesEach) {
  const auto list = RunCli({"--help"});
  ASSERT_EQ(list.exitCode, 0);
  const char* commands[] = {"new",    "info",   "lines", "import",   "set",    "compile",
                            "export", "render", "dump",  "duration", "prepare"};
  for (const char* name : commands) {
    SCOPED_TRACE(name);
    EXPECT_NE(list.out.find(std::string("\n  ") + name + " "), std::string::npos);
    const auto asked = RunCli({"help", name});
    const auto flagged = RunCli({name, "--help"});
    EXPECT_EQ(asked.exitCode, 0);
    EXPECT_EQ(flagged.exitCode, 0);
    EXPECT_EQ(asked.out, flagged.out);
    EXPECT_EQ(asked.out.rfind(std::string("usage: lyricforge-cli ") + name, 0), 0u) << asked.out;
    EXPECT_GT(LineCount(asked.out), 3u);
  }
  EXPECT_NE(RunCli({"help", "export"}).out.find("--format"), std::string::npos);
  EXPECT_NE(RunCli({"help", "nothing"}).exitCode, 0);
}

TEST(CliContract, EveryFailureIsOneLineWithControlCharactersQuoted) {
  TempDir dir;
  const std::string newline = dir.File("a\nb.lfp");
  const std::vector<std::vector<std::string>> failing = {
      {},
      {"nothing"},
      {"compile"},
      {"compile", dir.File("x.lfp")},
      {"export", dir.File("x.lfp"), "--format", "ogg", "-o", "x"},
      {"info", newline},
      {"render", newline, "--at", "1", "-o", dir.File("x.png")},
      {"set", dir.File("x.lfp"), "bad\x1b[2Jkey=1"},
  };
  for (const auto& command : failing) {
    SCOPED_TRACE(command.empty() ? "(none)" : command[0]);
    const auto r = RunCli(command);
    EXPECT_NE(r.exitCode, 0);
    EXPECT_EQ(LineCount(r.err), 1u) << r.err;
    EXPECT_EQ(r.err.find("usage:"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\x1b'), std::string::npos) << r.err;
  }
  EXPECT_NE(RunCli({"info", newline}).err.find("a\\nb.lfp"), std::string::npos);
}

TEST(CliContract, DoubleDashEndsTheOptions) {
  TempDir dir;
  int status = -1;
  const std::string cli = LYRICFORGE_CLI_PATH;
  test::RunCommand("cd " + test::ShellQuote(dir.Path()) + " && " + cli + " new -o --odd.lfp", &status);
  ASSERT_EQ(status, 0);
  const std::string info =
      test::RunCommand("cd " + test::ShellQuote(dir.Path()) + " && " + cli + " info -- --odd.lfp 2>&1", &status);
  EXPECT_EQ(status, 0) << info;
  EXPECT_NE(test::RunCommand("cd " + test::ShellQuote(dir.Path()) + " && " + cli + " info --odd.lfp 2>&1", &status)
                .find("unknown option --odd.lfp"),
            std::string::npos);
}

}  // namespace
}  // namespace lf
