// Recovery after a crash, in the real program under Xvfb: lyrics typed, a
// recovery save, kill -9, a new start offers the changes, Recover brings
// them back (unsaved), Ctrl+S writes them into the project.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/support/cli_runner.h"
#include "tests/support/desktop_session.h"
#include "tests/support/media_fixture.h"

namespace lf {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> RecoveryFiles(const std::string& folder) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec))
    if (entry.path().extension() == ".lfp") files.push_back(entry.path());
  return files;
}

TEST(RecoveryDesktopTest, KilledProgramOffersItsUnsavedChangesAtTheNextStart) {
#ifndef LYRICFORGE_APP_PATH
  GTEST_SKIP() << "the desktop program is not built";
#else
  test::TempDir dir;
  const std::string project = dir.File("song.lfp"), state = dir.File("config/state/lyricforge");
  test::WriteToneWav(dir.File("music.wav"), 5.0, 44100, 2, 16, 440.0);
  test::WriteFileBytes(dir.File("lyrics.txt"), "first line\n");
  ASSERT_EQ(test::RunCli({"new", "-o", project, "--music", dir.File("music.wav"), "--lyrics", dir.File("lyrics.txt")})
                .exitCode,
            0);
  fs::create_directories(dir.File("config/Orvandel"));
  std::ofstream(dir.File("config/Orvandel/Lyricforge.conf")) << "[Settings]\nRecoveryIntervalSeconds=1\n";

  test::DesktopSession desktop(dir.File("config"));
  ASSERT_TRUE(desktop.StartServer());
  ASSERT_TRUE(desktop.StartProgram(LYRICFORGE_APP_PATH, {project})) << "no window on " << desktop.Display();
  ASSERT_TRUE(desktop.Xdotool("sleep 1 mousemove --window " + desktop.Window() +
                              " 150 200 click 1 key ctrl+End Return type --delay 15 'rescued words'"));
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));  // a recovery save or two
  desktop.KillProgram();

  const std::vector<fs::path> left = RecoveryFiles(state);
  ASSERT_EQ(left.size(), 1u) << "no recovery file in " << state;
  const test::CliResult fromRecovery = test::RunCli({"lines", left[0].string()});
  EXPECT_EQ(fromRecovery.exitCode, 0) << fromRecovery.err;  // a project file the command-line tool reads
  EXPECT_NE(fromRecovery.out.find("rescued words"), std::string::npos) << fromRecovery.out;
  EXPECT_EQ(test::RunCli({"lines", project}).out.find("rescued"), std::string::npos);  // never over the project

  ASSERT_TRUE(desktop.StartProgram(LYRICFORGE_APP_PATH, {project}));
  int status = 0;
  const std::string offer = test::RunCommand("DISPLAY=" + desktop.Display() +
                                                 " timeout 20 xdotool search --sync --onlyvisible --name "
                                                 "'^Recover Unsaved Changes' 2>/dev/null | head -n 1",
                                             &status);
  ASSERT_FALSE(offer.empty()) << "no recovery offer";
  test::RunCommand("DISPLAY=" + desktop.Display() + " xdotool windowfocus --sync " + offer.substr(0, offer.find('\n')) +
                       " key Return",
                   &status);
  ASSERT_TRUE(desktop.Xdotool("sleep 1 key ctrl+s sleep 0.5 key alt+F4"));
  EXPECT_TRUE(desktop.WaitForExit(10));
  EXPECT_NE(test::RunCli({"lines", project}).out.find("rescued words"), std::string::npos);
  EXPECT_TRUE(RecoveryFiles(state).empty());  // saved: nothing left to offer
#endif
}

}  // namespace
}  // namespace lf
