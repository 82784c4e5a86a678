#pragma once
// DrawingBitmap: the generator's 288 x 192 off-screen picture, one palette index
// (0-15) per byte, with a 16-entry palette. Everything the generator draws
// (text, pictures) goes here first and is then encoded cell by cell.
#include <array>
#include <cstdint>

#include "core/cdg/cdg_packet.h"

namespace lf {

using Palette16 = std::array<Colorref, kColorCount>;

// The palette text is drawn with: entry i is i x 0x101010, so an index drawn
// is the colour index it stands for.
Palette16 GreyPalette();

class DrawingBitmap {
 public:
  static constexpr int kWidth = kDrawWidth;    // 288
  static constexpr int kHeight = kDrawHeight;  // 192

  // All pixels index 0, grey palette.
  DrawingBitmap();
  // Filled with `fillIndex` (masked to 0-15).
  DrawingBitmap(const Palette16& palette, int fillIndex);

  const Palette16& Palette() const { return m_palette; }
  void SetPalette(const Palette16& palette) { m_palette = palette; }
  Colorref PaletteColor(int index) const { return m_palette[index & 0x0F]; }

  // Out-of-range reads give 0; out-of-range writes are ignored.
  uint8_t Pixel(int x, int y) const;
  void SetPixel(int x, int y, int index);
  // Unchecked row access, y in 0 .. kHeight-1.
  uint8_t* Row(int y) { return &m_pixels[static_cast<size_t>(y) * kWidth]; }
  const uint8_t* Row(int y) const { return &m_pixels[static_cast<size_t>(y) * kWidth]; }
  uint8_t* Pixels() { return m_pixels.data(); }
  const uint8_t* Pixels() const { return m_pixels.data(); }

  void Fill(int index);
  // Fills [left, right) x [top, bottom), clipped to the bitmap.
  void FillRect(int left, int top, int right, int bottom, int index);

  // The palette entry nearest to `color` (squared RGB distance, lowest index
  // on a tie): the index a pixel of that colour is stored as.
  int NearestIndex(Colorref color) const;

 private:
  Palette16 m_palette;
  std::array<uint8_t, static_cast<size_t>(kWidth) * kHeight> m_pixels{};
};

}  // namespace lf
