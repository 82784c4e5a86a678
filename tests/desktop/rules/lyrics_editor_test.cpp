// The lyrics editor's headless parts: case commands, menu labels, the music
// bar's arithmetic and the page label.
#include <gtest/gtest.h>

#include "core/lyrics/format_lyrics_text.h"
#include "desktop/rules/edit_lyrics_labels.h"
#include "desktop/rules/music_bar.h"
#include "tests/support/cli_runner.h"

namespace lf {
namespace {

using enum FormatCommand;

struct FormatCase {
  const char* text;
  size_t start, end;
  FormatCommand command;
  const char* expected;
};

TEST(FormatLyricsText, CommandsOnSelectionsAndWholeText) {
  const FormatCase cases[] = {
      {"i think i CAN", 0, 0, CapitalizeFirstWord, "I think I can"},
      {"  'twas", 0, 0, CapitalizeFirstWord, "  'Twas"},
      {"hello WORLD\n  i'm HERE\nit is", 0, 0, CapitalizeFirstWord, "Hello world\n  I'm here\nIt is"},
      {"aim in it", 0, 0, CapitalizeFirstWord, "Aim in it"},   // only a lone i becomes I
      {"one two\nthree", 4, 0, Capitalize, "ONE TWO\nTHREE"},  // end before start: nothing selected
      {"one two\nthree", 4, 9, Capitalize, "one TWO\nThree"},
      {"ONE TWO", 0, 0, Lowercase, "one two"},
      {"ONE TWO", 2, 5, Lowercase, "ONe tWO"},
      {"x MIDDLE y", 2, 8, CapitalizeFirstWord, "x Middle y"},
      // Accented and non-Latin letters change case; bytes that are no UTF-8 stay.
      {"caf\xC3\xA9 \xD0\xB4\xD0\xB0", 0, 0, Capitalize, "CAF\xC3\x89 \xD0\x94\xD0\x90"},
      {"\xC3\x89T\xC3\x89", 0, 0, Lowercase, "\xC3\xA9t\xC3\xA9"},
      {"ab\xFF\xC3z", 0, 0, Capitalize, "AB\xFF\xC3Z"},
      {"", 0, 0, Capitalize, ""},
  };
  for (const FormatCase& c : cases)
    EXPECT_EQ(FormatLyricsText(c.text, c.start, c.end, c.command), c.expected) << c.text;
}

TEST(FormatLyricsText, TextKeepsItsLengthWhereCasesDifferInSize) {
  // U+0131 dotless i upper-cases to a one-byte I; U+1E9E stays.
  const std::string text =
      "\xC4\xB1 stra\xC3\x9F"
      "e";
  const std::string upper = FormatLyricsText(text, 0, 0, Capitalize);
  EXPECT_EQ(upper.size(), text.size());
  EXPECT_EQ(upper,
            "\xC4\xB1 STRA\xC3\x9F"
            "E");
}

TEST(FormatLyricsText, MenuLabelsFollowTheSelection) {
  EXPECT_FALSE(IsPartialSelection(10, 0, 0));
  EXPECT_FALSE(IsPartialSelection(10, 0, 10));
  EXPECT_FALSE(IsPartialSelection(10, 10, 0));
  EXPECT_TRUE(IsPartialSelection(10, 2, 5));
  EXPECT_EQ(FormatCommandLabel(Capitalize, false, true), "&Capitalize All");
  EXPECT_EQ(FormatCommandLabel(Capitalize, true, true), "&Capitalize Selection");
  EXPECT_EQ(FormatCommandLabel(Lowercase, true, false), "Lowercase Selection");
  EXPECT_EQ(FormatCommandLabel(CapitalizeFirstWord, true, true), "Capitalize &First Word");
}

TEST(MusicBar, SliderInPacketsWithThreeAndFifteenSecondSteps) {
  // 61.5 s of 16-bit stereo at 44100 Hz.
  const uint64_t bytes = 44100ull * 4 * 615 / 10;
  const MusicBarScale scale = MusicBarScale::For(bytes, 4, 44100, 61);
  EXPECT_EQ(scale.range, 18450);
  EXPECT_EQ(scale.lineStep, 900);
  EXPECT_EQ(scale.pageStep, 4500);
  EXPECT_EQ(scale.SliderAt(44100 * 10), 3000);
  EXPECT_EQ(scale.FramesAt(3000), 441000);
  EXPECT_EQ(scale.FramesAt(99999), int64_t(18450) * 147);
  EXPECT_EQ(scale.TimeLabel(0), "0:00/1:01");
  EXPECT_EQ(scale.TimeLabel(scale.range), "1:01/1:01");
  EXPECT_EQ(scale.TimeLabel(9225), "0:31/1:01");  // 30.5 rounds up
  EXPECT_EQ(MusicBarScale::For(0, 4, 44100, 0).TimeLabel(0), "0:00/0:00");
  EXPECT_EQ(MusicBarScale::For(1000, 0, 44100, 3).range, 0);
}

TEST(EditLyricsLabels, PageNumberAndMusicName) {
  EXPECT_EQ(PageNumberLabel(0, 0), " 1 of  1");
  EXPECT_EQ(PageNumberLabel(9, 11), "10 of 12");
  EXPECT_EQ(MusicNameLabel("/music/beat && tones.mp3"), "beat && tones.mp3");
  EXPECT_EQ(MusicNameLabel("/music/Rock & Roll.mp3"), "Rock & Roll.mp3");
  EXPECT_EQ(MusicNameLabel(""), "");
  EXPECT_EQ(ClampPage(5, 2), 2);
  EXPECT_EQ(ClampPage(-1, 2), 0);
  EXPECT_EQ(ClampPage(1, -1), 0);
}

TEST(FormatCommand, CaseCommandsReachProjectsFromTheCommandLine) {
  test::TempDir dir;
  const std::string project = dir.File("song.lfp");
  test::WriteFileBytes(dir.File("words.txt"), "i think i CAN\n  'twas\n");
  ASSERT_EQ(test::RunCli({"new", "-o", project, "--lyrics", dir.File("words.txt")}).exitCode, 0);
  const test::CliResult formatted = test::RunCli({"format", project, "first-word"});
  ASSERT_EQ(formatted.exitCode, 0) << formatted.err;
  const std::string lines = test::RunCli({"lines", project}).out;
  EXPECT_NE(lines.find("I think I can"), std::string::npos) << lines;
  EXPECT_NE(lines.find("'Twas"), std::string::npos) << lines;
  const test::CliResult wrong = test::RunCli({"format", project, "shout"});
  EXPECT_NE(wrong.exitCode, 0);
  EXPECT_NE(wrong.err.find("capitalize, lowercase or first-word"), std::string::npos) << wrong.err;
}

}  // namespace
}  // namespace lf
