#include "core/cdg/bitmap.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "tests/support/picture_fixtures.h"

namespace lf {
namespace {

uint32_t Argb(int r, int g, int b) { return 0xFF000000u | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b); }

uint32_t Le32(const std::vector<uint8_t>& bytes, size_t offset) {
  uint32_t v;
  std::memcpy(&v, bytes.data() + offset, 4);
  return v;
}

// Three vertical bands of flat colour.
std::vector<uint32_t> Bands(int width, int height, const std::vector<uint32_t>& colors) {
  std::vector<uint32_t> pixels(size_t(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels[size_t(y) * width + x] = colors[size_t(x) * colors.size() / width];
  return pixels;
}

// A smooth two-dimensional ramp with many colours.
std::vector<uint32_t> Ramp(int width, int height) {
  std::vector<uint32_t> pixels(size_t(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      pixels[size_t(y) * width + x] = Argb(x * 255 / (width - 1), y * 255 / (height - 1), (x + y) % 256);
  return pixels;
}

TEST(MBitmapSize, ShrinksToFitButNeverEnlarges) {
  int w = 0, h = 0;
  Bitmap::FitSize(576, 384, w, h);
  EXPECT_EQ(w, 288);
  EXPECT_EQ(h, 192);
  Bitmap::FitSize(576, 192, w, h);
  EXPECT_EQ(w, 288);
  EXPECT_EQ(h, 96);
  Bitmap::FitSize(100, 50, w, h);
  EXPECT_EQ(w, 100);
  EXPECT_EQ(h, 50);
  Bitmap::FitSize(300, 100, w, h);
  EXPECT_EQ(w, 288);
  EXPECT_EQ(h, 96);
  Bitmap::FitSize(100000, 1, w, h);  // keeps one row rather than vanishing
  EXPECT_EQ(w, 288);
  EXPECT_EQ(h, 1);
  Bitmap::FitSize(0, 10, w, h);
  EXPECT_EQ(w, 0);
}

TEST(MBitmapPalette, FlatColoursFillTheFirstEntriesWithLowBitsCleared) {
  Bitmap picture;
  auto pixels = Bands(90, 30, {Argb(0x12, 0x34, 0x56), Argb(0xFF, 0x0F, 0x80), Argb(0x21, 0xEE, 0x07)});
  ASSERT_TRUE(picture.SetPicture(90, 30, pixels.data()));
  EXPECT_TRUE(picture.IsStale());
  EXPECT_EQ(picture.PaletteColor(0), MakeRgb(0x10, 0x30, 0x50));
  EXPECT_EQ(picture.PaletteColor(1), MakeRgb(0xF0, 0x00, 0x80));
  EXPECT_EQ(picture.PaletteColor(2), MakeRgb(0x20, 0xE0, 0x00));
  for (int k = 3; k < 16; ++k) EXPECT_EQ(picture.PaletteColor(k), 0u) << k;
  for (const RgbQuad& q : picture.Palette()) EXPECT_EQ(q.reserved, 0);
}

TEST(MBitmapPalette, ManyColoursSpreadOverElevenEntries) {
  Bitmap picture;
  auto pixels = Ramp(288, 192);
  ASSERT_TRUE(picture.SetPicture(288, 192, pixels.data()));
  // Distinct entries, all on the 4-bit grid, nothing past entry 10.
  for (int a = 0; a < 11; ++a) {
    EXPECT_EQ(picture.PaletteColor(a) & 0x0F0F0F, 0u);
    for (int b = a + 1; b < 11; ++b) EXPECT_NE(picture.PaletteColor(a), picture.PaletteColor(b));
  }
  for (int k = 11; k < 16; ++k) EXPECT_EQ(picture.PaletteColor(k), 0u);
  // The replacement rule keeps pushing entries outward: both red extremes end
  // up represented, not just the first eleven colours of the top row.
  int minRed = 255, maxRed = 0;
  for (int k = 0; k < 11; ++k) {
    minRed = std::min<int>(minRed, RedOf(picture.PaletteColor(k)));
    maxRed = std::max<int>(maxRed, RedOf(picture.PaletteColor(k)));
  }
  EXPECT_LE(minRed, 0x30);
  EXPECT_GE(maxRed, 0xC0);
}

TEST(MBitmapQuantise, ModeZeroTakesTheNearestEntry) {
  Bitmap picture;
  auto pixels = Ramp(120, 80);
  ASSERT_TRUE(picture.SetPicture(120, 80, pixels.data()));
  auto bitmap = picture.ToBitmap(0);
  ASSERT_TRUE(bitmap);
  EXPECT_FALSE(picture.IsStale());
  ASSERT_EQ(bitmap->Width(), 120);
  ASSERT_EQ(bitmap->Height(), 80);
  EXPECT_EQ(bitmap->Palette(), picture.PaletteColors());
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 120; ++x) {
      uint32_t p = pixels[size_t(y) * 120 + x];
      int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      auto dist = [&](int k) {
        Colorref c = picture.PaletteColor(k);
        int dr = r - RedOf(c), dg = g - GreenOf(c), db = b - BlueOf(c);
        return dr * dr + dg * dg + db * db;
      };
      int best = 0;
      for (int k = 1; k < 11; ++k)
        if (dist(k) < dist(best)) best = k;
      ASSERT_EQ(bitmap->At(x, y), best) << x << "," << y;
    }
  }
}

TEST(MBitmapQuantise, CachedUntilModeOrPictureChanges) {
  Bitmap picture;
  auto pixels = Ramp(200, 100);
  ASSERT_TRUE(picture.SetPicture(200, 100, pixels.data()));
  auto pixelsOf = [](const PictureBitmap& b) {
    std::vector<uint8_t> v;
    for (int y = 0; y < b.Height(); ++y) v.insert(v.end(), b.Row(y), b.Row(y) + b.Width());
    return v;
  };
  picture.SetDitherSeed(7);
  auto first = picture.ToBitmap(50);
  picture.SetDitherSeed(12345);  // would change the choices if it re-quantised
  auto second = picture.ToBitmap(50);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(picture.LastMode(), 50);
  EXPECT_EQ(pixelsOf(*first), pixelsOf(*second));

  auto plain = picture.ToBitmap(0);
  EXPECT_EQ(picture.LastMode(), 0);
  EXPECT_NE(pixelsOf(*plain), pixelsOf(*second)) << "dithering mixes in second-nearest colours";

  // Strength matters: a weak dither stays closer to the undithered picture.
  auto countDiff = [&](const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    int n = 0;
    for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
    return n;
  };
  auto weak = pixelsOf(*picture.ToBitmap(1));
  auto strong = pixelsOf(*picture.ToBitmap(200));
  EXPECT_LT(countDiff(weak, pixelsOf(*plain)), countDiff(strong, pixelsOf(*plain)));

  // A palette change marks the quantisation stale.
  picture.ToBitmap(0);
  picture.SetPaletteColor(3, MakeRgb(1, 2, 3));
  EXPECT_TRUE(picture.IsStale());
  picture.SetPaletteColor(99, 0);  // ignored
}

TEST(MBitmapStore, NewPictureIsAllZeros) {
  Bitmap picture;
  EXPECT_TRUE(picture.IsEmpty());
  EXPECT_EQ(picture.ToBitmap(0), nullptr);
  auto bytes = picture.Serialize();
  ASSERT_EQ(bytes.size(), Bitmap::kStoredSize);
  EXPECT_EQ(Bitmap::kStoredSize, 249120u - 176u);  // the picture's span in a page block
  for (uint8_t b : bytes) ASSERT_EQ(b, 0);
}

TEST(MBitmapStore, LayoutIsByteForByte) {
  Bitmap picture;
  auto pixels = Bands(5, 3, {Argb(0x10, 0x20, 0x30), Argb(0xF0, 0xE0, 0xD0)});
  pixels[0] = 0x80A1B2C3;
  ASSERT_TRUE(picture.SetPicture(5, 3, pixels.data()));
  ASSERT_TRUE(picture.ToBitmap(0));
  auto bytes = picture.Serialize();
  // Header.
  EXPECT_EQ(Le32(bytes, 0), 40u);
  EXPECT_EQ(Le32(bytes, 4), 5u);
  EXPECT_EQ(Le32(bytes, 8), 3u);
  EXPECT_EQ(bytes[12] | (bytes[13] << 8), 1);  // planes
  EXPECT_EQ(bytes[14] | (bytes[15] << 8), 4);  // bits per pixel
  EXPECT_EQ(Le32(bytes, 16), 0u);
  EXPECT_EQ(Le32(bytes, 32), 16u);  // colours used
  EXPECT_EQ(Le32(bytes, 36), 0u);
  // Palette entries blue, green, red, 0; entry 0 came from pixel (0, 0).
  EXPECT_EQ(bytes[40], 0xC0);
  EXPECT_EQ(bytes[41], 0xB0);
  EXPECT_EQ(bytes[42], 0xA0);
  EXPECT_EQ(bytes[43], 0);
  // Full-colour pixels, 5 a row from the top.
  EXPECT_EQ(Le32(bytes, 104), 0x80A1B2C3u);
  EXPECT_EQ(Le32(bytes, 104 + 4 * 5), pixels[5]);
  EXPECT_EQ(Le32(bytes, 104 + 4 * 14), pixels[14]);
  // 4-bit pixels: bottom row first, 4 bytes a row for 5 pixels, even columns high.
  auto bitmap = picture.ToBitmap(0);
  size_t index = Bitmap::kIndexPixelOffset;
  EXPECT_EQ(bytes[index + 0] >> 4, bitmap->At(0, 2));
  EXPECT_EQ(bytes[index + 0] & 15, bitmap->At(1, 2));
  EXPECT_EQ(bytes[index + 2] >> 4, bitmap->At(4, 2));
  EXPECT_EQ(bytes[index + 8] >> 4, bitmap->At(0, 0));
  EXPECT_NE(bitmap->At(0, 0), bitmap->At(4, 0));
  // Stale flag clear after the conversion, then padding, then the last mode.
  EXPECT_EQ(bytes[248936], 0);
  EXPECT_EQ(Le32(bytes, 248940), 0u);
  picture.ToBitmap(-3);
  bytes = picture.Serialize();
  EXPECT_EQ(Le32(bytes, 248940), uint32_t(-3));
}

TEST(MBitmapStore, RoundTripsAndRejectsWhatItCannotHold) {
  Bitmap picture;
  auto pixels = Ramp(288, 192);
  ASSERT_TRUE(picture.SetPicture(288, 192, pixels.data()));
  auto original = picture.ToBitmap(20);
  auto bytes = picture.Serialize();

  Bitmap copy;
  std::string error;
  ASSERT_TRUE(copy.Deserialize(bytes.data(), bytes.size(), &error)) << error;
  EXPECT_EQ(copy.Serialize(), bytes);
  EXPECT_FALSE(copy.IsStale());
  auto restored = copy.ToBitmap(20);  // served from the stored 4-bit pixels
  for (int y = 0; y < 192; ++y) ASSERT_EQ(std::memcmp(restored->Row(y), original->Row(y), 288), 0) << y;

  Bitmap assigned;
  assigned.Copy(copy);
  EXPECT_EQ(assigned.Serialize(), bytes);

  // One byte short.
  Bitmap broken;
  ASSERT_TRUE(broken.SetPicture(288, 192, pixels.data()));
  EXPECT_FALSE(broken.Deserialize(bytes.data(), bytes.size() - 1, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(broken.IsEmpty());
  EXPECT_FALSE(broken.Deserialize(nullptr, 0));
  // Sizes the store cannot hold.
  for (auto [offset, value] : {std::pair{4, 289u}, std::pair{8, 193u}, std::pair{8, uint32_t(-192)}}) {
    auto bad = bytes;
    std::memcpy(bad.data() + offset, &value, 4);
    EXPECT_FALSE(broken.Deserialize(bad.data(), bad.size()));
    EXPECT_TRUE(broken.IsEmpty());
    EXPECT_EQ(broken.ToBitmap(0), nullptr);
  }
  // A zero-filled picture (a page without one) reads as empty.
  std::vector<uint8_t> zeros(Bitmap::kStoredSize, 0);
  EXPECT_TRUE(broken.Deserialize(zeros.data(), zeros.size()));
  EXPECT_TRUE(broken.IsEmpty());
}

class BitmapFiles : public ::testing::Test {
 protected:
  test::PictureFolder folder;
};

TEST_F(BitmapFiles, LoadsEveryFormatAndShrinksLikeFfmpeg) {
  for (const char* name : {"pic.png", "pic.jpg", "pic.bmp", "pic.gif", "pic.tif"}) {
    SCOPED_TRACE(name);
    std::string file = folder.Synthesise(name, "testsrc=size=576x384");
    ASSERT_FALSE(file.empty());
    Bitmap picture;
    std::string error;
    ASSERT_TRUE(picture.Load(file, &error)) << error;
    EXPECT_EQ(picture.Width(), 288);
    EXPECT_EQ(picture.Height(), 192);
    EXPECT_TRUE(picture.IsStale());
    int colours = 0;
    for (int k = 0; k < 11; ++k) colours += picture.PaletteColor(k) != 0;
    EXPECT_GE(colours, 8);
    auto reference = folder.ReferencePixels(file, 288, 192);
    ASSERT_EQ(reference.size(), size_t(288 * 192));
    double total = 0;
    for (int y = 0; y < 192; ++y)
      for (int x = 0; x < 288; ++x) {
        uint32_t a = picture.ColorPixel(x, y), b = reference[size_t(y) * 288 + x];
        for (int shift = 0; shift < 24; shift += 8)
          total += std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF));
      }
    // Same decoder and the same bicubic kernel; only rounding may differ.
    EXPECT_LT(total / (288 * 192 * 3), 1.0);
    auto bitmap = picture.ToBitmap(1);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->Width(), 288);
  }
}

TEST_F(BitmapFiles, PixelFormatVariants) {
  struct Variant {
    const char* name;
    const char* options;
  };
  const Variant variants[] = {
      {"gray.png", "-pix_fmt gray"},     {"deep.png", "-pix_fmt rgb48be"}, {"pal.png", "-pix_fmt pal8"},
      {"alpha.png", "-pix_fmt rgba"},    {"mono.bmp", "-pix_fmt monob"},   {"lzw.tif", "-compression_algo lzw"},
      {"full.jpg", "-pix_fmt yuvj444p"}, {"gray.jpg", "-pix_fmt gray"},    {"rgb565.bmp", "-pix_fmt rgb565le"},
  };
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.name);
    std::string file = folder.Synthesise(v.name, "testsrc2=size=300x200", v.options);
    ASSERT_FALSE(file.empty());
    Bitmap picture;
    std::string error;
    ASSERT_TRUE(picture.Load(file, &error)) << error;
    EXPECT_EQ(picture.Width(), 288);
    EXPECT_EQ(picture.Height(), 192);
    auto reference = folder.ReferencePixels(file, 288, 192);
    ASSERT_EQ(reference.size(), size_t(288 * 192));
    double total = 0;
    for (int y = 0; y < 192; ++y)
      for (int x = 0; x < 288; ++x)
        for (int shift = 0; shift < 24; shift += 8)
          total += std::abs(int((picture.ColorPixel(x, y) >> shift) & 0xFF) -
                            int((reference[size_t(y) * 288 + x] >> shift) & 0xFF));
    EXPECT_LT(total / (288 * 192 * 3), 2.0);
  }
}

TEST_F(BitmapFiles, FlatColoursSurviveLoadingExactly) {
  // Three bands as a PPM, turned into lossless files by ffmpeg.
  std::string ppm = "P6\n90 40\n255\n";
  const uint8_t bands[3][3] = {{0x12, 0x34, 0x56}, {0xFF, 0x0F, 0x80}, {0x21, 0xEE, 0x07}};
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 90; ++x) ppm.append(reinterpret_cast<const char*>(bands[x / 30]), 3);
  std::string source = folder.Write("bands.ppm", ppm);
  for (const char* name : {"bands.png", "bands.bmp", "bands.tif"}) {  // ffmpeg's GIF encoder changes colours
    SCOPED_TRACE(name);
    std::string file = folder.File(name);
    std::string command = "ffmpeg -nostdin -y -loglevel error -i '" + source + "' '" + file + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    Bitmap picture;
    ASSERT_TRUE(picture.Load(file));
    EXPECT_EQ(picture.Width(), 90);
    EXPECT_EQ(picture.Height(), 40);
    EXPECT_EQ(picture.ColorPixel(45, 20), 0xFFFF0F80u);
    EXPECT_EQ(picture.PaletteColor(0), MakeRgb(0x10, 0x30, 0x50));
    EXPECT_EQ(picture.PaletteColor(1), MakeRgb(0xF0, 0x00, 0x80));
    EXPECT_EQ(picture.PaletteColor(2), MakeRgb(0x20, 0xE0, 0x00));
    for (int k = 3; k < 16; ++k) EXPECT_EQ(picture.PaletteColor(k), 0u) << k;
  }
}

TEST_F(BitmapFiles, SmallPictureKeepsItsSize) {
  std::string file = folder.Synthesise("small.png", "testsrc=size=100x50");
  Bitmap picture;
  ASSERT_TRUE(picture.Load(file));
  EXPECT_EQ(picture.Width(), 100);
  EXPECT_EQ(picture.Height(), 50);
}

TEST_F(BitmapFiles, BadFilesGiveAnEmptyPicture) {
  std::string png = test::ReadFileBytes(folder.Synthesise("good.png", "testsrc=size=64x48"));
  ASSERT_GT(png.size(), 200u);
  std::string jpg = test::ReadFileBytes(folder.Synthesise("good.jpg", "testsrc=size=64x48"));
  std::vector<std::string> bad = {
      folder.Write("empty.png", ""),
      folder.Write("text.png", "this is not a picture at all\n"),
      folder.Write("text.txt", std::string(5000, 'x')),
      folder.Write("truncated.png", png.substr(0, 60)),
      folder.Write("header-only.jpg", jpg.substr(0, 20)),
      folder.Write("random.gif", std::string("GIF89a") + std::string(40, '\xff')),
      folder.File("missing.png"),
  };
  for (const std::string& file : bad) {
    SCOPED_TRACE(file);
    Bitmap picture;
    auto pixels = Ramp(20, 20);
    picture.SetPicture(20, 20, pixels.data());
    std::string error;
    EXPECT_FALSE(picture.Load(file, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(picture.IsEmpty());
    EXPECT_EQ(picture.PaletteColor(0), 0u);
    EXPECT_EQ(picture.ToBitmap(0), nullptr);
  }
}

TEST_F(BitmapFiles, HugePicturesAreRefusedOrReducedWithoutExhaustingMemory) {
  // A bitmap header claiming 10000 x 10000 with almost no pixel data.
  std::string bmp(54, '\0');
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&bmp[at], &v, 4); };
  bmp[0] = 'B';
  bmp[1] = 'M';
  put32(2, 54 + 64);
  put32(10, 54);
  put32(14, 40);
  put32(18, 10000);
  put32(22, 10000);
  bmp[26] = 1;
  bmp[28] = 24;
  bmp += std::string(64, '\x7f');
  Bitmap picture;
  EXPECT_FALSE(picture.Load(folder.Write("huge.bmp", bmp)));
  EXPECT_TRUE(picture.IsEmpty());

  // A real 10000 x 10000 photograph decodes at a reduced scale.
  std::string jpg = folder.Synthesise("huge.jpg", "color=c=0x3868c8:size=10000x10000", "-q:v 31");
  ASSERT_FALSE(jpg.empty());
  std::string error;
  ASSERT_TRUE(picture.Load(jpg, &error)) << error;
  EXPECT_EQ(picture.Width(), 192);
  EXPECT_EQ(picture.Height(), 192);
  EXPECT_EQ(picture.PaletteColor(0), MakeRgb(0x30, 0x60, 0xC0));
}

}  // namespace
}  // namespace lf
