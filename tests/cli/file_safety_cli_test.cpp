// The command-line tool never loses work: outputs that would land on inputs,
// projects that already exist, extensions that do not match what is written,
// and outputs that are not regular files are refused in one line.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/cli_runner.h"
#include "tests/support/media_fixture.h"

namespace fs = std::filesystem;

namespace lf {
namespace {

using test::ReadFileBytes;
using test::RunCli;
using test::TempDir;

class FileSafetyCli : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteFileBytes(Path("song.wav"), test::ToneWav(44100, 16, 2, 44100));
    test::WriteFileBytes(Path("words.lrc"), "[00:00.50]one two\n[00:00.80]three\n");
    ASSERT_TRUE(test::MakeEncodedTone(Path("song.mp3"), 1.0));
    ASSERT_EQ(RunCli({"new", "-o", Path("p.lfp"), "--music", Path("song.wav"), "--lyrics", Path("words.lrc")}).exitCode,
              0);
  }
  std::string Path(const std::string& name) const { return dir.File(name); }
  // Every file of the folder with its bytes, to prove a refusal touched nothing.
  std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(dir.Path()))
      if (e.path().extension() != ".lock")  // the projects' lock files hold no data
        files[e.path().filename().string()] = e.is_regular_file() ? ReadFileBytes(e.path().string()) : "(other)";
    return files;
  }
  TempDir dir;
};

TEST_F(FileSafetyCli, RefusalsLeaveEveryFileAsItWas) {
  ASSERT_EQ(RunCli({"new", "-o", Path("mp3.lfp"), "--music", Path("song.mp3")}).exitCode, 0);
  test::WriteFileBytes(Path("notes.lrc"), "[00:01.00]not music\n");
  const std::vector<std::vector<std::string>> refused = {
      {"new", "-o", Path("p.lfp")},                                             // exists
      {"new", "-o", Path("song.wav"), "--music", Path("song.wav"), "--force"},  // output is the music
      {"new", "-o", Path("n.lfp"), "--music", Path("notes.lrc")},               // not music
      {"set", Path("p.lfp"), "music=" + Path("notes.lrc")},
      {"compile", Path("p.lfp"), "-o", Path("p.lfp")},
      {"compile", Path("p.lfp"), "-o", Path("song.wav")},
      {"render", Path("p.lfp"), "--at", "1", "-o", Path("p.lfp")},
      {"export", Path("p.lfp"), "--format", "bin", "-o", Path("p.lfp")},
      {"export", Path("mp3.lfp"), "--format", "mp3g", "-o", Path("x.cdg")},
      {"export", Path("mp3.lfp"), "--format", "mp3g", "--lrc", "simple", "-o", Path("x.lrc")},
      {"export", Path("mp3.lfp"), "--format", "mp3g", "--zip", "-o", Path("x.mp3")},
      {"export", Path("mp3.lfp"), "--format", "mp3g", "-o", Path("x.wma")},
      {"export", Path("mp3.lfp"), "--format", "mp3g", "-o", Path("song")},  // song.mp3 is the music
      {"import", Path("words.lrc"), "-o", Path("words.lrc")},
  };
  for (const auto& command : refused) {
    SCOPED_TRACE(command[0] + " " + command[command.size() - 1]);
    const auto before = Snapshot();
    const auto r = RunCli(command);
    EXPECT_GT(r.exitCode, 0);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(Snapshot(), before);
  }
  const auto notMusic = RunCli({"new", "-o", Path("n.lfp"), "--music", Path("notes.lrc")});
  EXPECT_NE(notMusic.err.find("Sample Rate must be 44,100"), std::string::npos) << notMusic.err;
}

TEST_F(FileSafetyCli, ForceReplacesAProjectAndExportsGetTheirExtension) {
  EXPECT_EQ(RunCli({"new", "--force", "-o", Path("p.lfp")}).exitCode, 0);
  EXPECT_NE(RunCli({"info", Path("p.lfp")}).out.find("lines: 0"), std::string::npos);

  ASSERT_EQ(RunCli({"new", "-o", Path("mp3.lfp"), "--music", Path("song.mp3")}).exitCode, 0);
  const auto plain = RunCli({"export", Path("mp3.lfp"), "--format", "mp3g", "-o", Path("karaoke")});
  ASSERT_EQ(plain.exitCode, 0) << plain.err;
  EXPECT_EQ(plain.out, Path("karaoke.mp3") + "\n");
  EXPECT_TRUE(fs::exists(Path("karaoke.mp3")));
  EXPECT_TRUE(fs::exists(Path("karaoke.cdg")));
  const auto zipped = RunCli({"export", Path("mp3.lfp"), "--format", "mp3g", "--zip", "-o", Path("Pack.ZIP")});
  ASSERT_EQ(zipped.exitCode, 0) << zipped.err;
  EXPECT_TRUE(fs::exists(Path("Pack.ZIP")));
}

// A project the author made read-only is replaced only when asked; a
// working folder that cannot be made is an output error, not bad music.
TEST_F(FileSafetyCli, ReadOnlyProjectsAndUnwritableWorkingFoldersAreOutputErrors) {
  chmod(Path("p.lfp").c_str(), 0444);
  const auto before = Snapshot();
  const auto refused = RunCli({"set", Path("p.lfp"), "title=New"});
  EXPECT_EQ(refused.exitCode, 4);
  EXPECT_NE(refused.err.find("read-only (--force replaces it)"), std::string::npos) << refused.err;
  EXPECT_EQ(Snapshot(), before);
  const auto forced = RunCli({"set", "--force", Path("p.lfp"), "title=New"});
  ASSERT_EQ(forced.exitCode, 0) << forced.err;
  EXPECT_NE(RunCli({"info", Path("p.lfp")}).out.find("New"), std::string::npos);
  struct stat info {};
  ASSERT_EQ(stat(Path("p.lfp").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0444u);

  for (const std::string& command :
       {"prepare " + test::ShellQuote(Path("song.mp3")),
        "compile " + test::ShellQuote(Path("p.lfp")) + " -o " + test::ShellQuote(Path("p.cdg"))}) {
    SCOPED_TRACE(command);
    int status = -1;
    const std::string err = test::RunCommand("TMPDIR=" + test::ShellQuote(Path("no-such-folder")) +
                                                 " " LYRICFORGE_CLI_PATH " " + command + " 2>&1 >/dev/null",
                                             &status);
    EXPECT_EQ(status, 4) << err;
    EXPECT_NE(err.find("working folder cannot be made"), std::string::npos) << err;
  }
}

TEST_F(FileSafetyCli, RenderWritesThroughLinksAndNeverRemovesWhatWasThere) {
  test::WriteFileBytes(Path("real.png"), "old picture");
  fs::create_symlink("real.png", Path("link.png"));
  const auto viaLink = RunCli({"render", Path("p.lfp"), "--at", "1", "-o", Path("link.png")});
  ASSERT_EQ(viaLink.exitCode, 0) << viaLink.err;
  EXPECT_TRUE(fs::is_symlink(Path("link.png")));
  EXPECT_EQ(ReadFileBytes(Path("real.png")).substr(1, 3), "PNG");

  ASSERT_EQ(mkfifo(Path("pipe.png").c_str(), 0600), 0);
  const auto toPipe = RunCli({"render", Path("p.lfp"), "--at", "1", "-o", Path("pipe.png")});
  EXPECT_EQ(toPipe.exitCode, 4) << toPipe.err;
  EXPECT_TRUE(fs::is_fifo(Path("pipe.png")));
  for (const auto& e : fs::directory_iterator(dir.Path()))
    EXPECT_NE(e.path().filename().string().rfind(".lftmp-", 0), 0u) << e.path();
}

}  // namespace
}  // namespace lf
