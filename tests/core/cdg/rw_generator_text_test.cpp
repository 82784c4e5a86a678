#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/cdg/font_rasterizer.h"
#include "core/cdg/rw_generator.h"
#include "core/playback/png_writer.h"
#include "core/playback/rw_renderer.h"
#include "core/playback/stream_decode.h"
#include "tests/support/cli_runner.h"

namespace lf {
namespace {

constexpr int kBackground = 15, kText = 12, kOutline = 13, kSweep = 14;
constexpr int kStreamSlots = 3000;

TextType Style(int height, uint32_t flags = 0, int hAlign = kAlignLeft, int vAlign = kAlignTop) {
  TextType style;
  style.SetFaceName("Arial");
  style.m_height = height;
  style.m_flags = flags;
  style.m_hAlign = hAlign;
  style.m_vAlign = vAlign;
  style.m_color = kText;
  style.m_outlineColor = kOutline;
  style.m_backgroundColor = kBackground;
  return style;
}

std::unique_ptr<FontRasterizer> FontOf(const TextType& style) {
  return FontRasterizer::Create(
      FontRequest{style.FaceName(), style.m_height, style.IsBold(), style.IsItalic(), style.IsUnderlined()});
}

struct Stream {
  std::vector<uint8_t> bytes = std::vector<uint8_t>(kStreamSlots * kPacketSize, 0);
  int32_t Size() const { return static_cast<int32_t>(bytes.size()); }
  CdgPacket At(int slot) const { return PacketAt(bytes.data() + slot * kPacketSize); }
  bool Empty(int slot) const { return bytes[slot * kPacketSize] == 0; }
  std::vector<int> UsedSlots(int from = 0) const {
    std::vector<int> slots;
    for (int s = from; s < kStreamSlots; ++s)
      if (!Empty(s)) slots.push_back(s);
    return slots;
  }
  void Decode(CdgRenderer& renderer) const { DecodeStreamPrefix(renderer, bytes.data(), bytes.size(), kStreamSlots); }
};

// Counts the polls of the abort callback made while `run` runs.
template <typename Run>
int PollsDuring(CdgGenerator& gen, Run run) {
  int polls = 0;
  gen.SetAbortCallback([&] {
    ++polls;
    return false;
  });
  run();
  gen.SetAbortCallback(nullptr);
  return polls;
}

TEST(TextLayout, AlignmentsBandsAndTrailingSpace) {
  CdgGenerator gen;
  const TextType left = Style(24);
  auto font = FontOf(left);
  ASSERT_TRUE(font);
  const std::string text = "Sing along";
  const int w = font->Measure(text), h = font->Height(), avg = font->AverageCharWidth();

  TextRect r;
  gen.SetTrailingSpace(0);
  TextType centre = left;
  centre.m_hAlign = kAlignCenter;
  EXPECT_EQ(gen.LayoutText(*font, 1, 0, text, centre, 1, 0, nullptr, r), h);
  EXPECT_EQ(r, (TextRect{(288 - w) / 2, 0, (288 - w) / 2 + w, h}));
  TextType right = left;
  right.m_hAlign = kAlignRight;
  gen.LayoutText(*font, 1, 0, text, right, 1, 0, nullptr, r);
  EXPECT_EQ(r.left, 288 - w);
  EXPECT_EQ(r.right, 288);

  gen.SetTrailingSpace(1);
  gen.LayoutText(*font, 1, 0, text, left, 1, 0, nullptr, r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.right, w + avg);

  // Four bands of 48 pixels: band 2, line 1 of 2.
  const int B = 48;
  gen.LayoutText(*font, 4, 2, text, left, 2, 1, nullptr, r);
  EXPECT_EQ(r.top, h + 2 * B);
  EXPECT_EQ(r.bottom, r.top + h);
  TextType middle = left;
  middle.m_vAlign = kAlignVCenter;
  gen.LayoutText(*font, 4, 2, text, middle, 2, 1, nullptr, r);
  EXPECT_EQ(r.top, h + 2 * B + (B - 2 * h) / 2);
  TextType bottom = left;
  bottom.m_vAlign = kAlignBottom;
  gen.LayoutText(*font, 4, 2, text, bottom, 2, 1, nullptr, r);
  EXPECT_EQ(r.top, 2 * B + B + h - 2 * h);
  // A band lower than the text cuts the rectangle to the band.
  gen.LayoutText(*font, 16, 0, text, left, 1, 0, nullptr, r);
  EXPECT_EQ(r.bottom - r.top, 12);

  // Outlined text grows by twice a tenth of the height on each axis.
  TextType outlined = Style(40, kTextOutline);
  auto big = FontOf(outlined);
  gen.SetTrailingSpace(0);
  gen.LayoutText(*big, 1, 0, text, outlined, 1, 0, nullptr, r);
  EXPECT_EQ(r.Width(), big->Measure(text) + 8);
  EXPECT_EQ(r.Height(), big->Height() + 8);

  // Line 1 takes its alignment from the first extra line style.
  TextTypeVer6 extra;
  extra.Add(3, 24, 0, "Arial", kAlignRight);
  gen.LayoutText(*font, 1, 0, text, left, 2, 1, &extra, r);
  EXPECT_EQ(r.right, 288);
  gen.LayoutText(*font, 1, 0, text, left, 3, 2, &extra, r);  // beyond the list: the style
  EXPECT_EQ(r.left, 0);
}

TEST(TextLayout, CentredLineOfWidth100) {
  // Find a text exactly 100 pixels wide, then check the edges 94 and 194.
  CdgGenerator gen;
  gen.SetTrailingSpace(0);
  const TextType style = Style(20, 0, kAlignCenter);
  auto font = FontOf(style);
  ASSERT_TRUE(font);
  std::string text;
  for (int a = 0; a < 30 && text.empty(); ++a)
    for (int b = 0; b < 30 && text.empty(); ++b) {
      const std::string candidate = std::string(a, 'e') + std::string(b, 'i');
      if (font->Measure(candidate) == 100) text = candidate;
    }
  ASSERT_FALSE(text.empty());
  TextRect r;
  gen.LayoutText(*font, 1, 0, text, style, 1, 0, nullptr, r);
  EXPECT_EQ(r.left, 94);
  EXPECT_EQ(r.right, 194);
}

// The outline is drawn once and widened: the same pixels as the text stamped
// at every shift of up to the thickness, even where stamps come in from
// beyond the bitmap's edges; the abort is asked once before it.
TEST(TextRender, OutlineIsTheTextStampedAtEveryShift) {
  CdgGenerator gen;
  gen.SetTrailingSpace(0);
  const Palette16 grey = GreyPalette();
  const struct {
    int height;
    uint32_t flags;
    int hAlign;
    const char* text;
  } cases[] = {{40, kTextOutline, kAlignLeft, "Hi"},
               {5, kTextOutline, kAlignCenter, "Hi"},
               {19, kTextOutline | kTextUnderline | kTextItalic, kAlignRight, "Quite jolly"},
               {30, kTextOutline | kTextBold, kAlignLeft, "Wider than the whole screen is wide, twice"},
               {120, kTextOutline, kAlignLeft, "gjÅ"}};
  for (const auto& c : cases) {
    const TextType style = Style(c.height, c.flags, c.hAlign, kAlignBottom);
    DrawingBitmap drawn(grey, kBackground);
    TextRect r;
    EXPECT_EQ(PollsDuring(gen, [&] { gen.RenderText(drawn, 1, 0, c.text, style, grey.data(), &r, nullptr); }), 1)
        << c.height;

    auto font = FontOf(style);
    ASSERT_TRUE(font);
    const TextRun run = font->Shape(c.text);
    const int t = style.OutlineThickness(), x = r.left + t, y = r.top + t;
    DrawingBitmap stamped(grey, kBackground);
    for (int dy = -t; dy <= t; ++dy)
      for (int dx = -t; dx <= t; ++dx) font->Draw(stamped, x + dx, y + dy, run, kOutline);
    font->Draw(stamped, x, y, run, kText);
    int outline = 0;
    for (int py = 0; py < 192; ++py)
      for (int px = 0; px < 288; ++px) {
        ASSERT_EQ(drawn.Pixel(px, py), stamped.Pixel(px, py)) << c.text << " at " << px << "," << py;
        outline += drawn.Pixel(px, py) == kOutline;
      }
    EXPECT_GT(outline, 0) << c.text;
  }
  DrawingBitmap bitmap(grey, kBackground);
  EXPECT_EQ(PollsDuring(gen, [&] { gen.RenderText(bitmap, 1, 0, "Hi", Style(40), grey.data(), nullptr, nullptr); }), 0);
}

TEST(TextRender, OutlinedTextSurroundsTheTextAndTheRectangleHoldsBoth) {
  CdgGenerator gen;
  gen.SetTrailingSpace(0);
  const Palette16 grey = GreyPalette();
  DrawingBitmap bitmap(grey, kBackground);
  TextRect r;
  const TextType style = Style(40, kTextOutline, kAlignCenter, kAlignVCenter);
  gen.RenderText(bitmap, 1, 0, "Word", style, grey.data(), &r, nullptr);
  int text = 0, outline = 0;
  for (int y = 0; y < 192; ++y)
    for (int x = 0; x < 288; ++x) {
      const int v = bitmap.Pixel(x, y);
      const bool inside = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
      if (v != kBackground) {
        EXPECT_TRUE(inside) << x << "," << y;
      }
      text += v == kText;
      outline += v == kOutline;
    }
  EXPECT_GT(text, 100);
  EXPECT_GT(outline, text / 2);
  // The text's left neighbours at distance 4 are outline, not background.
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (bitmap.Pixel(x, y) == kText) {
        EXPECT_NE(bitmap.Pixel(x - 4, y), kBackground);
        EXPECT_NE(bitmap.Pixel(x, y + 4), kBackground);
      }
}

bool SameBitmaps(const DrawingBitmap& a, const DrawingBitmap& b) {
  return std::equal(a.Pixels(), a.Pixels() + 288 * 192, b.Pixels());
}

TEST(TextRender, AmpersandsAreRemovedButADoubledOneStays) {
  CdgGenerator gen;
  const Palette16 grey = GreyPalette();
  const TextType style = Style(30);
  auto render = [&](const std::string& text) {
    DrawingBitmap bitmap(grey, kBackground);
    gen.RenderText(bitmap, 1, 0, text, style, grey.data(), nullptr, nullptr);
    return bitmap;
  };
  EXPECT_TRUE(SameBitmaps(render("R&B"), render("RB")));
  EXPECT_TRUE(SameBitmaps(render("&Rock"), render("Rock")));
  EXPECT_TRUE(SameBitmaps(render("Rock&"), render("Rock")));
  // "&&" is one literal "&": the same as drawing "R&B" directly.
  auto font = FontOf(style);
  DrawingBitmap literal(grey, kBackground);
  font->Draw(literal, 0, 0, font->Shape("R&B"), kText);
  EXPECT_TRUE(SameBitmaps(render("R&&B"), literal));
  EXPECT_FALSE(SameBitmaps(render("R&&B"), render("RB")));
}

TEST(TextRender, SeveralLinesStackWithTheirOwnStyles) {
  CdgGenerator gen;
  gen.SetTrailingSpace(0);
  const Palette16 grey = GreyPalette();
  TextType style = Style(20, 0, kAlignCenter, kAlignVCenter);
  TextTypeVer6 extra;
  extra.Add(3, 30, kTextBold, "DejaVu Sans", kAlignLeft);
  extra.Add(4, 16, 0, "Liberation Serif", kAlignRight);
  DrawingBitmap bitmap(grey, kBackground);
  TextRect last;
  gen.RenderText(bitmap, 1, 0, "Title\r\n\nBy someone", style, grey.data(), &last, &extra);

  // Line heights 20, 30 (an empty line is drawn as a space) and 16: a block of
  // 66 pixels centred vertically; the last line right-aligned from 30 + 20 + (192 - 66) / 2.
  auto third = FontRasterizer::Create(FontRequest{"Liberation Serif", 16, false, false, false});
  const int top = (192 - 66) / 2 + 20 + 30;
  EXPECT_EQ(last, (TextRect{288 - third->Measure("By someone"), top, 288, top + 16}));
  int first = 0, lastColour = 0;
  for (int y = 0; y < 192; ++y)
    for (int x = 0; x < 288; ++x) {
      const int v = bitmap.Pixel(x, y);
      if (v == kText) {
        ++first;
        EXPECT_GE(y, (192 - 66) / 2);
        EXPECT_LT(y, (192 - 66) / 2 + 20);
      }
      if (v == 4) {
        ++lastColour;
        EXPECT_GE(y, top);
      }
    }
  EXPECT_GT(first, 0);
  EXPECT_GT(lastColour, 0);
}

TEST(TextPackets, EmptyTextWritesNothing) {
  Stream s;
  CdgRenderer renderer;
  CdgGenerator gen(s.bytes.data(), s.Size());
  gen.SetRenderer(&renderer);
  const TextType style = Style(24);
  TextRect r{1, 2, 3, 4};
  EXPECT_EQ(gen.DrawText(1, 0, "", style, kBackground, 0), 0);
  EXPECT_EQ(gen.EraseText(1, 0, "", style, kBackground, 0), 0);
  EXPECT_EQ(gen.SweepText(1, 0, "", 0, 3, style, kBackground, kSweep, false, 0, 2400, &r), 0);
  EXPECT_TRUE(s.UsedSlots().empty());
}

// Draws the line onto a cleared screen through the packets and compares the
// screen with the generator's own drawing of the same text.
TEST(TextPackets, DrawTextReproducesTheRenderedLineOnScreen) {
  for (const TextType& style :
       {Style(24, 0, kAlignCenter, kAlignVCenter), Style(36, kTextOutline | kTextBold, kAlignLeft, kAlignBottom)}) {
    Stream s;
    CdgGenerator gen(s.bytes.data(), s.Size());
    int off = gen.ClearScreen(kBackground, 0);
    const int drawStart = off / kPacketSize;
    const int written = gen.DrawText(1, 0,
                                     "Caf\xC3\xA9 stra\xC3\x9F"
                                     "e \xD0\x9F\xD1\x80\xD0\xB8",
                                     style, kBackground, off);
    const std::vector<int> slots = s.UsedSlots(drawStart);
    ASSERT_FALSE(slots.empty());
    EXPECT_EQ(written, static_cast<int>(slots.size()) * kPacketSize);  // consecutive from the offset
    EXPECT_EQ(slots.back() - drawStart + 1, static_cast<int>(slots.size()));

    // Only XOR tiles over the background; outline tiles before text tiles of the same cell.
    std::set<std::pair<int, int>> textCells;
    for (int slot : slots) {
      const CdgPacket p = s.At(slot);
      ASSERT_EQ(p.InstructionCode(), uint8_t(CdgInstruction::TileBlockXor));
      const int colour = p.TileColor1() ^ kBackground;
      ASSERT_TRUE(colour == kText || (style.IsOutlined() && colour == kOutline));
      const auto cell = std::pair{p.TileColumn(), p.TileRow()};
      if (colour == kText)
        textCells.insert(cell);
      else
        EXPECT_EQ(textCells.count(cell), 0u) << "outline after text";
      EXPECT_GE(p.TileColumn(), 1);
      EXPECT_LE(p.TileColumn(), 48);
      EXPECT_GE(p.TileRow(), 1);
      EXPECT_LE(p.TileRow(), 16);
    }

    const Palette16 grey = GreyPalette();
    DrawingBitmap expected(grey, kBackground);
    gen.RenderText(expected, 1, 0,
                   "Caf\xC3\xA9 stra\xC3\x9F"
                   "e \xD0\x9F\xD1\x80\xD0\xB8",
                   style, grey.data(), nullptr, nullptr);
    CdgRenderer renderer;
    s.Decode(renderer);
    for (int y = 0; y < 192; ++y)
      for (int x = 0; x < 288; ++x) ASSERT_EQ(renderer.PixelAt(x + 6, y + 12), expected.Pixel(x, y)) << x << "," << y;
  }
}

TEST(TextPackets, PreviewShowsTheLineAndAPngOfItCanBeWritten) {
  CdgRenderer renderer;
  CdgGenerator gen(&renderer);
  Palette16 colors = GreyPalette();
  colors[kBackground] = MakeRgb(0, 0, 136);
  colors[kText] = MakeRgb(255, 255, 255);
  colors[kOutline] = MakeRgb(0, 0, 0);
  colors[kSweep] = MakeRgb(255, 221, 0);
  gen.LoadColorTable(colors.data(), 0);
  gen.ClearScreen(kBackground, 0);
  gen.SetBorder(kBackground, 0);
  TextType style = Style(24, kTextOutline, kAlignCenter, kAlignTop);
  // Without a stream the packets are not stored, yet each still counts 24 bytes.
  const int claimed = gen.DrawText(4, 0, "Hello karaoke!", style, kBackground, 0);
  EXPECT_GT(claimed, 0);
  EXPECT_EQ(claimed % kPacketSize, 0);
  style.m_flags = kTextBold | kTextItalic | kTextUnderline;
  gen.DrawText(4, 1,
               "Caf\xC3\xA9 stra\xC3\x9F"
               "e \xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",
               style, kBackground, 0);
  style = Style(30, kTextOutline, kAlignCenter, kAlignTop);
  gen.DrawText(4, 2, "R&&B & Soul", style, kBackground, 0);
  TextRect swept;
  gen.SweepText(4, 2, "R&B  Soul", 0, 2, style, kBackground, kSweep, false, 0, 0, &swept);
  style = Style(20, 0, kAlignRight, kAlignBottom);
  style.SetFaceName("No Such Face");
  gen.DrawText(4, 3, "fallback \xE6\xBC\xA2 face", style, kBackground, 0);

  EXPECT_GT(swept.Width(), 0);
  int sweepPixels = 0, textPixels = 0;
  for (int y = 12; y < 204; ++y)
    for (int x = 6; x < 294; ++x) {
      sweepPixels += renderer.PixelAt(x, y) == kSweep;
      textPixels += renderer.PixelAt(x, y) == kText;
    }
  EXPECT_GT(sweepPixels, 50);
  EXPECT_GT(textPixels, 500);

  // LYRICFORGE_KEEP_PNG=dir keeps the picture for a look.
  const char* keep = std::getenv("LYRICFORGE_KEEP_PNG");
  const std::string path = std::string(keep ? keep : ::testing::TempDir().c_str()) + "/draw_text.png";
  std::string error;
  ASSERT_TRUE(WritePng(path, renderer.DisplayColors(), kScreenWidth, kScreenHeight, 2, error)) << error;
  if (!keep) std::remove(path.c_str());
}

TEST(TextPackets, EraseTextFillsEveryCellOfTheLine) {
  Stream s;
  CdgGenerator gen(s.bytes.data(), s.Size());
  const TextType style = Style(28, kTextOutline, kAlignCenter, kAlignVCenter);
  int off = gen.ClearScreen(kBackground, 0);
  off += gen.DrawText(2, 1, "Erase me", style, kBackground, off);
  const int eraseStart = off / kPacketSize;
  const int written = gen.EraseText(2, 1, "Erase me", style, kBackground, off);
  const std::vector<int> slots = s.UsedSlots(eraseStart);
  EXPECT_EQ(written, static_cast<int>(slots.size()) * kPacketSize);
  std::set<std::pair<int, int>> cells;
  int previousColumn = 0;
  for (int slot : slots) {
    const CdgPacket p = s.At(slot);
    ASSERT_EQ(p.InstructionCode(), uint8_t(CdgInstruction::TileBlockNormal));
    EXPECT_EQ(p.TileColor0(), kBackground);
    EXPECT_EQ(p.TileColor1(), kBackground);
    EXPECT_GE(p.TileColumn(), previousColumn);  // columns outer, rows inner
    previousColumn = p.TileColumn();
    cells.insert({p.TileColumn(), p.TileRow()});
  }
  EXPECT_EQ(cells.size(), slots.size());

  CdgRenderer renderer;
  s.Decode(renderer);
  for (int y = 0; y < 216; ++y)
    for (int x = 0; x < 300; ++x) ASSERT_EQ(renderer.PixelAt(x, y), kBackground) << x << "," << y;

  // Without a stream nothing is written and nothing is claimed.
  CdgGenerator preview(&renderer);
  EXPECT_EQ(preview.EraseText(2, 1, "Erase me", style, kBackground, 0), 0);
}

TEST(TextSweep, TilesAreSpreadEvenlyOverTheSpan) {
  const TextType style = Style(30);
  for (auto [start, end] : {std::pair{0, 2400}, std::pair{4800, 4800}, std::pair{240, 9999}}) {
    Stream s;
    CdgGenerator gen(s.bytes.data(), s.Size());
    const int written =
        gen.SweepText(1, 0, "Sweep this line", 0, 14, style, kBackground, kSweep, false, start, end, nullptr);
    const std::vector<int> slots = s.UsedSlots();
    const int n = static_cast<int>(slots.size());
    ASSERT_GT(n, 3);
    int expectedReturn = 0;
    std::vector<int> wanted;
    for (int k = 0; k < n; ++k) wanted.push_back((start + k * (end - start) / n) / 24 * 24);
    // Tiles asking for a taken slot go to the next free one, in order.
    int nextFree = 0;
    for (int k = 0; k < n; ++k) {
      const int slot = std::max(wanted[k] / 24, nextFree);
      EXPECT_EQ(slots[k], slot) << "tile " << k;
      expectedReturn += (slot * 24 - wanted[k]) + 24;
      nextFree = slot + 1;
    }
    EXPECT_EQ(written, expectedReturn);
    for (int slot : slots) {
      EXPECT_EQ(s.At(slot).InstructionCode(), uint8_t(CdgInstruction::TileBlockXor));
      EXPECT_EQ(s.At(slot).TileColor1(), kSweep ^ kText);
    }
    if (start == 0 && end == 2400 && n == 10) {
      for (int k = 0; k < 10; ++k) EXPECT_EQ(slots[k] * 24, 240 * k);
    }
  }
}

TEST(TextSweep, RectangleStartsAtTheLineOrAtTheFirstSweptCharacter) {
  CdgRenderer renderer;
  CdgGenerator gen(&renderer);
  const TextType style = Style(24, 0, kAlignCenter);
  auto font = FontOf(style);
  const std::string text = "One two three";
  TextRect line, whole, part;
  gen.LayoutText(*font, 1, 0, text, style, 1, 0, nullptr, line);
  gen.SweepText(1, 0, text, 0, 2, style, kBackground, kSweep, false, 0, 0, &whole);
  EXPECT_EQ(whole.left, line.left);
  EXPECT_EQ(whole.right, line.left + font->Measure("One") + font->AverageCharWidth());
  gen.SweepText(1, 0, text, 4, 6, style, kBackground, kSweep, false, 0, 0, &part);
  EXPECT_EQ(part.left, line.left + font->Measure("One "));
  EXPECT_EQ(part.right, line.left + font->Measure("One two") + font->AverageCharWidth());
  // Without a renderer the rectangle is not reported.
  Stream s;
  CdgGenerator output(s.bytes.data(), s.Size());
  TextRect untouched{7, 7, 7, 7};
  output.SweepText(1, 0, text, 0, 2, style, kBackground, kSweep, false, 0, 0, &untouched);
  EXPECT_EQ(untouched, (TextRect{7, 7, 7, 7}));
}

// Draw a line, sweep it word by word through the packets, and check that the
// screen ends with exactly the swept characters in the sweep colour.
TEST(TextSweep, SweptCharactersAndOnlyThoseTakeTheSweepColour) {
  for (const TextType& style : {Style(30), Style(24, kTextOutline | kTextBold)}) {
    const std::string text = "Hold me closer";
    Stream s;
    CdgGenerator gen(s.bytes.data(), s.Size());
    int off = gen.ClearScreen(kBackground, 0);
    off += gen.DrawText(1, 0, text, style, kBackground, off);
    gen.SweepText(1, 0, text, 0, 3, style, kBackground, kSweep, false, off, off + 2400, nullptr);         // "Hold"
    gen.SweepText(1, 0, text, 4, 7, style, kBackground, kSweep, false, off + 2400, off + 4800, nullptr);  // " me "
    CdgRenderer renderer;
    s.Decode(renderer);

    // Expected, from the font alone: glyph pixels of characters 0-7 that
    // no later character covers, at the line's place.
    auto font = FontOf(style);
    const int t = style.IsOutlined() ? style.OutlineThickness() : 0;
    DrawingBitmap swept(GreyPalette(), 0), line(GreyPalette(), 0);
    font->Draw(swept, t, t, font->Shape(text.substr(0, 8)), 1);
    font->Draw(line, t, t, font->Shape(text), 1);
    int sweepCount = 0;
    for (int y = 0; y < 192; ++y)
      for (int x = 0; x < 288; ++x) {
        const int shown = renderer.PixelAt(x + 6, y + 12);
        if (swept.Pixel(x, y)) {
          ASSERT_EQ(shown, kSweep) << x << "," << y;
          ++sweepCount;
        } else if (line.Pixel(x, y)) {
          ASSERT_EQ(shown, kText) << x << "," << y;
        } else {
          ASSERT_NE(shown, kSweep) << x << "," << y;
          ASSERT_NE(shown, kText) << x << "," << y;
        }
      }
    EXPECT_GT(sweepCount, 100);
  }
}

// A line with '&'s is drawn without them; swept word by word to its end,
// every pixel of the drawn line is in the sweep colour and none elsewhere.
TEST(TextSweep, LinesWithAmpersandsSweepExactlyTheDrawnText) {
  struct Case {
    std::string text, drawn;
    std::vector<std::pair<int, int>> words;  // first and last character of each sweep
  };
  const Case cases[] = {
      {"you & me", "you  me", {{0, 3}, {4, 5}, {6, 7}}},
      {"&&Rock on", "&Rock on", {{0, 6}, {7, 8}}},
      {"Rock&Roll all", "RockRoll all", {{0, 8}, {9, 12}}},
  };
  const char* keep = std::getenv("LYRICFORGE_KEEP_PNG");
  for (const Case& c : cases) {
    const TextType style = Style(30, kTextOutline);
    Stream s;
    CdgGenerator gen(s.bytes.data(), s.Size());
    int off = gen.ClearScreen(kBackground, 0);
    off += gen.DrawText(1, 0, c.text, style, kBackground, off);
    for (const auto& [first, last] : c.words) {
      gen.SweepText(1, 0, c.text, first, last, style, kBackground, kSweep, false, off, off + 600, nullptr);
      off += 600;
    }
    CdgRenderer renderer;
    s.Decode(renderer);

    auto font = FontOf(style);
    const int t = style.OutlineThickness();
    DrawingBitmap line(GreyPalette(), 0);
    font->Draw(line, t, t, font->Shape(c.drawn), 1);
    int sweepCount = 0;
    for (int y = 0; y < 192; ++y)
      for (int x = 0; x < 288; ++x) {
        const int shown = renderer.PixelAt(x + 6, y + 12);
        ASSERT_NE(shown, kText) << c.text << " at " << x << "," << y;
        ASSERT_EQ(shown == kSweep, line.Pixel(x, y) != 0) << c.text << " at " << x << "," << y;
        sweepCount += shown == kSweep;
      }
    EXPECT_GT(sweepCount, 100) << c.text;
    if (keep) {  // LYRICFORGE_KEEP_PNG=dir keeps the swept lines for a look
      Palette16 colors = GreyPalette();
      colors[kSweep] = MakeRgb(255, 221, 0);
      std::string error;
      renderer.LoadColors(0, kColorCount, colors.data());
      EXPECT_TRUE(WritePng(std::string(keep) + "/swept_" + std::to_string(&c - cases) + ".png",
                           renderer.DisplayColors(), kScreenWidth, kScreenHeight, 2, error));
    }
  }
}

TEST(TextSweep, PreviewRecoloursOnlyTheSweptLetters) {
  CdgRenderer renderer;
  CdgGenerator gen(&renderer);
  gen.ClearScreen(kBackground, 0);
  const TextType style = Style(28, 0, kAlignCenter, kAlignVCenter);
  gen.DrawText(1, 0, "Twist and shout", style, kBackground, 0);
  const std::vector<uint8_t> before = renderer.ScreenSnapshot();
  gen.SweepText(1, 0, "Twist and shout", 0, 4, style, kBackground, kSweep, false, 0, 0, nullptr);
  const std::vector<uint8_t> after = renderer.ScreenSnapshot();
  int recoloured = 0, keptText = 0;
  for (size_t i = 0; i < before.size(); ++i) {
    if (before[i] == after[i]) {
      keptText += after[i] == kText;
      continue;
    }
    ASSERT_EQ(before[i], kText) << i;
    ASSERT_EQ(after[i], kSweep) << i;
    ++recoloured;
  }
  EXPECT_GT(recoloured, 50);
  EXPECT_GT(keptText, recoloured);  // "and shout" is still there
}

TEST(TextSweep, BoxModeSweepsTheBoxBehindTheText) {
  const std::string text = "Box";
  TextType style = Style(30);
  Stream s;
  CdgGenerator gen(s.bytes.data(), s.Size());
  int off = gen.ClearScreen(kBackground, 0);
  off += gen.DrawText(1, 0, text, style, kBackground, off);
  gen.SweepText(1, 0, text, 0, 2, style, kBackground, kSweep, true, off, off, nullptr);
  CdgRenderer renderer;
  s.Decode(renderer);
  auto font = FontOf(style);
  DrawingBitmap glyphs(GreyPalette(), 0);
  font->Draw(glyphs, 0, 0, font->Shape(text), 1);
  const int w = font->Measure(text), h = font->Height();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      // The box cell takes the sweep colour; the letters keep the text colour.
      ASSERT_EQ(renderer.PixelAt(x + 6, y + 12), glyphs.Pixel(x, y) ? kText : kSweep) << x << "," << y;
}

// FFmpeg's own CD+G decoder shows the same drawn and swept line as our renderer.
TEST(TextSweep, FfmpegDecoderAgreesWithTheRenderer) {
  Stream s;
  CdgGenerator gen(s.bytes.data(), s.Size());
  Palette16 colors = GreyPalette();
  colors[kBackground] = MakeRgb(0, 0, 136);
  colors[kText] = MakeRgb(255, 255, 255);
  colors[kSweep] = MakeRgb(255, 221, 0);
  int off = gen.LoadColorTable(colors.data(), 0);
  off += gen.ClearScreen(kBackground, off);
  off += gen.SetBorder(kBackground, off);
  const TextType style = Style(26, kTextOutline | kTextItalic, kAlignCenter, kAlignVCenter);
  off += gen.DrawText(2, 1, "Fly me to the moon", style, kBackground, off);
  gen.SweepText(2, 1, "Fly me to the moon", 0, 8, style, kBackground, kSweep, false, off, off + 600, nullptr);
  const std::vector<int> used = s.UsedSlots();
  const int end = used.back() + 1;

  test::TempDir dir;
  const std::string cdg = dir.File("line.cdg"), raw = dir.File("line.rgb");
  test::WriteFileBytes(cdg, std::string(reinterpret_cast<const char*>(s.bytes.data()), end * kPacketSize));
  // One frame per graphics packet: keep the last two only.
  const std::string command = "ffmpeg -nostdin -v error -y -f cdg -i '" + cdg + "' -vf \"select='gte(n," +
                              std::to_string(used.size() - 2) +
                              ")'\" -fps_mode passthrough -pix_fmt rgb24 -f rawvideo '" + raw + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string frames = test::ReadFileBytes(raw);
  const size_t frame = kScreenWidth * kScreenHeight * 3;
  ASSERT_GE(frames.size(), frame);
  const auto* last = reinterpret_cast<const uint8_t*>(frames.data() + frames.size() - frame);

  CdgRenderer renderer;
  s.Decode(renderer);
  const std::vector<Colorref> ours = renderer.DisplayColors();
  int swept = 0;
  for (int y = kVisibleTop; y < kVisibleBottom; ++y)
    for (int x = kVisibleLeft; x < kVisibleRight; ++x) {
      const uint8_t* theirs = last + (y * kScreenWidth + x) * 3;
      const Colorref c = ours[y * kScreenWidth + x];
      ASSERT_EQ(MakeRgb(theirs[0], theirs[1], theirs[2]), c) << x << "," << y;
      swept += c == colors[kSweep];
    }
  EXPECT_GT(swept, 100);
}

TEST(TextSweep, AbortStopsTheSweep) {
  Stream s;
  CdgGenerator gen(s.bytes.data(), s.Size());
  gen.SetAbortCallback([] { return true; });
  EXPECT_EQ(gen.SweepText(1, 0, "Stop", 0, 3, Style(24), kBackground, kSweep, false, 0, 240, nullptr), 0);
  EXPECT_EQ(gen.DrawText(1, 0, "Stop", Style(24), kBackground, 0), 0);
  EXPECT_TRUE(s.UsedSlots().empty());
}

}  // namespace
}  // namespace lf
