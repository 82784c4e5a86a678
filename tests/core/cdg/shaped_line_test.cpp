#include "core/cdg/shaped_line.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "core/cdg/font_rasterizer.h"

namespace lf {
namespace {

// Wherever a line says it cuts cleanly, its prefix shaped on its own matches
// the line's glyphs and width; and the cuts a sweep needs in plain text are
// clean, so sweeps take the short way. A prefix that cannot yet tell its
// script, or right-to-left text, is never taken from the line.
TEST(ShapedLine, CleanCutsMatchTheTextShapedOnItsOwn) {
  const struct {
    const char* face;
    bool italic;
    std::string text;
    size_t cleanFrom;  // cuts after a space are clean from this byte on, unclean before
  } cases[] = {
      {"Arial", false, "Twinkle, twinkle - fi fl ffi AV To Wa ''quoted''", 0},
      {"DejaVu Serif", true, "Office affluent -> => != office", 0},
      {"DejaVu Sans", false, "Cafe\xCC\x81 n\xCC\x83o e\xCC\x81\xCC\x81 a\xCC\xA3\xCC\x82", 0},
      {"Arial", false,
       "\xE3\x81\x8D\xE3\x82\x89 \xE6\x98\x9F\xE3\x82\x88 \xE6\x84\x9B\xE3\x81\x97"
       "baby \xE7\xA9\xBA",
       0},
      {"Noto Sans CJK JP", false, "\xE3\x81\x8D\xE3\x82\x89\xE3\x81\x8D\xE3\x82\x89 AB \xE6\x98\x9F", 0},
      {"Arial", false, "12 34 abc def", 7},
      {"DejaVu Sans", false, "abc \xD8\xB3\xD9\x84\xD8\xA7\xD9\x85 def", 0},
      {"DejaVu Sans", false, "\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85 \xD8\xB9\xD9\x84\xD9\x8A\xD9\x83\xD9\x85",
       std::string::npos},
      {"DejaVu Sans", false, "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xD7\xA2\xD7\x95\xD7\x9C\xD7\x9D", std::string::npos},
  };
  for (const auto& c : cases) {
    auto font = FontRasterizer::Create(FontRequest{c.face, 24, false, c.italic, false});
    ASSERT_TRUE(font) << c.face;
    const ShapedLine line(*font, c.text);
    const auto& glyphs = line.Run().glyphs;
    EXPECT_EQ(line.PenAfter(glyphs.size()), line.Run().width) << c.text;
    for (size_t at = 0; at <= c.text.size(); ++at) {
      if (at > 0 && at < c.text.size() && c.text[at - 1] == ' ') {
        EXPECT_EQ(line.CutsCleanlyAt(at), at >= c.cleanFrom) << c.text << " @" << at;
      }
      if (!line.CutsCleanlyAt(at)) continue;
      const size_t count = line.GlyphsBefore(at);
      const TextRun prefix = font->Shape(std::string_view(c.text).substr(0, at));
      ASSERT_EQ(prefix.glyphs.size(), count) << c.text << " @" << at;
      EXPECT_EQ(prefix.width, line.PenAfter(count)) << c.text << " @" << at;
      for (size_t i = 0; i < count; ++i) {
        EXPECT_EQ(prefix.glyphs[i].x, glyphs[i].x) << c.text << " @" << at << " glyph " << i;
        EXPECT_EQ(prefix.glyphs[i].y, glyphs[i].y) << c.text << " @" << at << " glyph " << i;
        EXPECT_EQ(prefix.glyphs[i].image, glyphs[i].image) << c.text << " @" << at << " glyph " << i;
      }
    }
  }
}

}  // namespace
}  // namespace lf
