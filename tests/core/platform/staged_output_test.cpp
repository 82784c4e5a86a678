// Staged outputs as the savers and exporters use them: written beside the
// final path and renamed, through links, keeping modes, within name limits,
// and cleaning up after runs that were killed.
#include "core/platform/staged_output.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "core/platform/paths.h"
#include "core/platform/text_encoding.h"
#include "tests/support/cli_runner.h"

namespace fs = std::filesystem;

namespace lf {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

bool Stage(const std::string& path, const std::string& bytes, std::string* error = nullptr) {
  StagedOutput staged(path);
  WriteFileBytes(staged.TempPath(), bytes);
  return staged.Commit(error);
}

long DeadPid() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return child;
}

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  stat(path.c_str(), &info);
  return info.st_mode & 07777;
}

TEST(StagedOutput, ReplacesThroughLinksAndKeepsTheMode) {
  TempDir dir;
  for (mode_t mode : {0600, 0444, 0640}) {
    SCOPED_TRACE(mode);
    const std::string target = dir.File("real.lfp"), link = dir.File("link.lfp");
    fs::remove(target);
    fs::remove(link);
    WriteFileBytes(target, "old");
    chmod(target.c_str(), mode);
    fs::create_symlink("real.lfp", link);
    ASSERT_TRUE(Stage(link, "new"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(target), "new");
    EXPECT_EQ(ModeOf(target), mode);
  }
}

TEST(StagedOutput, NamesUpToTheFolderLimitCanBeStaged) {
  TempDir dir;
  for (size_t length : {200u, 232u, 250u, 255u}) {
    SCOPED_TRACE(length);
    const std::string name = std::string(length - 4, 'n') + ".lfp";
    StagedOutput staged(dir.File(name));
    EXPECT_LE(fs::path(staged.TempPath()).filename().string().size(), 255u);
    EXPECT_TRUE(IsStagingName(fs::path(staged.TempPath()).filename().string()));
    WriteFileBytes(staged.TempPath(), "x");
    ASSERT_TRUE(staged.Commit());
    EXPECT_EQ(ReadFileBytes(dir.File(name)), "x");
  }
  // A name of two-byte characters is never cut inside one.
  std::string accented;
  for (int i = 0; i < 125; ++i) accented += "\xC3\xA9";
  StagedOutput staged(dir.File(accented + ".lfp"));
  EXPECT_TRUE(IsValidUtf8(fs::path(staged.TempPath()).filename().string()));
}

TEST(StagedOutput, StaleFilesOfEndedRunsAreRemovedAndOthersKept) {
  TempDir dir;
  const long dead = DeadPid();
  const std::string stale = ".lftmp-" + std::to_string(dead) + "-0-song.lfp";
  const std::string live = ".lftmp-" + std::to_string(getpid()) + "-999-song.lfp";
  const std::string foreign[] = {".lftmp-x-0-song.lfp", "song.lfp.tmp", ".lftmp-" + std::to_string(dead) + "song"};
  for (const std::string& name : {stale, live}) WriteFileBytes(dir.File(name), "t");
  for (const std::string& name : foreign) WriteFileBytes(dir.File(name), "t");
  EXPECT_EQ(StagingOwner(stale), dead);
  EXPECT_EQ(StagingOwner(foreign[0]), 0);

  ASSERT_TRUE(Stage(dir.File("song.lfp"), "new"));
  EXPECT_FALSE(fs::exists(dir.File(stale)));
  EXPECT_TRUE(fs::exists(dir.File(live)));
  for (const std::string& name : foreign) EXPECT_TRUE(fs::exists(dir.File(name))) << name;
}

TEST(StagedOutput, WhatIsNotARegularFileIsNeverReplaced) {
  TempDir dir;
  const std::string fifo = dir.File("pipe.png");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_NE(OutputPathProblem(fifo), "");
  EXPECT_NE(OutputPathProblem("/dev/null"), "");
  std::string error;
  EXPECT_FALSE(Stage(fifo, "png", &error));
  EXPECT_TRUE(fs::is_fifo(fifo));
  for (const auto& entry : fs::directory_iterator(dir.Path())) EXPECT_EQ(entry.path(), fifo);
}

TEST(StagedOutput, OutputsThatAreInputsOrEachOtherClash) {
  TempDir dir;
  WriteFileBytes(dir.File("song.mp3"), "music");
  fs::create_symlink("song.mp3", dir.File("alias.mp3"));
  const std::string relative = fs::relative(dir.File("song.mp3")).string();
  struct Case {
    std::vector<std::string> inputs, outputs;
    bool clash;
  };
  const Case cases[] = {
      {{dir.File("song.mp3")}, {dir.File("alias.mp3")}, true},
      {{relative}, {dir.File("./song.mp3")}, true},
      {{dir.File("song.mp3")}, {dir.File("x.cdg"), dir.File("sub/../x.cdg")}, true},
      {{dir.File("song.mp3"), ""}, {dir.File("song.cdg"), dir.File("song.lrc")}, false},
  };
  for (const Case& c : cases) EXPECT_EQ(!OutputClash(c.inputs, c.outputs).empty(), c.clash) << c.outputs[0];
}

TEST(PrivateTempFolder, FoldersOfEndedRunsAreRemovedByTheNextRun) {
  TempDir tmp;
  const std::string stale = tmp.File("lyricforge-cli.lfrun-" + std::to_string(DeadPid()) + "-AbC123");
  fs::create_directories(stale + "/inner");
  WriteFileBytes(stale + "/inner/lyricforge_music.wav", "w");
  const std::string other = tmp.File("someone-else-AbC123");
  fs::create_directories(other);
  // Any run that makes a private folder sweeps the temporary folder first.
  int status = -1;
  test::RunCommand("TMPDIR=" + tmp.Path() + " " LYRICFORGE_CLI_PATH " prepare " + tmp.File("none.wav") + " 2>/dev/null",
                   &status);
  EXPECT_NE(status, 0);
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(other));
}

TEST(StagedOutput, NamesOthersHoldAreNeverWrittenThrough) {
  TempDir dir;
  const std::string victim = dir.File("victim.lfp");
  WriteFileBytes(victim, "the author's own file");
  // Links planted at every staging name this run is likely to try next.
  const std::string prefix = ".lftmp-" + std::to_string(getpid()) + "-";
  for (int n = 0; n < 500; ++n) fs::create_symlink(victim, dir.File(prefix + std::to_string(n) + "-out.bin"));

  for (const bool throughStream : {true, false}) {
    SCOPED_TRACE(throughStream);
    StagedOutput staged(dir.File("out.bin"));
    ASSERT_TRUE(staged.IsCreated());
    EXPECT_FALSE(fs::is_symlink(staged.TempPath()));
    if (throughStream) {
      std::FILE* file = staged.OpenStream("wb");
      ASSERT_NE(file, nullptr);
      std::fputs("stream", file);
      std::fclose(file);
    } else {
      WriteFileBytes(staged.TempPath(), "named");
    }
    ASSERT_TRUE(staged.Commit());
    EXPECT_EQ(ReadFileBytes(dir.File("out.bin")), throughStream ? "stream" : "named");
    EXPECT_EQ(ModeOf(dir.File("out.bin")), ModeOf(victim));  // a new file's mode, not 0600
  }
  EXPECT_EQ(ReadFileBytes(victim), "the author's own file");

  // A temporary file replaced behind the writer's back is not put in place.
  StagedOutput staged(dir.File("swapped.bin"));
  fs::remove(staged.TempPath());
  fs::create_symlink(victim, staged.TempPath());
  std::string error;
  EXPECT_FALSE(staged.Commit(&error));
  EXPECT_FALSE(fs::exists(dir.File("swapped.bin")));
  EXPECT_TRUE(fs::is_symlink(staged.TempPath()));  // what is not ours is left alone
}

TEST(StagedOutput, ASetIsPutInPlaceWhollyOrNotAtAll) {
  struct Case {
    const char* name;
    bool cdgIsFolder;  // the companion cannot be put in place
    bool succeeds;
  };
  for (const Case& c : {Case{"whole", false, true}, Case{"companion fails", true, false}}) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string audio = dir.File("song.mp3"), cdg = dir.File("song.cdg"), lrc = dir.File("song.lrc");
    WriteFileBytes(audio, "old audio");
    WriteFileBytes(lrc, "old lrc");
    if (c.cdgIsFolder)
      fs::create_directory(cdg);
    else
      WriteFileBytes(cdg, "old cdg");
    chmod(lrc.c_str(), 0640);
    {
      StagedOutput newAudio(audio), newCdg(cdg), newLrc(lrc);
      for (StagedOutput* s : {&newAudio, &newCdg, &newLrc}) WriteFileBytes(s->TempPath(), "new");
      std::string error;
      EXPECT_EQ(StagedOutput::CommitTogether({&newAudio, &newCdg, &newLrc}, &error), c.succeeds) << error;
    }
    EXPECT_EQ(ReadFileBytes(audio), c.succeeds ? "new" : "old audio");
    EXPECT_EQ(ReadFileBytes(lrc), c.succeeds ? "new" : "old lrc");
    if (!c.cdgIsFolder) {
      EXPECT_EQ(ReadFileBytes(cdg), "new");
    }
    EXPECT_EQ(ModeOf(lrc), 0640u);
    for (const auto& entry : fs::directory_iterator(dir.Path()))
      EXPECT_FALSE(IsStagingName(entry.path().filename().string())) << entry.path();
  }
}

TEST(PrivateRuntimeFolder, OnlyAFolderOfThisUserClosedToOthersIsUsed) {
  TempDir tmp;
  const char* savedRuntime = std::getenv("XDG_RUNTIME_DIR");
  const std::string runtimeBefore = savedRuntime ? savedRuntime : "";
  const std::string fallback = tmp.File("lyricforge-" + std::to_string(getuid()));
  fs::create_directory(tmp.File("open"));
  chmod(tmp.File("open").c_str(), 0755);
  fs::create_directory(tmp.File("closed"));
  chmod(tmp.File("closed").c_str(), 0700);
  fs::create_directory_symlink(tmp.File("closed"), tmp.File("link"));
  struct Case {
    std::string runtime;
    std::string expected;
  };
  const Case cases[] = {
      {tmp.File("closed"), tmp.File("closed")},
      {tmp.File("open"), fallback},
      {tmp.File("link"), fallback},
      {"relative", fallback},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.runtime);
    setenv("XDG_RUNTIME_DIR", c.runtime.c_str(), 1);
    EXPECT_EQ(PrivateRuntimeFolder(tmp.Path()), c.expected);
  }
  EXPECT_EQ(ModeOf(fallback), 0700u);
  // A fallback someone else could enter or change is never used.
  chmod(fallback.c_str(), 0777);
  setenv("XDG_RUNTIME_DIR", tmp.File("open").c_str(), 1);
  EXPECT_EQ(PrivateRuntimeFolder(tmp.Path()), "");

  int pair[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
  EXPECT_TRUE(PeerIsThisUser(pair[0]));
  close(pair[0]);
  close(pair[1]);
  EXPECT_FALSE(PeerIsThisUser(-1));

  if (runtimeBefore.empty())
    unsetenv("XDG_RUNTIME_DIR");
  else
    setenv("XDG_RUNTIME_DIR", runtimeBefore.c_str(), 1);
}

}  // namespace
}  // namespace lf
