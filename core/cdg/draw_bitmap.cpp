#include "core/cdg/draw_bitmap.h"

#include <algorithm>

namespace lf {

Palette16 GreyPalette() {
  Palette16 palette{};
  for (int i = 0; i < kColorCount; ++i) palette[i] = static_cast<Colorref>(i) * 0x101010u;
  return palette;
}

DrawingBitmap::DrawingBitmap() : m_palette(GreyPalette()) {}

DrawingBitmap::DrawingBitmap(const Palette16& palette, int fillIndex) : m_palette(palette) { Fill(fillIndex); }

uint8_t DrawingBitmap::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return 0;
  return Row(y)[x];
}

void DrawingBitmap::SetPixel(int x, int y, int index) {
  if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return;
  Row(y)[x] = static_cast<uint8_t>(index & 0x0F);
}

void DrawingBitmap::Fill(int index) { m_pixels.fill(static_cast<uint8_t>(index & 0x0F)); }

void DrawingBitmap::FillRect(int left, int top, int right, int bottom, int index) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, kWidth);
  bottom = std::min(bottom, kHeight);
  if (left >= right || top >= bottom) return;
  const auto value = static_cast<uint8_t>(index & 0x0F);
  for (int y = top; y < bottom; ++y) std::fill(Row(y) + left, Row(y) + right, value);
}

int DrawingBitmap::NearestIndex(Colorref color) const {
  int best = 0;
  long bestDistance = -1;
  for (int i = 0; i < kColorCount; ++i) {
    const long dr = long(RedOf(color)) - RedOf(m_palette[i]);
    const long dg = long(GreenOf(color)) - GreenOf(m_palette[i]);
    const long db = long(BlueOf(color)) - BlueOf(m_palette[i]);
    const long distance = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
      if (distance == 0) break;
    }
  }
  return best;
}

}  // namespace lf
