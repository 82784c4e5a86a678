// render, dump and demo-stream as a user runs them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "core/cdg/cdg_demo_stream.h"
#include "core/cdg/cdg_packet.h"
#include "core/playback/png_writer.h"
#include "core/playback/rw_renderer.h"
#include "core/playback/stream_decode.h"
#include "tests/support/cli_runner.h"

namespace lf {
namespace {

using test::RunCli;
using test::TempDir;

std::string Packets(std::initializer_list<CdgPacket> packets) {
  std::string bytes;
  for (const CdgPacket& p : packets) bytes.append(reinterpret_cast<const char*>(&p), kPacketSize);
  return bytes;
}

int Lines(const std::string& s) { return static_cast<int>(std::count(s.begin(), s.end(), '\n')); }

TEST(CdgCommands, BadInputFilesFailWithOneLine) {
  TempDir dir;
  test::WriteFileBytes(dir.File("empty.cdg"), "");
  test::WriteFileBytes(dir.File("partial.cdg"), Packets({MakeMemoryPreset(1, 0)}).substr(0, 20));
  test::WriteFileBytes(dir.File("text.cdg"), std::string(240, 'x'));
  test::WriteFileBytes(dir.File("zeros.cdg"), std::string(24 * 50, '\0'));
  struct Case {
    std::string file, expect;
  } cases[] = {{dir.File("missing.cdg"), "cannot open"},
               {dir.File("empty.cdg"), "is empty"},
               {dir.File("partial.cdg"), "shorter than one 24-byte"},
               {dir.File("text.cdg"), "not a CD+G file"},
               {dir.Path(), "cannot read"}};
  for (const Case& c : cases) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"render", c.file, "--at", "1", "-o", dir.File("out.png")},
          std::vector<std::string>{"dump", c.file}}) {
      const test::CliResult r = RunCli(args);
      EXPECT_GT(r.exitCode, 0) << args[0] << " " << c.file;
      EXPECT_EQ(Lines(r.err), 1) << r.err;
      EXPECT_NE(r.err.find(c.expect), std::string::npos) << r.err;
      EXPECT_TRUE(r.out.empty());
    }
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("out.png")));

  // Empty slots only: a valid stream that draws nothing, so the screen stays colour 0.
  const test::CliResult zeros = RunCli({"render", dir.File("zeros.cdg"), "--at", "1", "-o", dir.File("z.png")});
  EXPECT_EQ(zeros.exitCode, 0) << zeros.err;
  EXPECT_TRUE(std::filesystem::exists(dir.File("z.png")));
  EXPECT_EQ(RunCli({"dump", dir.File("zeros.cdg")}).exitCode, 0);
}

TEST(CdgCommands, RenderRefusesMissingProjectsAndBadArguments) {
  TempDir dir;
  test::WriteFileBytes(dir.File("a.cdg"), Packets({MakeMemoryPreset(1, 0)}));
  test::CliResult r = RunCli({"render", dir.File("song.lfp"), "--at", "1", "-o", dir.File("x.png")});
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_EQ(Lines(r.err), 1);
  for (const std::vector<std::string>& bad : {std::vector<std::string>{"--at", "-1"},
                                              {"--at", "x"},
                                              {"--at", "1", "--scale", "0"},
                                              {"--at", "1", "--scale", "1.5"}}) {
    std::vector<std::string> args = {"render", dir.File("a.cdg"), "-o", dir.File("x.png")};
    args.insert(args.end(), bad.begin(), bad.end());
    EXPECT_EQ(RunCli(args).exitCode, 2);
  }
  r = RunCli({"render", dir.File("a.cdg"), "--at", "1", "-o", dir.File("no/such/dir/x.png")});
  EXPECT_EQ(r.exitCode, 4);
  EXPECT_EQ(Lines(r.err), 1);
}

TEST(CdgCommands, RenderWritesTheScreenAtTheTimeScaled) {
  TempDir dir;
  const std::vector<uint8_t> demo = MakeDemoStream();
  ASSERT_EQ(RunCli({"demo-stream", "-o", dir.File("demo.cdg")}).exitCode, 0);
  ASSERT_EQ(test::ReadFileBytes(dir.File("demo.cdg")), std::string(demo.begin(), demo.end()));

  const test::CliResult r =
      RunCli({"render", dir.File("demo.cdg"), "--at", "2.5", "-o", dir.File("f.png"), "--scale", "2"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::vector<Colorref> png;
  int w = 0, h = 0;
  std::string error;
  ASSERT_TRUE(ReadPng(dir.File("f.png"), png, w, h, error)) << error;
  ASSERT_EQ(w, 600);
  ASSERT_EQ(h, 432);

  CdgRenderer expected;
  DecodeStreamPrefix(expected, demo.data(), demo.size(), 750);
  const std::vector<Colorref> shown = expected.DisplayColors();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) ASSERT_EQ(png[y * w + x], shown[(y / 2) * kScreenWidth + x / 2]) << x << "," << y;
  // The border is in the border colour (index 11 of the demo's table).
  EXPECT_EQ(png[0], expected.ColorAt(11));
  // Slot 749 is drawn, slot 750 not: the last tile differs between 2.5 s and a moment later.
  CdgRenderer later;
  DecodeStreamPrefix(later, demo.data(), demo.size(), 751);
  EXPECT_NE(later.DisplayColors(), shown);
}

TEST(CdgCommands, DumpListsGraphicsPacketsInTheRange) {
  TempDir dir;
  std::string bytes(24 * 700, '\0');
  const CdgPacket preset = MakeMemoryPreset(5, 2);
  CdgTileRows rows;
  rows.bits.fill(0x21);
  const CdgPacket tile = MakeTileBlock(CdgInstruction::TileBlockXor, 3, 4, 7, 9, rows);
  const CdgPacket scroll = MakeScroll(CdgInstruction::ScrollCopy, 0, kScrollLeft, 3, 0, 0);
  std::memcpy(&bytes[24 * 3], &preset, 24);
  std::memcpy(&bytes[24 * 300], &tile, 24);
  std::memcpy(&bytes[24 * 600], &scroll, 24);
  test::WriteFileBytes(dir.File("d.cdg"), bytes);

  test::CliResult r = RunCli({"dump", dir.File("d.cdg")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "3 0.010 MemoryPreset color=5 repeat=2\n"
            "300 1.000 TileBlockXor channel=0 color0=3 color1=4 row=7 column=9 "
            "rows=21,21,21,21,21,21,21,21,21,21,21,21\n"
            "600 2.000 ScrollCopy hcommand=2 hoffset=3 vcommand=0 voffset=0\n");

  r = RunCli({"dump", dir.File("d.cdg"), "--from", "1", "--to", "2", "--json"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("\"slot\":300"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"instruction\":\"TileBlockXor\""), std::string::npos);
  EXPECT_EQ(r.out.find("\"slot\":600"), std::string::npos);
  EXPECT_EQ(r.out.find("\"slot\":3,"), std::string::npos);
  EXPECT_EQ(Lines(r.out), 1);
}

}  // namespace
}  // namespace lf

namespace lf {
namespace {

// Export cuts streams to the audio's length in milliseconds, so they may end
// inside a packet: the cut packet is left out and the rest plays.
TEST(CdgCommands, StreamCutInsideItsLastPacketStillRenders) {
  TempDir dir;
  ASSERT_EQ(RunCli({"demo-stream", "-o", dir.File("demo.cdg")}).exitCode, 0);
  const std::string whole = test::ReadFileBytes(dir.File("demo.cdg"));
  test::WriteFileBytes(dir.File("cut.cdg"), whole + whole.substr(0, 7));
  ASSERT_EQ(RunCli({"render", dir.File("demo.cdg"), "--at", "60", "-o", dir.File("a.png")}).exitCode, 0);
  const test::CliResult r = RunCli({"render", dir.File("cut.cdg"), "--at", "60", "-o", dir.File("b.png")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(test::ReadFileBytes(dir.File("a.png")), test::ReadFileBytes(dir.File("b.png")));
}

}  // namespace
}  // namespace lf
