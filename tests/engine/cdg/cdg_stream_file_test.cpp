#include "engine/cdg/cdg_stream_file.h"

#include <gtest/gtest.h>

#include "engine/cdg/cdg_demo_stream.h"
#include "engine/cdg/cdg_packet.h"
#include "support/cli_runner.h"

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
       "'x' is not a CD+G stream: none of its 3 packets is a graphics packet"},
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
