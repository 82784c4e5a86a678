#include "core/cdg/font_rasterizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "core/cdg/draw_bitmap.h"
#include "core/cdg/font_dictionary.h"
#include "core/playback/png_writer.h"

namespace lf {
namespace {

std::unique_ptr<FontRasterizer> Font(const std::string& face, int height, bool bold = false, bool italic = false,
                                     bool underline = false) {
  return FontRasterizer::Create(FontRequest{face, height, bold, italic, underline});
}

int CountIndex(const DrawingBitmap& bitmap, int index) {
  int n = 0;
  for (int i = 0; i < DrawingBitmap::kWidth * DrawingBitmap::kHeight; ++i) n += bitmap.Pixels()[i] == index;
  return n;
}

TEST(FontRasterizer, ArialIsLiberationSansAndHeightIsTheCellHeight) {
  for (int height : {5, 12, 24, 40, 96}) {
    auto font = Font("Arial", height);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->FamilyName(), "Liberation Sans");
    EXPECT_EQ(font->Height(), height);
    EXPECT_EQ(font->Ascent() + font->Descent(), height);
    EXPECT_GT(font->Ascent(), font->Descent());
    EXPECT_GT(font->AverageCharWidth(), 0);
  }
  auto bold = Font("Arial", 24, true, false);
  auto italic = Font("Arial", 24, false, true);
  ASSERT_TRUE(bold && italic);
  // Liberation has real bold and italic faces: nothing is synthesised.
  EXPECT_FALSE(bold->SyntheticBold());
  EXPECT_FALSE(italic->SyntheticItalic());
  EXPECT_GT(bold->Measure("Karaoke"), Font("Arial", 24)->Measure("Karaoke"));
}

TEST(FontRasterizer, MissingFaceFallsBackAndStillDraws) {
  auto font = Font("No Such Face At All", 20);
  ASSERT_TRUE(font);
  EXPECT_FALSE(font->FamilyName().empty());
  DrawingBitmap bitmap(GreyPalette(), 15);
  font->Draw(bitmap, 0, 0, font->Shape("Hello"), 12);
  EXPECT_GT(CountIndex(bitmap, 12), 20);
  auto empty = Font("", 20);
  ASSERT_TRUE(empty);
}

TEST(FontRasterizer, FamilyWithoutBoldOrItalicIsEmboldenedAndSlanted) {
  auto regular = Font("DejaVu Math TeX Gyre", 60);
  if (!regular || regular->FamilyName() != "DejaVu Math TeX Gyre") GTEST_SKIP() << "font not installed";
  auto boldItalic = Font("DejaVu Math TeX Gyre", 60, true, true);
  ASSERT_TRUE(boldItalic);
  EXPECT_TRUE(boldItalic->SyntheticBold());
  EXPECT_TRUE(boldItalic->SyntheticItalic());
  EXPECT_GT(boldItalic->Measure("mmmm"), regular->Measure("mmmm"));
  DrawingBitmap plain(GreyPalette(), 0), heavy(GreyPalette(), 0);
  regular->Draw(plain, 0, 0, regular->Shape("mmmm"), 1);
  boldItalic->Draw(heavy, 0, 0, boldItalic->Shape("mmmm"), 1);
  EXPECT_GT(CountIndex(heavy, 1), CountIndex(plain, 1));
}

TEST(FontRasterizer, Utf8TextAndMissingGlyphs) {
  auto font = Font("Arial", 24);
  ASSERT_TRUE(font);
  EXPECT_TRUE(font->HasCharacter(U'é'));
  EXPECT_TRUE(font->HasCharacter(U'ß'));
  EXPECT_TRUE(font->HasCharacter(U'П'));
  EXPECT_FALSE(font->HasCharacter(U'漢'));

  // Each of these draws something of its own, in a width that grows with it.
  for (const char* text : {"\xC3\xA9", "\xC3\x9F", "\xD0\x9F\xD1\x80\xD0\xB8"}) {
    DrawingBitmap bitmap(GreyPalette(), 0);
    const TextRun run = font->Shape(text);
    EXPECT_GT(run.width, 0) << text;
    font->Draw(bitmap, 10, 10, run, 5);
    EXPECT_GT(CountIndex(bitmap, 5), 10) << text;
  }
  // Characters the face lacks, broken UTF-8 and text running off every
  // edge draw without fault.
  DrawingBitmap bitmap(GreyPalette(), 0);
  for (const char* text : {"\xE6\xBC\xA2\xE5\xAD\x97", "\xFF\xFE\xC3", "ok\xF0\x9F\x98\x80"}) {
    const TextRun run = font->Shape(text);
    font->Draw(bitmap, -5, -7, run, 3);
    font->Draw(bitmap, 280, 185, run, 3);
  }
  EXPECT_EQ(font->Shape("").width, 0);
}

// Characters the face lacks come from a face that has them, one by one:
// Chinese, Japanese and Korean lines drawn in "Arial" show their own glyphs,
// not the missing-glyph box, and the Latin beside them stays in Arial.
TEST(FontRasterizer, CharactersTheFaceLacksComeFromAFaceThatHasThem) {
  auto font = Font("Arial", 30);
  ASSERT_TRUE(font);
  const GlyphImage box = *font->Shape("\xCD\xB8").glyphs.at(0).image;                     // U+0378: no face has it
  const char* lines[] = {"\xE4\xBD\xA0\xE5\xA5\xBD\xE4\xB8\x96\xE7\x95\x8C",              // 你好世界
                         "\xE3\x81\x93\xE3\x82\x93\xE3\x81\xAB\xE3\x81\xA1\xE3\x81\xAF",  // こんにちは
                         "\xEC\x95\x88\xEB\x85\x95\xED\x95\x98\xEC\x84\xB8\xEC\x9A\x94",  // 안녕하세요
                         "Hi \xE6\xBC\xA2\xE5\xAD\x97 ok"};                               // Hi 漢字 ok
  DrawingBitmap shown(GreyPalette(), 15);
  int y = 0;
  for (const char* line : lines) {
    const TextRun run = font->Shape(line);
    for (size_t i = 0; i < run.glyphs.size(); ++i) {
      const GlyphImage& g = *run.glyphs[i].image;
      if (std::count(g.bits.begin(), g.bits.end(), 0) == std::ptrdiff_t(g.bits.size())) continue;  // a blank
      EXPECT_FALSE(g.bits == box.bits && g.width == box.width) << line << " glyph " << i << " is the box";
      for (size_t j = 0; j < i; ++j)
        EXPECT_FALSE(run.glyphs[j].image->bits == g.bits) << line << ": glyphs " << j << " and " << i << " alike";
    }
    font->Draw(shown, 4, y, run, 0);
    y += font->Height() + 4;
  }
  // The Latin letters are Arial's own.
  const TextRun mixed = font->Shape(lines[3]);
  EXPECT_EQ(mixed.glyphs.front().image->bits, font->Shape("H").glyphs.front().image->bits);

  // LYRICFORGE_KEEP_PNG=dir keeps the lines for a look.
  if (const char* keep = std::getenv("LYRICFORGE_KEEP_PNG")) {
    std::vector<Colorref> pixels;
    for (int i = 0; i < DrawingBitmap::kWidth * DrawingBitmap::kHeight; ++i)
      pixels.push_back(shown.PaletteColor(shown.Pixels()[i]));
    std::string error;
    EXPECT_TRUE(
        WritePng(std::string(keep) + "/cjk.png", pixels, DrawingBitmap::kWidth, DrawingBitmap::kHeight, 2, error));
  }
}

TEST(FontRasterizer, MonochromeAndWithinTheMeasuredExtent) {
  auto font = Font("Arial", 24);
  ASSERT_TRUE(font);
  // Hinted monochrome advances are whole pixels and do not kern: a text's
  // width is the sum of its characters' widths.
  EXPECT_EQ(font->Measure("AVAV"), 2 * font->Measure("A") + 2 * font->Measure("V"));
  const TextRun run = font->Shape("Hello");
  DrawingBitmap bitmap(GreyPalette(), 15);
  font->Draw(bitmap, 20, 30, run, 12);
  int minX = 1000, maxX = -1, minY = 1000, maxY = -1;
  for (int y = 0; y < DrawingBitmap::kHeight; ++y)
    for (int x = 0; x < DrawingBitmap::kWidth; ++x) {
      const int v = bitmap.Pixel(x, y);
      ASSERT_TRUE(v == 15 || v == 12) << "anti-aliased pixel " << v;
      if (v == 12) {
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
      }
    }
  EXPECT_GE(minX, 20);
  EXPECT_LT(maxX, 20 + run.width);
  EXPECT_GE(minY, 30);
  EXPECT_LT(maxY, 30 + font->Height());
}

TEST(FontRasterizer, UnderlineRunsTheWidthOfTheText) {
  auto font = Font("Arial", 30, false, false, true);
  ASSERT_TRUE(font);
  const TextRun run = font->Shape("ooo");
  DrawingBitmap bitmap(GreyPalette(), 0);
  font->Draw(bitmap, 0, 0, run, 9);
  // Some row below the baseline is solid from the pen start to the advance.
  bool solidRow = false;
  for (int y = font->Ascent(); y < font->Height() && !solidRow; ++y) {
    int n = 0;
    for (int x = 0; x < run.width; ++x) n += bitmap.Pixel(x, y) == 9;
    solidRow = n == run.width && bitmap.Pixel(run.width, y) == 0;
  }
  EXPECT_TRUE(solidRow);
}

TEST(FontDictionary, ListsInstalledFamiliesInByteOrder) {
  FontDictionary dictionary;
  dictionary.Build();
  EXPECT_TRUE(dictionary.Contains("Liberation Sans"));
  EXPECT_TRUE(dictionary.Contains("DejaVu Sans"));
  EXPECT_EQ(dictionary.CharsetOf("Liberation Sans"), kCharsetAnsi);
  EXPECT_EQ(dictionary.CharsetOf("Arial"), -1);  // an alias, not an installed family
  std::string previous;
  for (int n = 0; n < dictionary.Count(); ++n) {
    const std::string name = dictionary.NameAt(n);
    EXPECT_LT(previous, name);
    previous = name;
  }
  EXPECT_EQ(dictionary.NameAt(-1), "");
  EXPECT_EQ(dictionary.NameAt(dictionary.Count()), "");

  FontDictionary names;
  names.Add("A font family with a rather long name indeed", kCharsetAnsi);
  names.Add("Wingbats", kCharsetAnsi);
  names.Add("Wingbats", kCharsetSymbol);  // reported again: the later set stays
  EXPECT_EQ(names.Count(), 2);
  EXPECT_EQ(names.NameAt(0), "A font family with a rather lon");
  EXPECT_EQ(names.NameAt(0).size(), size_t(kFontListNameSize - 1));
  EXPECT_EQ(names.CharsetOf("Wingbats"), kCharsetSymbol);

  MKaraoke_Initialize();
  EXPECT_EQ(SharedFontDictionary().Count(), dictionary.Count());
}

// Emoji and symbols the text face lacks come from a face that has them, drawn
// as ink of their own rather than the text face's missing-glyph box.
TEST(FontRasterizerTest, EmojiFallBackToAMonochromeSymbolFace) {
  auto font = Font("Arial", 24);
  ASSERT_TRUE(font);
  for (const char* emoji : {"\U0001F3A4", "\U0001F525", "\U0001F44D", "\U0001F3B6"}) {
    SCOPED_TRACE(emoji);
    const TextRun run = font->Shape(std::string("a") + emoji);
    ASSERT_EQ(run.glyphs.size(), 2u);
    EXPECT_TRUE(run.glyphs[1].startsFace);
    ASSERT_NE(run.glyphs[1].image, nullptr);
    EXPECT_GT(run.glyphs[1].image->rows, 0);
  }
}

}  // namespace
}  // namespace lf
