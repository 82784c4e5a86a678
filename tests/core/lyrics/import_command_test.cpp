// lyricforge-cli import and new --lyrics as a user runs them.
#include <gtest/gtest.h>

#include "tests/core/lyrics/midi_file_builder.h"
#include "tests/support/cli_runner.h"

namespace lf {
namespace {

using test::RunCli;
using test::TempDir;

const std::string kData = std::string(LYRICFORGE_SOURCE_DIR) + "/tests/core/lyrics/data/";

bool Has(const std::string& haystack, const std::string& needle) { return haystack.find(needle) != std::string::npos; }

TEST(ImportCommand, LrcCreatesAPlacedProject) {
  TempDir dir;
  const std::string project = dir.File("song.lfp");
  auto run = RunCli({"import", kData + "enhanced_closed.lrc", "-o", project, "--json"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "{\"kind\":\"lrc\",\"lines\":3,\"words\":6,\"placedWords\":6,\"lrcLines\":2}\n");

  auto lines = RunCli({"lines", project, "--json"});
  ASSERT_EQ(lines.exitCode, 0) << lines.err;
  // "Hello" runs from its first syllable "Hel" at 5.00 s to just before "morning" at 6.00 s.
  EXPECT_TRUE(Has(lines.out, "\"text\":\"Hello morning light\""));
  EXPECT_TRUE(Has(lines.out, "{\"text\":\"Hello\",\"first\":0,\"last\":4,\"start\":220500,\"end\":264159"))
      << lines.out;
  EXPECT_TRUE(Has(lines.out, "{\"text\":\"morning\",\"first\":6,\"last\":12,\"start\":264600,"));
  EXPECT_TRUE(Has(lines.out, "\"placed\":true"));
}

TEST(ImportCommand, ImportIntoAnExistingProjectReplacesLyricsAndTimings) {
  TempDir dir;
  const std::string project = dir.File("song.lfp");
  ASSERT_EQ(RunCli({"new", "-o", project, "--lyrics", kData + "enhanced_open.lrc"}).exitCode, 0);
  ASSERT_EQ(RunCli({"set", project, "linesPerPage=2", "artist=Someone"}).exitCode, 0);

  test::WriteFileBytes(dir.File("plain.txt"), "first line\nsecond line\n");
  auto run = RunCli({"import", dir.File("plain.txt"), "-o", project, "--json"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(Has(run.out, "\"placedWords\":0")) << run.out;  // the old times went with the old text
  auto info = RunCli({"info", project});
  EXPECT_TRUE(Has(info.out, "lines per page: 2")) << info.out;
  EXPECT_TRUE(Has(info.out, "Someone"));

  // And back to LRC: every timing comes from the file.
  run = RunCli({"import", kData + "tags_crlf_windows1252.lrc", "-o", project, "--json"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(Has(run.out, "\"placedWords\":15")) << run.out;
}

TEST(ImportCommand, KaraokeFileGivesTextOnly) {
  TempDir dir;
  test::MidiTrack header, words;
  header.Text("@KMIDI KARAOKE FILE").End();
  words.Name("Words").Text("\\Twin").Text("kle ").Text("twin").Text("kle").Text("/Lit").Text("tle ").Text("star").End();
  test::WriteFileBytes(dir.File("song.kar"), test::MidiFile({header, words}));
  const std::string project = dir.File("song.lfp");
  auto run = RunCli({"new", "-o", project, "--lyrics", dir.File("song.kar")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  auto lines = RunCli({"lines", project, "--json"});
  EXPECT_TRUE(Has(lines.out, "\"text\":\"Twinkle twinkle\""));
  EXPECT_TRUE(Has(lines.out, "\"text\":\"Little star\""));
  EXPECT_FALSE(Has(lines.out, "\"placed\":true"));
}

TEST(ImportCommand, BadLyricsLeaveTheProjectAsItWas) {
  TempDir dir;
  const std::string project = dir.File("song.lfp");
  test::WriteFileBytes(dir.File("words.txt"), "keep these words");
  ASSERT_EQ(RunCli({"new", "-o", project, "--lyrics", dir.File("words.txt")}).exitCode, 0);
  const std::string before = test::ReadFileBytes(project);

  test::WriteFileBytes(dir.File("empty.lrc"), "");
  auto run = RunCli({"import", dir.File("empty.lrc"), "-o", project});
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_TRUE(Has(run.err, "or the Lyrics file contained no Lyrics.")) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);

  run = RunCli({"import", dir.File("missing.txt"), "-o", project});
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_TRUE(Has(run.err, "Error: Unable to open lyric file.")) << run.err;

  test::WriteFileBytes(dir.File("notes.doc"), "words");
  run = RunCli({"import", dir.File("notes.doc"), "-o", project});
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_TRUE(Has(run.err, "not a lyrics file"));

  EXPECT_EQ(test::ReadFileBytes(project), before);
  EXPECT_EQ(RunCli({"import", "-o", project}).exitCode, 2);

  // No project is made from a file without lyrics either.
  EXPECT_EQ(RunCli({"import", dir.File("empty.lrc"), "-o", dir.File("new.lfp")}).exitCode, 3);
  EXPECT_EQ(test::ReadFileBytes(dir.File("new.lfp")), "");
}

}  // namespace
}  // namespace lf
