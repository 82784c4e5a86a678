#pragma once
// PictureBitmap: a background picture turned into palette indices, ready to be
// placed on the drawing area. One byte per pixel (values 0-15), rows from the
// top, with the 16 colours the indices refer to.
#include <array>
#include <cstdint>
#include <vector>

#include "core/cdg/cdg_packet.h"

namespace lf {

class PictureBitmap {
 public:
  PictureBitmap(int width, int height)
      : m_width(width), m_height(height), m_pixels(static_cast<size_t>(width) * height, 0) {}
  virtual ~PictureBitmap() = default;

  int Width() const { return m_width; }
  int Height() const { return m_height; }

  // Callers keep 0 <= x < Width(), 0 <= y < Height().
  uint8_t At(int x, int y) const { return m_pixels[static_cast<size_t>(y) * m_width + x]; }
  void Set(int x, int y, uint8_t index) { m_pixels[static_cast<size_t>(y) * m_width + x] = index & 0x0F; }
  const uint8_t* Row(int y) const { return m_pixels.data() + static_cast<size_t>(y) * m_width; }

  // Colours as 0x00BBGGRR.
  const std::array<Colorref, kColorCount>& Palette() const { return m_palette; }
  void SetPalette(const std::array<Colorref, kColorCount>& palette) { m_palette = palette; }

 private:
  int m_width;
  int m_height;
  std::vector<uint8_t> m_pixels;
  std::array<Colorref, kColorCount> m_palette{};
};

}  // namespace lf
