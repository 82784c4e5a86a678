// Adjust Lyrics and Play Final in the real program under Xvfb, driven by keys.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "tests/support/cli_runner.h"
#include "tests/support/desktop_session.h"
#include "tests/support/media_fixture.h"

namespace lf {
namespace {

// Where screenshots go when asked for (LYRICFORGE_SCREENSHOT_DIR), else nowhere.
std::string ScreenshotPath(const std::string& name) {
  const char* folder = std::getenv("LYRICFORGE_SCREENSHOT_DIR");
  return folder ? std::string(folder) + "/" + name : std::string();
}

class TimingPagesDesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef LYRICFORGE_APP_PATH
    GTEST_SKIP() << "the desktop program is not built";
#else
    test::WriteToneWav(m_dir.File("music.wav"), 20.0, 44100, 2, 16, 440.0);
    test::WriteFileBytes(m_dir.File("lyrics.txt"), "one two three four\nfive six seven eight\n");
    ASSERT_EQ(
        test::RunCli({"new", "-o", m_project, "--music", m_dir.File("music.wav"), "--lyrics", m_dir.File("lyrics.txt")})
            .exitCode,
        0);
    ASSERT_EQ(test::RunCli({"place", m_project, "1", "2", "3", "4", "5", "6", "7", "8"}).exitCode, 0);
    m_placed = test::SavedWordTimes(m_project);
    ASSERT_TRUE(m_desktop.StartServer());
    ASSERT_TRUE(m_desktop.StartProgram(LYRICFORGE_APP_PATH, {m_project}));
#endif
  }

  test::TempDir m_dir;
  std::string m_project = m_dir.File("song.lfp");
  std::vector<std::pair<long, long>> m_placed;
  test::DesktopSession m_desktop{m_dir.File("config")};
};

TEST_F(TimingPagesDesktopTest, AdjustLyricsMovesTheThirdWordByKeys) {
  ASSERT_TRUE(
      m_desktop.Xdotool("sleep 1 key alt+a sleep 1 key Right sleep 0.1 key Right sleep 0.1 "
                        "key period sleep 0.1 key period sleep 0.1 key period sleep 0.1 key ctrl+comma"));
  if (const std::string png = ScreenshotPath("adjust_lyrics_loop.png"); !png.empty()) {
    ASSERT_TRUE(m_desktop.Xdotool("key n sleep 1.3"));
    m_desktop.Screenshot(png);
    ASSERT_TRUE(m_desktop.Xdotool("key n sleep 0.3"));
  }
  ASSERT_TRUE(m_desktop.Xdotool("sleep 0.3 key ctrl+s sleep 0.5 key alt+F4"));
  EXPECT_TRUE(m_desktop.WaitForExit(10));

  // "three" started at 3 s: three steps of 200 ms later, its end one step earlier;
  // "two" ran up to it and still does.
  std::vector<std::pair<long, long>> expected = m_placed;
  expected[2] = {3 * 44100 + 3 * 8820, 4 * 44100 - 8820};
  expected[1].second = expected[2].first;
  EXPECT_EQ(test::SavedWordTimes(m_project), expected);
}

TEST_F(TimingPagesDesktopTest, PlayFinalPlaysAndPauses) {
  const std::string png = ScreenshotPath("play_final.png");
  ASSERT_TRUE(m_desktop.Xdotool("sleep 1 key alt+p sleep 1 key space sleep 6"));
  if (!png.empty()) m_desktop.Screenshot(png);
  ASSERT_TRUE(m_desktop.Xdotool("key space sleep 0.3 key alt+F4"));
  EXPECT_TRUE(m_desktop.WaitForExit(10));
  EXPECT_EQ(test::SavedWordTimes(m_project), m_placed);  // playing changes no time
}

}  // namespace
}  // namespace lf
