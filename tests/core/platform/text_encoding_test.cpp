#include "core/platform/text_encoding.h"

#include <gtest/gtest.h>

namespace lf {
namespace {

TEST(TextEncoding, ValidatesUtf8) {
  EXPECT_TRUE(IsValidUtf8("plain"));
  EXPECT_TRUE(IsValidUtf8("caf\xC3\xA9"));
  EXPECT_FALSE(IsValidUtf8("caf\xE9"));       // Windows-1252 é
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));      // overlong '/'
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // surrogate
  EXPECT_FALSE(IsValidUtf8("\xE2\x82"));      // cut short
}

TEST(TextEncoding, Windows1252ConvertsTheWholeUpperHalf) {
  EXPECT_EQ(ToUtf8("caf\xE9"), "caf\xC3\xA9");
  EXPECT_EQ(ToUtf8("\x93hi\x94 \x85"), "\xE2\x80\x9Chi\xE2\x80\x9D \xE2\x80\xA6");
  EXPECT_EQ(ToUtf8("\x80"), "\xE2\x82\xAC");
  EXPECT_EQ(ToUtf8("caf\xC3\xA9"), "caf\xC3\xA9");  // UTF-8 stays
}

TEST(TextEncoding, Utf16LittleEndianIncludingSurrogatePairs) {
  const std::string in("h\0\xE9\0\x16\x04\x3D\xD8\x00\xDE", 10);  // h é Ж 😀
  EXPECT_EQ(Utf16LeToUtf8(in), "h\xC3\xA9\xD0\x96\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf16LeToUtf8(std::string("\x00\xD8", 2)), "\xEF\xBF\xBD");  // lone surrogate
}

}  // namespace
}  // namespace lf
