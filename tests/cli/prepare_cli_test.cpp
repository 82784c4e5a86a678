// lyricforge-cli prepare and duration, run as a black box.
#include <gtest/gtest.h>

#include "tests/support/cli_runner.h"
#include "tests/support/media_fixture.h"

namespace lf {
namespace {

using test::RunCli;
using test::TempDir;

TEST(PrepareCliTest, ReportsTheWorkingFormatOrTheMusicError) {
  TempDir dir;
  const std::string mp3 = dir.File("tone.mp3");
  ASSERT_TRUE(test::MakeEncodedTone(mp3, 2.0, 22050, 1));
  auto r = RunCli({"prepare", mp3, "--json"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("\"sampleRate\":22050"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"bitsPerSample\":16"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"channels\":1"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"samplesPerPacket\":73"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"dataBytes\":"), std::string::npos) << r.out;

  r = RunCli({"prepare", mp3});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("format: 22050 Hz, 16 bits, 1 channels"), std::string::npos) << r.out;

  r = RunCli({"prepare", dir.File("missing.mp3")});
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.err.find("File not found"), std::string::npos) << r.err;

  test::WriteFileBytes(dir.File("words.mp3"), "not music at all");
  r = RunCli({"prepare", dir.File("words.mp3"), "--json"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("Sample Rate must be 44,100"), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("\"ok\":false"), std::string::npos) << r.out;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "one line on standard error";

  r = RunCli({"prepare"});
  EXPECT_EQ(r.exitCode, 2);
}

TEST(DurationCliTest, PrintsMilliseconds) {
  TempDir dir;
  test::WriteToneWav(dir.File("tone.wav"), 1.5);
  auto r = RunCli({"duration", dir.File("tone.wav")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "1500\n");
  test::WriteFileBytes(dir.File("disc.bin"), std::string(2448 * 75 * 2, '\0'));
  r = RunCli({"duration", dir.File("disc.bin")});
  EXPECT_EQ(r.out, "2000\n");
  r = RunCli({"duration", dir.File("missing.wav")});
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_FALSE(r.err.empty());
}

}  // namespace
}  // namespace lf
