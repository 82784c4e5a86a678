// The whole desktop program under Xvfb, driven by real key presses and
// clicks (tests/desktop/desktop_session.sh), checked through lyricforge-cli.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "tests/support/cli_runner.h"
#include "tests/support/wav_fixture.h"

namespace lf::test {
namespace {

class DesktopSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    int status = 0;
    RunCommand("command -v xvfb-run xdotool import >/dev/null", &status);
    if (status != 0) GTEST_SKIP() << "xvfb-run, xdotool or import is missing";
    WriteFileBytes(dir.File("tone.wav"), ToneWav(44100, 16, 2, 44100 * 20));
    WriteFileBytes(dir.File("words.txt"), "One two three\nfour five six\n^\nseven eight\n");
    const CliResult made =
        RunCli({"new", "-o", project, "--music", dir.File("tone.wav"), "--lyrics", dir.File("words.txt")});
    ASSERT_EQ(made.exitCode, 0) << made.err;
  }
  // Runs one scenario of the session script; its screenshots land in the folder.
  void Session(const std::string& scenario) {
    int status = 0;
    const std::string out =
        RunCommand("timeout 120 xvfb-run -a -s '-screen 0 1100x750x24' bash " + std::string(LYRICFORGE_SOURCE_DIR) +
                       "/tests/desktop/program/desktop_session.sh " + scenario + " " + LYRICFORGE_GUI_PATH + " " +
                       project + " " + dir.Path() + " 2>&1",
                   &status);
    ASSERT_EQ(status, 0) << out;
  }
  // Distinct colours of a picture file, through ffmpeg's own PNG reader.
  size_t ColourCount(const std::string& png) {
    const std::string raw = RunCommand("ffmpeg -loglevel error -i " + png + " -f rawvideo -pix_fmt rgb24 -");
    std::set<uint32_t> colours;
    for (size_t i = 0; i + 2 < raw.size(); i += 3)
      colours.insert(uint32_t(uint8_t(raw[i])) << 16 | uint32_t(uint8_t(raw[i + 1])) << 8 | uint8_t(raw[i + 2]));
    return colours.size();
  }
  TempDir dir;
  std::string project = dir.File("song.lfp");
};

TEST_F(DesktopSessionTest, TypedLyricsAreSavedAndLaidOut) {
  Session("type");
  const CliResult lines = RunCli({"lines", project});
  ASSERT_EQ(lines.exitCode, 0) << lines.err;
  EXPECT_NE(lines.out.find("Hello world"), std::string::npos) << lines.out;
  EXPECT_NE(lines.out.find("second line"), std::string::npos) << lines.out;
  EXPECT_NE(lines.out.find("next page"), std::string::npos) << lines.out;
  const CliResult info = RunCli({"info", project, "--json"});
  EXPECT_NE(info.out.find("\"pages\":3"), std::string::npos) << info.out;
  EXPECT_TRUE(std::filesystem::exists(dir.File("edit_page.png")));
}

TEST_F(DesktopSessionTest, TitleTextFromTheSheetReachesTheExport) {
  const CliResult before = RunCli({"render", project, "--at", "4", "-o", dir.File("before.png")});
  ASSERT_EQ(before.exitCode, 0) << before.err;
  Session("settings");
  for (const char* shot : {"settings_lyrics.png", "settings_title.png", "settings_credits.png"})
    EXPECT_TRUE(std::filesystem::exists(dir.File(shot))) << shot;
  const CliResult compiled = RunCli({"compile", project, "-o", dir.File("song.cdg"), "--json"});
  ASSERT_EQ(compiled.exitCode, 0) << compiled.err;
  EXPECT_EQ(compiled.out.find("\"introLength\":0,"), std::string::npos) << compiled.out;
  const CliResult after = RunCli({"render", project, "--at", "4", "-o", dir.File("after.png")});
  ASSERT_EQ(after.exitCode, 0) << after.err;
  EXPECT_EQ(ColourCount(dir.File("before.png")), 1u);  // the lyrics are not placed: an empty screen
  EXPECT_GT(ColourCount(dir.File("after.png")), 1u);   // the title page's text
}

}  // namespace
}  // namespace lf::test
