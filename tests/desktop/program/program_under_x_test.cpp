// The desktop program as a user meets it: started on a project under a real
// X server, its title read, its window photographed, ended with Alt+F4.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/cli_runner.h"

namespace lf::test {
namespace {

TEST(DesktopProgram, StartsOnAProjectShowsItsNameAndEndsOnAltF4) {
  int status = 0;
  RunCommand("command -v xvfb-run xdotool import >/dev/null", &status);
  if (status != 0) GTEST_SKIP() << "xvfb-run, xdotool or import is not installed (scripts/install-deps.sh)";
  TempDir dir;
  const std::string project = dir.File("Starry Night.lfp");
  WriteFileBytes(dir.File("lyrics.txt"), "Twinkle twinkle little star\nHow I wonder what you are\n");
  ASSERT_EQ(RunCli({"new", "-o", project, "--lyrics", dir.File("lyrics.txt")}).exitCode, 0);

  const std::string shot = dir.File("window.png");
  const std::string output =
      RunCommand("cd '" + dir.Path() + "' && XDG_CONFIG_HOME='" + dir.File("config") + "' TMPDIR='" + dir.Path() +
                     "' timeout 60 xvfb-run -a -s '-screen 0 800x600x24' '" LYRICFORGE_SOURCE_DIR
                     "/scripts/program-screenshot.sh' '" LYRICFORGE_GUI_PATH "' '" +
                     shot + "' '" + project + "' 2>&1",
                 &status);
  EXPECT_EQ(status, 0) << output;
  EXPECT_NE(output.find("Lyricforge - Starry Night.lfp\n"), std::string::npos) << output;
  ASSERT_TRUE(std::filesystem::exists(shot));
  // A whole 800 x 600 screen with a window on it is far from an empty PNG.
  EXPECT_GT(std::filesystem::file_size(shot), 5000u);
  // Closing through ConfirmCloseProject stored the window's placement.
  const std::string conf = ReadFileBytes(dir.File("config/Orvandel/Lyricforge.conf"));
  EXPECT_NE(conf.find("AppWindowRect="), std::string::npos) << conf;
}

}  // namespace
}  // namespace lf::test
