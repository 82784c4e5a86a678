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

TEST(ImportCommand, KaraokeFileGivesItsSyllablesTimed) {
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
  // 96 ticks apart at 96 a quarter and 120 beats a minute: half a second, 22,050 frames, a syllable.
  EXPECT_TRUE(Has(lines.out, "{\"text\":\"Twin\",\"first\":0,\"last\":3,\"start\":22050,\"end\":44100")) << lines.out;
  EXPECT_TRUE(Has(lines.out, "{\"text\":\"kle\",\"first\":4,\"last\":6,\"start\":44100,\"end\":66150"));
  EXPECT_TRUE(Has(lines.out, "\"placed\":true"));
}

// Files that are not what they claim: one line that names the file, the
// format and the line, a failing exit, and the project as it was.
TEST(ImportCommand, BadTimedFilesNameTheirLineAndChangeNothing) {
  TempDir dir;
  const std::string project = dir.File("song.lfp");
  test::WriteFileBytes(dir.File("words.txt"), "keep these words");
  ASSERT_EQ(RunCli({"new", "-o", project, "--lyrics", dir.File("words.txt")}).exitCode, 0);
  const std::string before = test::ReadFileBytes(project);
  const std::string assHead =
      "[Script Info]\nScriptType: v4.00+\n\n[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, "
      "MarginV, Effect, Text\n";
  const std::string ttmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tt xmlns=\"http://www.w3.org/ns/ttml\">\n";
  struct Bad {
    const char* name;
    std::string bytes;
    std::string error;  // after the path
  };
  const Bad cases[] = {
      {"sum.ass", assHead + "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,{\\k60}long {\\k60}line\n",
       ": ASS: line 6: \\k tags run past the line's end"},
      {"cut.ass", assHead + "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,{\\k50}fine\nDialogue: 0,0:00:0",
       ": ASS: line 7: a Dialogue line with too few fields (cut short?)"},
      {"order.txt", "#TITLE:x\n#BPM:200\n: 10 2 0 one\n: 5 2 0 two\nE\n",
       ": UltraStar: line 4: notes out of order: beat 5 after beat 10 on line 3"},
      {"cut.txt", "#TITLE:x\n#BPM:200\n: 0 2 0 one\n: 4 2", ": UltraStar: line 4: a note without start, length"},
      {"noend.txt", "#TITLE:x\n#BPM:200\n: 0 2 0 one\n", ": UltraStar: the file ends without its closing E line"},
      {"untimed.ttml", ttmlHead + "<body><div><p>no</p><p>times</p></div></body></tt>\n",
       ": TTML: line 3: no <p> or <span> has begin and end times"},
      {"cut.ttml", ttmlHead + "<body><div><p begin=\"1s\" end=\"2s\">cut", ": TTML: line 3: "},
      {"latin1.ttml", ttmlHead + "<body><p begin=\"1s\" end=\"2s\">caf\xE9</p></body></tt>\n", ": TTML: line 3: "},
      {"bad.ttml", ttmlHead + "<body><p begin=\"1 s\" end=\"2s\">x</p></body></tt>\n",
       ": TTML: line 3: begin=\"1 s\" is not a time"},
      {"latin1.vtt", "WEBVTT\n\n00:01.000 --> 00:02.000\ncaf\xE9\n", ": WebVTT: line 4: not UTF-8 text"},
      {"stamp.vtt", "WEBVTT\n\n00:01.000 --> 00:02.000\n<00:03.000>late\n", ": WebVTT: line 4: a timestamp"},
      {"time.srt", "1\n00:00:01,000 --> 00:00:0x,000\nhi\n", ": SRT: line 2: a time line that is not"},
      {"star.srt", "1\n00:00:01,000 --> 00:00:02,000\n*laughs*\n", ": SRT: line 3: '*'"},
  };
  for (const Bad& c : cases) {
    const std::string path = dir.File(c.name);
    test::WriteFileBytes(path, c.bytes);
    const auto run = RunCli({"import", path, "-o", project});
    EXPECT_EQ(run.exitCode, 3) << c.name;
    EXPECT_EQ(run.err.rfind("lyricforge-cli import: " + path + c.error, 0), 0u) << c.name << ": " << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << c.name << ": " << run.err;
  }
  EXPECT_EQ(test::ReadFileBytes(project), before);
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
