// What the package installs beside lyricforge-cli and is written by it: the
// version line, the manual pages and the shell completions. Each is checked
// against what `--help` and `help COMMAND` say, so none can fall behind them.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "lyricforge_version.h"
#include "tests/support/cli_runner.h"
#include "tests/support/media_probe.h"

namespace lf::test {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The commands `--help` lists: the first word of each line under "commands:".
std::vector<std::string> ListedCommands() {
  const CliResult list = RunCli({"--help"});
  EXPECT_EQ(list.exitCode, 0);
  std::vector<std::string> names;
  bool inList = false;
  for (const std::string& line : Lines(list.out)) {
    if (line == "commands:") inList = true;
    if (inList && line.rfind("  ", 0) == 0) names.push_back(line.substr(2, line.find(' ', 2) - 2));
  }
  EXPECT_GE(names.size(), 11u) << list.out;
  return names;
}

// The options `help COMMAND` describes: each line's first word when it starts with "-".
std::set<std::string> HelpOptions(const std::string& command) {
  std::set<std::string> options;
  for (const std::string& line : Lines(RunCli({"help", command}).out)) {
    if (line.rfind("  -", 0) != 0) continue;
    options.insert(line.substr(2, line.find(' ', 2) - 2));
  }
  return options;
}

TEST(InstallTexts, VersionIsOneLineWithTheBuildsVersion) {
  const CliResult r = RunCli({"--version"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, std::string("lyricforge-cli ") + LYRICFORGE_VERSION + "\n");
  EXPECT_EQ(std::string(LYRICFORGE_VERSION).rfind(LYRICFORGE_RELEASE, 0), 0u);
  EXPECT_EQ(r.err, "");
  EXPECT_NE(RunCli({"--version", "x"}).exitCode, 0);
}

// man renders both pages without a warning; the tool's page names every
// listed command and every option its help gives.
TEST(InstallTexts, ManualPagesRenderAndDescribeEveryCommandAndOption) {
  TempDir dir;
  for (const std::string program : {"lyricforge-cli", "lyricforge"}) {
    SCOPED_TRACE(program);
    const CliResult page = RunCli({"help", "--man", program});
    ASSERT_EQ(page.exitCode, 0) << page.err;
    WriteFileBytes(dir.File(program + ".1"), page.out);
    int status = -1;
    const std::string warnings = RunCommand(
        "MANWIDTH=200 man --warnings=all -l " + ShellQuote(dir.File(program + ".1")) + " 2>&1 >/dev/null", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(warnings, "");
    const std::string shown =
        RunCommand("MANWIDTH=200 MAN_KEEP_FORMATTING= man -l " + ShellQuote(dir.File(program + ".1")) + " | col -b");
    EXPECT_NE(shown.find("--version"), std::string::npos) << shown;
    if (program == "lyricforge") {
      EXPECT_NE(shown.find("PROJECT.lfp"), std::string::npos) << shown;
      continue;
    }
    for (const std::string& command : ListedCommands()) {
      SCOPED_TRACE(command);
      EXPECT_NE(shown.find("\n   " + command + "\n"), std::string::npos) << "no section for " << command;
      EXPECT_NE(shown.find("lyricforge-cli " + command + " "), std::string::npos);
      for (const std::string& option : HelpOptions(command))
        EXPECT_NE(shown.find("       " + option), std::string::npos) << option;
    }
  }
  const CliResult unknown = RunCli({"help", "--man", "other"});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_EQ(unknown.out, "");
}

// The completions offer what the help lists; each such option must be one
// the command's parser takes (given alone it fails, but not as unknown).
TEST(InstallTexts, EveryOptionTheHelpListsIsOneTheCommandTakes) {
  for (const std::string& command : ListedCommands()) {
    for (const std::string& option : HelpOptions(command)) {
      if (option == "--") continue;
      SCOPED_TRACE(command + " " + option);
      const CliResult flag = RunCli({command, option});
      const CliResult valued = RunCli({command, option, "/nonexistent-folder/x"});
      EXPECT_EQ(flag.err.find("unknown option"), std::string::npos) << flag.err;
      EXPECT_EQ(valued.err.find("unknown option"), std::string::npos) << valued.err;
    }
  }
  EXPECT_NE(RunCli({"info", "--nothing"}).err.find("unknown option"), std::string::npos);
}

class BashCompletion : public ::testing::Test {
 protected:
  void SetUp() override {
    const CliResult script = RunCli({"help", "--bash"});
    ASSERT_EQ(script.exitCode, 0);
    WriteFileBytes(m_dir.File("completion.bash"), script.out);
    std::filesystem::create_directories(m_dir.File("files/songs"));
    for (const char* name :
         {"a.wav", "b.MP3", "c.wma", "d.txt", "e.LRC", "f.kar", "g.mid", "h.lfp", "i.cdg", "j.png", "k.ogg", "l.bin"})
      WriteFileBytes(m_dir.File(std::string("files/") + name), "");
  }

  // What bash offers for the last word of `words` (after lyricforge-cli), sorted.
  std::set<std::string> Offered(const std::vector<std::string>& words) {
    std::string array = "lyricforge-cli";
    for (const std::string& w : words) array += " " + ShellQuote(w);
    int status = -1;
    const std::string out = RunCommand("cd " + ShellQuote(m_dir.File("files")) + " && bash --norc -c " +
                                           ShellQuote("source ../completion.bash && COMP_WORDS=(" + array +
                                                      ") && COMP_CWORD=" + std::to_string(words.size()) +
                                                      " && _lyricforge_cli && printf '%s\\n' \"${COMPREPLY[@]}\"") +
                                           " 2>&1",
                                       &status);
    EXPECT_EQ(status, 0) << out;
    std::set<std::string> offered;
    for (const std::string& line : Lines(out))
      if (!line.empty()) offered.insert(line);
    return offered;
  }

  TempDir m_dir;
};

TEST_F(BashCompletion, OffersEveryListedCommandAndEachCommandsOptions) {
  const std::set<std::string> first = Offered({""});
  for (const std::string& command : ListedCommands()) {
    SCOPED_TRACE(command);
    EXPECT_TRUE(first.count(command)) << "the first word does not offer " << command;
    std::set<std::string> options = HelpOptions(command);
    options.insert("--help");
    EXPECT_EQ(Offered({command, "-"}), options);
  }
  EXPECT_TRUE(first.count("--version"));
}

// Values and arguments: file names with the endings each reads (any case, and
// folders to go down into), or the words an option takes.
TEST_F(BashCompletion, OffersTheFilesAndWordsEachArgumentTakes) {
  using Words = std::vector<std::string>;
  const std::set<std::string> music{"a.wav", "b.MP3", "c.wma", "songs"};
  const std::set<std::string> lyrics{"d.txt", "e.LRC", "f.kar", "g.mid", "songs"};
  const std::set<std::string> project{"h.lfp", "songs"};
  const struct {
    Words words;
    std::set<std::string> offered;
  } cases[] = {
      {{"new", "--music", ""}, music},
      {{"new", "--lyrics", ""}, lyrics},
      {{"new", "-o", ""}, project},
      {{"new", "--force", "--music", ""}, music},
      {{"new", "--music", "a.wav", "--lyrics", ""}, lyrics},
      {{"import", ""}, lyrics},
      {{"import", "d.txt", "-o", ""}, project},
      {{"prepare", ""}, music},
      {{"info", ""}, project},
      {{"info", "--json", ""}, project},
      {{"info", "h.lfp", ""}, {}},
      {{"render", ""}, {"h.lfp", "i.cdg", "songs"}},
      {{"render", "h.lfp", "-o", ""}, {"j.png", "songs"}},
      {{"dump", ""}, {"i.cdg", "songs"}},
      {{"duration", ""}, {"a.wav", "b.MP3", "c.wma", "l.bin", "songs"}},
      {{"export", "h.lfp", "--format", ""},
       {"bin", "mp3g", "wmag", "mp4", "ass", "ultrastar", "ttml", "vtt", "srt", "lrc"}},
      {{"export", "h.lfp", "--format", "m"}, {"mp3g", "mp4"}},
      {{"export", "h.lfp", "--lrc", ""}, {"simple", "enhanced"}},
      {{"export", "h.lfp", "--bitrate", ""}, {}},
      {{"format", "h.lfp", ""}, {"capitalize", "lowercase", "first-word"}},
      {{"nudge", "h.lfp", "3", "start+", "s"}, {"start+", "start-", "snap"}},
      {{"help", "ex"}, {"export"}},
      {{"info", "--", "-"}, {}},
  };
  for (const auto& c : cases) {
    std::string shown;
    for (const std::string& w : c.words) shown += w + " ";
    SCOPED_TRACE(shown);
    EXPECT_EQ(Offered(c.words), c.offered);
  }
}

TEST(InstallTexts, ZshCompletionParsesAndNamesEveryCommand) {
  int status = -1;
  RunCommand("command -v zsh >/dev/null", &status);
  ASSERT_EQ(status, 0) << "zsh is not installed (scripts/install-deps.sh)";
  const CliResult script = RunCli({"help", "--zsh"});
  ASSERT_EQ(script.exitCode, 0);
  EXPECT_EQ(script.out.rfind("#compdef lyricforge-cli\n", 0), 0u);
  TempDir dir;
  WriteFileBytes(dir.File("_lyricforge-cli"), script.out);
  const std::string errors = RunCommand("zsh -n " + ShellQuote(dir.File("_lyricforge-cli")) + " 2>&1", &status);
  EXPECT_EQ(status, 0) << errors;
  for (const std::string& command : ListedCommands()) {
    EXPECT_NE(script.out.find("\n    '" + command + ":"), std::string::npos) << command;
    EXPECT_NE(script.out.find("\n    " + command + ")\n"), std::string::npos) << command;
  }
  EXPECT_NE(script.out.find("'--music[the song'\\''s music"), std::string::npos);
  EXPECT_NE(script.out.find("_files -g \"*.(#i)(wav|mp3|wma)\""), std::string::npos);
}

}  // namespace
}  // namespace lf::test
