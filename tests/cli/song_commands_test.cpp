// new, info, lines and set as a user runs them.
#include <gtest/gtest.h>

#include "core/song/binary_reader.h"
#include "tests/support/cli_runner.h"

namespace lf {
namespace {

using test::RunCli;
using test::TempDir;

int Lines(const std::string& s) { return static_cast<int>(std::count(s.begin(), s.end(), '\n')); }

TEST(SongCommands, NewWithLyricsThenInfoAndLines) {
  TempDir dir;
  test::WriteFileBytes(dir.File("words.txt"), "\xEF\xBB\xBFhel*lo world\r\n^\r\nice_cream  \r\n!Chorus");
  test::WriteFileBytes(dir.File("music.wav"), test::ToneWav(44100, 16, 2, 4410));
  const std::string project = dir.File("song.lfp");
  auto made = RunCli({"new", "-o", project, "--lyrics", dir.File("words.txt"), "--music", dir.File("music.wav")});
  ASSERT_EQ(made.exitCode, 0) << made.err;
  EXPECT_EQ(made.out, "");

  auto info = RunCli({"info", project, "--json"});
  ASSERT_EQ(info.exitCode, 0) << info.err;
  EXPECT_NE(info.out.find("\"version\":601"), std::string::npos);
  EXPECT_NE(info.out.find("\"pages\":2"), std::string::npos);
  EXPECT_NE(info.out.find("\"lines\":3"), std::string::npos);
  EXPECT_NE(info.out.find("\"words\":5"), std::string::npos);
  EXPECT_NE(info.out.find("\"placedWords\":0"), std::string::npos);
  EXPECT_NE(info.out.find("music.wav\""), std::string::npos);
  EXPECT_EQ(Lines(info.out), 1);

  auto converted = RunCli({"lines", project, "--json"});
  ASSERT_EQ(converted.exitCode, 0) << converted.err;
  EXPECT_NE(converted.out.find("\"text\":\"hello world\""), std::string::npos);
  EXPECT_NE(converted.out.find("{\"text\":\"lo\",\"first\":3,\"last\":4,\"start\":0,\"end\":0,\"flags\":4}"),
            std::string::npos);
  EXPECT_NE(converted.out.find("\"text\":\"ice cream\",\"page\":1,\"row\":0"), std::string::npos);
  EXPECT_NE(converted.out.find("\"text\":\"Chorus\",\"page\":1,\"row\":1,\"placed\":false,\"newPage\":false,"
                               "\"singer2\":false,\"fixed\":true,\"colorIndex\":8"),
            std::string::npos);

  auto raw = RunCli({"lines", project, "--raw"});
  ASSERT_EQ(raw.exitCode, 0) << raw.err;
  EXPECT_NE(raw.out.find("hel*lo world"), std::string::npos);
  EXPECT_NE(raw.out.find("4-5 0-0 flags 4 lo"), std::string::npos);
}

TEST(SongCommands, SetChangesSettingsAndRefusesUnknownKeys) {
  TempDir dir;
  const std::string project = dir.File("song.lfp");
  ASSERT_EQ(RunCli({"new", "-o", project}).exitCode, 0);
  auto set =
      RunCli({"set", project, "singerMode=duet", "linesPerPage=3", "artist=The Band", "titlePage.enabled=on",
              "titlePage.hold=350", "titlePage.draw=Fade In", "lyricsPage.color.sweep=#FF0000", "sweepAdvance=-50"});
  ASSERT_EQ(set.exitCode, 0) << set.err;
  auto info = RunCli({"info", project});
  EXPECT_NE(info.out.find("singer mode: 2 (duet)"), std::string::npos);
  EXPECT_NE(info.out.find("lines per page: 3"), std::string::npos);
  EXPECT_NE(info.out.find("artist: The Band"), std::string::npos);

  // The settings block sits at the start of the file.
  const std::string bytes = test::ReadFileBytes(project);
  ASSERT_GE(bytes.size(), 52u);
  EXPECT_EQ(LoadInt32(reinterpret_cast<const uint8_t*>(bytes.data()) + 20), -50);

  for (auto bad : {"nonsense=1", "linesPerPage=0", "sweepAdvance=5", "titlePage.draw=Wipe", "noequals"}) {
    auto refused = RunCli({"set", project, bad});
    EXPECT_EQ(refused.exitCode, 2) << bad;
    EXPECT_FALSE(refused.err.empty());
  }
  EXPECT_EQ(test::ReadFileBytes(project), bytes);  // nothing saved by a refused set
}

TEST(SongCommands, BadProjectsFailWithOneLine) {
  TempDir dir;
  test::WriteFileBytes(dir.File("short.lfp"), std::string(20, '\0'));
  std::string newer(96, '\0');
  newer[0] = static_cast<char>(602 & 0xFF), newer[1] = static_cast<char>(602 >> 8);
  test::WriteFileBytes(dir.File("newer.lfp"), newer);
  struct Case {
    std::string file, expect;
  } cases[] = {{dir.File("missing.lfp"), "Cannot open the project file"},
               {dir.File("short.lfp"), "corrupted"},
               {dir.File("newer.lfp"), "newer version"}};
  for (const auto& c : cases) {
    for (const char* command : {"info", "lines"}) {
      auto r = RunCli({command, c.file});
      EXPECT_EQ(r.exitCode, 3) << command << " " << c.file;
      EXPECT_EQ(Lines(r.err), 1) << r.err;
      EXPECT_NE(r.err.find(c.expect), std::string::npos) << r.err;
    }
  }
  EXPECT_EQ(RunCli({"new"}).exitCode, 2);
  EXPECT_EQ(RunCli({"new", "-o", dir.File("x.lfp"), "--music", dir.File("none.mp3")}).exitCode, 3);
  EXPECT_EQ(RunCli({"new", "-o", dir.File("no/folder/x.lfp")}).exitCode, 4);
}

}  // namespace
}  // namespace lf
