#include "core/cdg/cdg_stream_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "core/cdg/cdg_demo_stream.h"
#include "core/cdg/cdg_packet.h"
#include "tests/support/cli_runner.h"

namespace lf {
namespace {

TEST(CdgStreamFile, ReadsWholePacketsAndRefusesEverythingElse) {
  test::TempDir dir;
  const std::vector<uint8_t> demo = MakeDemoStream();
  std::string error;
  ASSERT_TRUE(WriteCdgStreamFile(dir.File("demo.cdg"), demo, error)) << error;
  CdgStreamFile file;
  ASSERT_TRUE(ReadCdgStreamFile(dir.File("demo.cdg"), file));
  EXPECT_EQ(file.bytes, demo);
  EXPECT_EQ(file.PacketCount(), demo.size() / 24);

  // Empty slots only: a stream that draws nothing.
  EXPECT_TRUE(CheckCdgStream("z", std::vector<uint8_t>(24 * 3, 0)));
  // A single graphics packet among empty slots is enough.
  std::vector<uint8_t> sparse(24 * 300, 0);
  sparse[24 * 299] = 0xC9;  // command bits above the low six do not count
  EXPECT_TRUE(CheckCdgStream("s", sparse));

  struct Case {
    std::vector<uint8_t> bytes;
    CdgFileError error;
    const char* text;
  } cases[] = {
      {{}, CdgFileError::kEmpty, "'x' is empty"},
      {std::vector<uint8_t>(demo.begin(), demo.begin() + 23), CdgFileError::kPartialPacket,
       "'x' is 23 bytes long, shorter than one 24-byte CD+G packet"},
      // Only the cut packet holds a graphics command.
      {std::vector<uint8_t>{8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 9, 1},
       CdgFileError::kNotCdg, nullptr},
      {std::vector<uint8_t>(24 * 3, 0x10), CdgFileError::kNotCdg,
       "'x' is not a CD+G file: none of its 3 packets is a graphics packet"},
      {std::vector<uint8_t>(48, 8), CdgFileError::kNotCdg, nullptr},
  };
  for (const Case& c : cases) {
    const CdgReadResult r = CheckCdgStream("x", c.bytes);
    EXPECT_FALSE(r);
    EXPECT_EQ(r.error, c.error);
    if (c.text) {
      EXPECT_EQ(r.message, c.text);
    }
    EXPECT_EQ(r.message.find('\n'), std::string::npos);
  }

  CdgStreamFile untouched;
  untouched.bytes = {1, 2, 3};
  const CdgReadResult missing = ReadCdgStreamFile(dir.File("none.cdg"), untouched);
  EXPECT_EQ(missing.error, CdgFileError::kCannotOpen);
  EXPECT_NE(missing.message.find("none.cdg"), std::string::npos);
  EXPECT_EQ(untouched.bytes.size(), 3u);  // a failed read leaves the target alone
  EXPECT_EQ(ReadCdgStreamFile(dir.Path(), untouched).error, CdgFileError::kReadFailed);
  EXPECT_FALSE(WriteCdgStreamFile(dir.File("no/dir/x.cdg"), demo, error));
  EXPECT_NE(error.find("cannot write"), std::string::npos);
}

}  // namespace
}  // namespace lf

namespace lf {
namespace {

// What is not a stream is refused before it is drawn: other kinds of files,
// anything that is not a regular file (a pipe would block, /dev/zero never
// ends), and a file past the size cap.
TEST(CdgStreamFile, OnlyPlausibleStreamsInRegularFilesAreRead) {
  test::TempDir dir;
  const std::vector<uint8_t> demo = MakeDemoStream();
  std::vector<uint8_t> noisy = demo;  // a stream with some damage is still a stream
  for (size_t i = 0; i < noisy.size() / 3; i += 24) noisy[i] = 0x15;
  std::vector<uint8_t> sprinkled(24 * 1000);  // foreign bytes with a graphics-looking packet now and then
  for (size_t i = 0; i < sprinkled.size(); ++i) sprinkled[i] = uint8_t(i * 131 + 7) | 0x40;
  for (size_t slot = 0; slot < 1000; slot += 50) sprinkled[slot * 24] = 9, sprinkled[slot * 24 + 1] = 1;
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    bool plausible;
  } cases[] = {{"demo", demo, true}, {"noisy", noisy, true}, {"sprinkled", sprinkled, false}};
  for (const Case& c : cases) {
    const CdgReadResult r = CheckCdgStream(c.name, c.bytes);
    EXPECT_EQ(bool(r), c.plausible) << c.name << ": " << r.message;
    if (!c.plausible) {
      EXPECT_NE(r.message.find("not a CD+G file"), std::string::npos) << r.message;
    }
  }
  std::string ls = test::ReadFileBytes("/bin/ls");
  EXPECT_FALSE(CheckCdgStream("ls", std::vector<uint8_t>(ls.begin(), ls.end())));

  CdgStreamFile file;
  ASSERT_EQ(mkfifo(dir.File("pipe.cdg").c_str(), 0600), 0);
  for (const std::string& special : {dir.File("pipe.cdg"), std::string("/dev/zero")}) {
    const CdgReadResult r = ReadCdgStreamFile(special, file);
    EXPECT_EQ(r.error, CdgFileError::kReadFailed) << special;
    EXPECT_NE(r.message.find("not a regular file"), std::string::npos) << r.message;
  }
  const std::string big = dir.File("big.cdg");
  test::WriteFileBytes(big, "");
  std::filesystem::resize_file(big, kMaxCdgFileBytes + 1);  // sparse: no disk used
  EXPECT_EQ(ReadCdgStreamFile(big, file).error, CdgFileError::kTooLarge);
}

}  // namespace
}  // namespace lf
