#pragma once
// Bitmap: a page's background picture in the form the CD+G screen can show.
// At most 288 x 192 pixels, a 16-entry palette of which the picture chooses at
// most 11 colours, and a cached 4-bit quantisation of the picture. The stored
// form (Serialize/Deserialize) is the picture's part of a project page block.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/cdg/cdg_packet.h"
#include "core/cdg/picture_bitmap.h"

namespace lf {

// The 40-byte device-independent bitmap header, kept field by field so that a
// stored picture reads back byte for byte.
struct BitmapInfoHeader {
  uint32_t size = 0;
  int32_t width = 0;
  int32_t height = 0;
  uint16_t planes = 0;
  uint16_t bitCount = 0;
  uint32_t compression = 0;
  uint32_t sizeImage = 0;
  int32_t xPelsPerMeter = 0;
  int32_t yPelsPerMeter = 0;
  uint32_t clrUsed = 0;
  uint32_t clrImportant = 0;
  bool operator==(const BitmapInfoHeader&) const = default;
};

// A palette entry in its stored byte order.
struct RgbQuad {
  uint8_t blue = 0;
  uint8_t green = 0;
  uint8_t red = 0;
  uint8_t reserved = 0;
  bool operator==(const RgbQuad&) const = default;
};

class Bitmap {
 public:
  static constexpr int kMaxWidth = kDrawWidth;    // 288
  static constexpr int kMaxHeight = kDrawHeight;  // 192
  static constexpr int kPictureColors = 11;       // entries 0-10 come from the picture
  static constexpr int kMaxPixels = kMaxWidth * kMaxHeight;
  static constexpr int kIndexRowBytes = ((kMaxWidth + 7) / 8) * 4;  // 144

  // --- stored form -----------------------------------------------------------
  static constexpr size_t kHeaderBytes = 40;
  static constexpr size_t kPaletteBytes = kColorCount * 4;                         // 64
  static constexpr size_t kColorPixelBytes = size_t(kMaxPixels) * 4;               // 221184
  static constexpr size_t kIndexPixelBytes = size_t(kIndexRowBytes) * kMaxHeight;  // 27648
  static constexpr size_t kPaletteOffset = kHeaderBytes;
  static constexpr size_t kColorPixelOffset = kPaletteOffset + kPaletteBytes;        // 104
  static constexpr size_t kIndexPixelOffset = kColorPixelOffset + kColorPixelBytes;  // 221288
  static constexpr size_t kStaleOffset = kIndexPixelOffset + kIndexPixelBytes;       // 248936
  static constexpr size_t kLastModeOffset = kStaleOffset + 4;                        // 248940
  static constexpr size_t kStoredSize = kLastModeOffset + 4;                         // 248944

  Bitmap();
  virtual ~Bitmap();
  Bitmap(const Bitmap& other);
  Bitmap& operator=(const Bitmap& other);

  // Reads a picture file (BMP, JPEG, GIF, TIFF, PNG), shrinks it to fit
  // 288 x 192, builds the palette and keeps the full-colour pixels. A file that
  // cannot be read leaves an empty picture and returns false; `error` (when
  // given) then says why.
  bool Load(const std::string& path, std::string* error = nullptr);

  // Takes a picture already in memory: `argb` holds width x height values
  // 0xAARRGGBB, rows from the top. The picture is shrunk like a loaded one.
  // Returns false (empty picture) for a size of 0 or a missing buffer.
  bool SetPicture(int width, int height, const uint32_t* argb);

  // The picture as palette indices with the 16-entry palette; null for an
  // empty picture. `mode` 0 takes the nearest colour; n > 0 dithers with
  // strength n. The quantisation is cached until the picture, the palette or
  // the mode changes.
  std::unique_ptr<PictureBitmap> ToBitmap(int mode) const;

  void Copy(const Bitmap& other);
  // Back to the all-zero state of a new picture.
  void Clear();

  int Width() const { return m_header.width; }
  int Height() const { return m_header.height; }
  bool IsEmpty() const { return m_header.width <= 0 || m_header.height <= 0; }

  const BitmapInfoHeader& Header() const { return m_header; }
  const std::array<RgbQuad, kColorCount>& Palette() const { return m_palette; }
  // Colours as 0x00BBGGRR (the page's colour table).
  Colorref PaletteColor(int index) const;
  std::array<Colorref, kColorCount> PaletteColors() const;
  // Out-of-range indices are ignored. Marks the quantisation stale.
  void SetPaletteColor(int index, Colorref color);

  // Full-colour pixel (x, y) as 0xAARRGGBB; 0 outside the picture.
  uint32_t ColorPixel(int x, int y) const;
  bool IsStale() const { return m_stale != 0; }
  int LastMode() const { return m_lastMode; }

  // The random source of the dithering; each re-quantisation starts from the
  // seed, so a picture quantises the same way every time.
  void SetDitherSeed(uint32_t seed) { m_ditherSeed = seed; }

  // Writes exactly kStoredSize bytes.
  void Serialize(uint8_t* out) const;
  std::vector<uint8_t> Serialize() const;
  // Reads the stored form. Fails (leaving an empty picture) when fewer than
  // kStoredSize bytes are given or the header names a size the store cannot
  // hold.
  bool Deserialize(const uint8_t* data, size_t size, std::string* error = nullptr);

  // The size a w x h picture is shrunk to: never enlarged, at most 288 x 192.
  static void FitSize(int width, int height, int& fitWidth, int& fitHeight);

 private:
  // `pixels` holds width x height values, width x height within 288 x 192.
  void StorePicture(int width, int height, const std::vector<uint32_t>& pixels);
  void FillHeader(int width, int height);
  void BuildPalette();
  void Quantise(int mode) const;
  void WriteIndexPixel(int x, int y, uint8_t index) const;
  void SetIndexPixel(int x, int y, uint8_t index);
  uint8_t IndexPixel(int x, int y) const;

  BitmapInfoHeader m_header;
  std::array<RgbQuad, kColorCount> m_palette{};
  std::vector<uint32_t> m_colorPixels;  // kMaxPixels values, Width() per row
  // The 16-colour pixels are the colour pixels quantised on demand: kept with
  // the picture (and stored with it), but worked out again whenever they are stale.
  mutable std::vector<uint8_t> m_indexPixels;  // kIndexPixelBytes, bottom-up rows
  mutable uint8_t m_stale = 0;
  mutable int32_t m_lastMode = 0;
  uint32_t m_ditherSeed = 1;
};

}  // namespace lf
