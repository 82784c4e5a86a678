// Placing lyrics in the real program under Xvfb: real key presses at known
// moments, and the saved word starts held against them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <numeric>
#include <sstream>
#include <thread>

#include "tests/support/cli_runner.h"
#include "tests/support/desktop_session.h"
#include "tests/support/media_fixture.h"

namespace lf {
namespace {

constexpr double kRate = 44100;
// Seconds between the eight Space presses: uneven, so that no tick or chunk lines up with them.
const std::vector<double> kGaps = {0.60, 0.45, 0.80, 0.50, 0.70, 0.55, 0.65};
constexpr double kHold = 0.05;  // each press is held this long

std::vector<double> SavedStarts(const std::string& project) {
  std::vector<double> starts;
  for (const auto& [start, end] : test::SavedWordTimes(project)) starts.push_back(double(start) / kRate);
  return starts;
}

// The xdotool commands for eight presses spaced by kGaps.
std::string Presses() {
  std::ostringstream keys;
  for (size_t i = 0; i <= kGaps.size(); ++i) {
    keys << "keydown --delay 0 space sleep " << kHold << " keyup --delay 0 space ";
    if (i < kGaps.size()) keys << "sleep " << kGaps[i] - kHold << " ";
  }
  return keys.str();
}

class PlaceLyricsDesktopTest : public ::testing::TestWithParam<int> {};

TEST_P(PlaceLyricsDesktopTest, SavedStartsKeepTheGapsBetweenKeyPresses) {
#ifndef LYRICFORGE_APP_PATH
  GTEST_SKIP() << "the desktop program is not built";
#else
  const int tempo = GetParam();
  test::TempDir dir;
  const std::string project = dir.File("song.lfp");
  test::WriteToneWav(dir.File("music.wav"), 20.0, 44100, 2, 16, 440.0);
  test::WriteFileBytes(dir.File("lyrics.txt"), "one two three four\nfive six seven eight\n");
  ASSERT_EQ(test::RunCli({"new", "-o", project, "--music", dir.File("music.wav"), "--lyrics", dir.File("lyrics.txt")})
                .exitCode,
            0);

  test::DesktopSession desktop(dir.File("config"));
  ASSERT_TRUE(desktop.StartServer());
  ASSERT_TRUE(desktop.StartProgram(LYRICFORGE_APP_PATH, {project})) << "no window on " << desktop.Display();
  ASSERT_TRUE(desktop.Xdotool("sleep 1 key alt+l sleep 1"));
  // The tempo box follows the Start button in the tab order; each Down is 5 % slower.
  if (tempo < 100) {
    ASSERT_TRUE(desktop.Xdotool("key Tab key --repeat " + std::to_string((100 - tempo) / 5) + " Down"));
  }

  std::thread screenshot;
  if (const char* folder = std::getenv("LYRICFORGE_SCREENSHOT_DIR")) {
    const std::string png = std::string(folder) + "/place_lyrics_" + std::to_string(tempo) + ".png";
    screenshot = std::thread([&desktop, png] {
      std::this_thread::sleep_for(std::chrono::milliseconds(3500));
      desktop.Screenshot(png);
    });
  }
  ASSERT_TRUE(desktop.Xdotool("key Home sleep 1 " + Presses() + "sleep 0.3 key End"));
  if (screenshot.joinable()) screenshot.join();
  ASSERT_TRUE(desktop.Xdotool("sleep 0.3 key ctrl+s sleep 0.5 key alt+F4"));
  EXPECT_TRUE(desktop.WaitForExit(10));

  const std::vector<double> starts = SavedStarts(project);
  ASSERT_EQ(starts.size(), kGaps.size() + 1);
  std::vector<double> errors;
  for (size_t i = 0; i < kGaps.size(); ++i) {
    ASSERT_GT(starts[i], 0) << "word " << i << " was not placed";
    // At a slower tempo the music moves on by less than the time between presses.
    errors.push_back((starts[i + 1] - starts[i] - kGaps[i] * tempo / 100.0) * 1000);
  }
  const test::ErrorFigures figures = test::Summarise(errors);
  std::cout << "tempo " << tempo << " %: gap error median " << figures.median << " ms, worst " << figures.worst
            << " ms\n";
  RecordProperty("median_ms", std::to_string(figures.median));
  RecordProperty("worst_ms", std::to_string(figures.worst));
  EXPECT_LE(figures.median, 10.0);
  EXPECT_LE(figures.worst, 20.0);
#endif
}

INSTANTIATE_TEST_SUITE_P(Tempo, PlaceLyricsDesktopTest, ::testing::Values(100, 50));

}  // namespace
}  // namespace lf
