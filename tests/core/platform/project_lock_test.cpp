// The project lock: one holder at a time, whoever asks is told who it is,
// links share the lock, and a changing command waits for the holder.
#include "core/platform/project_lock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "tests/support/cli_runner.h"

namespace fs = std::filesystem;

namespace lf {
namespace {

using namespace std::chrono_literals;

TEST(ProjectLock, OneHolderAtATimeAndOthersAreToldWho) {
  test::TempDir dir;
  const std::string project = dir.File("song.lfp");
  test::WriteFileBytes(project, "p");
  fs::create_symlink("song.lfp", dir.File("alias.lfp"));

  std::string why;
  auto first = ProjectLock::Acquire(project, "Lyricforge", 0ms, &why);
  ASSERT_TRUE(first) << why;
  EXPECT_NE(ProjectLockHolder(dir.File("alias.lfp")).find("Lyricforge (process "), std::string::npos);
  for (const std::string& name : {project, dir.File("alias.lfp")}) {
    EXPECT_FALSE(ProjectLock::Acquire(name, "lyricforge-cli set", 50ms, &why));
    EXPECT_NE(why.find("in use by Lyricforge (process "), std::string::npos) << why;
  }
  first.reset();
  EXPECT_EQ(ProjectLockHolder(project), "");
  EXPECT_TRUE(ProjectLock::Acquire(dir.File("alias.lfp"), "again", 0ms, &why)) << why;
  EXPECT_EQ(fs::path(ProjectLockPath(project)).filename(), ".song.lfp.lock");
}

TEST(ProjectLock, ConcurrentSetsKeepEveryChange) {
  test::TempDir dir;
  const std::string project = dir.File("song.lfp");
  ASSERT_EQ(test::RunCli({"new", "-o", project}).exitCode, 0);
  const std::string cli = LYRICFORGE_CLI_PATH;
  for (int round = 0; round < 6; ++round) {
    const std::string a = "artist=A" + std::to_string(round), t = "title=T" + std::to_string(round);
    int status = -1;
    test::RunCommand(
        "(" + cli + " set " + project + " " + a + " & " + cli + " set " + project + " " + t + " & wait) 2>&1", &status);
    const auto info = test::RunCli({"info", project});
    EXPECT_NE(info.out.find("A" + std::to_string(round)), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("T" + std::to_string(round)), std::string::npos) << info.out;
  }
}

TEST(ProjectLock, ACommandWaitsForTheDesktopProgramToLetGo) {
  test::TempDir dir;
  const std::string project = dir.File("song.lfp");
  ASSERT_EQ(test::RunCli({"new", "-o", project}).exitCode, 0);
  std::string why;
  auto held = ProjectLock::Acquire(project, "Lyricforge", 0ms, &why);
  ASSERT_TRUE(held) << why;
  std::thread release([&] {
    std::this_thread::sleep_for(400ms);
    held.reset();
  });
  const auto set = test::RunCli({"set", project, "artist=Later"});
  release.join();
  EXPECT_EQ(set.exitCode, 0) << set.err;
  EXPECT_NE(test::RunCli({"info", project}).out.find("Later"), std::string::npos);
}

}  // namespace
}  // namespace lf
