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

// WAVs that are music but not plain 16-bit (or 8-bit) mono or stereo are
// converted as compressed music is, so every export takes them: their true
// length is measured, and the working copy is what the encoders accept.
TEST(PrepareCliTest, UnusualWavsAreConvertedAndMeasuredWhole) {
  TempDir dir;
  test::WriteToneWav(dir.File("tone.wav"), 3.0);
  struct Case {
    const char* name;
    const char* options;
    const char* workingFormat;
  };
  const Case cases[] = {
      {"24bit.wav", "-c:a pcm_s24le", "\"sampleRate\":44100,\"bitsPerSample\":16,\"channels\":2"},
      {"32bit.wav", "-c:a pcm_s32le", "\"sampleRate\":44100,\"bitsPerSample\":16,\"channels\":2"},
      {"float.wav", "-c:a pcm_f32le", "\"sampleRate\":44100,\"bitsPerSample\":16,\"channels\":2"},
      {"alaw.wav", "-c:a pcm_alaw", "\"sampleRate\":44100,\"bitsPerSample\":16,\"channels\":2"},
      {"six.wav", "-c:a pcm_s16le -ac 6", "\"sampleRate\":44100,\"bitsPerSample\":16,\"channels\":2"},
      {"96k.wav", "-c:a pcm_s16le -ar 96000", "\"sampleRate\":48000,\"bitsPerSample\":16,\"channels\":2"},
      {"88k.wav", "-c:a pcm_s24le -ar 88200", "\"sampleRate\":44100,\"bitsPerSample\":16,\"channels\":2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(test::EncodeWithFfmpeg(dir.File("tone.wav"), dir.File(c.name), c.options));
    auto duration = RunCli({"duration", dir.File(c.name)});
    ASSERT_EQ(duration.exitCode, 0) << duration.err;
    EXPECT_NEAR(std::stod(duration.out), 3000, 30);
    auto prepared = RunCli({"prepare", dir.File(c.name), "--json"});
    ASSERT_EQ(prepared.exitCode, 0) << prepared.err;
    EXPECT_NE(prepared.out.find(c.workingFormat), std::string::npos) << prepared.out;
    const size_t at = prepared.out.find("\"durationMs\":");
    ASSERT_NE(at, std::string::npos) << prepared.out;
    EXPECT_NEAR(std::stod(prepared.out.substr(at + 13)), 3000, 30);
  }
  // A project of such music exports.
  ASSERT_EQ(RunCli({"new", "-o", dir.File("p.lfp"), "--music", dir.File("24bit.wav")}).exitCode, 0);
  auto exported = RunCli({"export", dir.File("p.lfp"), "--format", "mp3g", "-o", dir.File("out.mp3")});
  EXPECT_EQ(exported.exitCode, 0) << exported.err;
  // Bytes that are no music are an input error, not a length of 0.
  std::string noise(20000, '\0');
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 2654435761u) >> 13);
  test::WriteFileBytes(dir.File("noise.wav"), noise);
  auto refused = RunCli({"duration", dir.File("noise.wav")});
  EXPECT_EQ(refused.exitCode, 3) << refused.out;
}

}  // namespace
}  // namespace lf
