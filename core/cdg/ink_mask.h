#pragma once
// InkMask: which pixels of a rectangle of the drawing bitmap some ink covers,
// one byte a pixel. Text is drawn into it once and then widened, which sets
// the same pixels as stamping the text at every shift of up to the widening
// in each direction.
#include <cstdint>
#include <vector>

#include "core/cdg/screen_geometry.h"

namespace lf {

class DrawingBitmap;

class InkMask {
 public:
  // Covers bitmap pixels `area`, which may reach past the bitmap's edges.
  explicit InkMask(const ScreenRect& area);

  int Left() const { return m_area.left; }
  int Top() const { return m_area.top; }
  int Right() const { return m_area.right; }
  int Bottom() const { return m_area.bottom; }
  // Row y (Top() <= y < Bottom()) from column Left().
  uint8_t* RowFrom(int y) { return &m_pixels[static_cast<size_t>(y - m_area.top) * m_area.Width()]; }
  const uint8_t* RowFrom(int y) const { return &m_pixels[static_cast<size_t>(y - m_area.top) * m_area.Width()]; }

  // Sets [left, right) x [top, bottom), clipped to the mask.
  void FillRect(int left, int top, int right, int bottom, uint8_t value);
  // Sets every pixel at most `radius` columns and rows away from a set one.
  void Widen(int radius);
  // Sets the bitmap pixels under set mask pixels to `index`, within `clip`.
  void PaintOnto(DrawingBitmap& bitmap, const ScreenRect& clip, int index) const;

 private:
  ScreenRect m_area;
  std::vector<uint8_t> m_pixels;
};

}  // namespace lf
