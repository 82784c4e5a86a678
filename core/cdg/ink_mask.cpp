#include "core/cdg/ink_mask.h"

#include <algorithm>
#include <limits>

#include "core/cdg/draw_bitmap.h"

namespace lf {

namespace {

// Widens the set bytes of `count` bytes `stride` apart by `radius` either way:
// a byte ends set when the nearest set byte before or after it is close enough.
void WidenLine(const uint8_t* in, uint8_t* out, int count, int stride, int radius) {
  constexpr int kFar = std::numeric_limits<int>::max() / 2;
  int lastSet = -kFar;
  for (int i = 0; i < count; ++i) {
    if (in[i * stride]) lastSet = i;
    out[i * stride] = i - lastSet <= radius;
  }
  int nextSet = kFar;
  for (int i = count - 1; i >= 0; --i) {
    if (in[i * stride]) nextSet = i;
    if (nextSet - i <= radius) out[i * stride] = 1;
  }
}

}  // namespace

InkMask::InkMask(const ScreenRect& area) : m_area(area) {
  if (m_area.IsEmpty()) m_area = ScreenRect{};
  m_pixels.assign(static_cast<size_t>(m_area.Width()) * m_area.Height(), 0);
}

void InkMask::FillRect(int left, int top, int right, int bottom, uint8_t value) {
  left = std::max(left, m_area.left);
  top = std::max(top, m_area.top);
  right = std::min(right, m_area.right);
  bottom = std::min(bottom, m_area.bottom);
  if (left >= right || top >= bottom) return;
  for (int y = top; y < bottom; ++y)
    std::fill(RowFrom(y) + (left - m_area.left), RowFrom(y) + (right - m_area.left), value);
}

// A square widening is a widening of the rows followed by one of the columns.
void InkMask::Widen(int radius) {
  if (radius <= 0 || m_pixels.empty()) return;
  const int width = m_area.Width(), height = m_area.Height();
  std::vector<uint8_t> rows(m_pixels.size());
  for (int y = 0; y < height; ++y) {
    const size_t at = static_cast<size_t>(y) * width;
    WidenLine(&m_pixels[at], &rows[at], width, 1, radius);
  }
  for (int x = 0; x < width; ++x) WidenLine(&rows[x], &m_pixels[x], height, width, radius);
}

void InkMask::PaintOnto(DrawingBitmap& bitmap, const ScreenRect& clip, int index) const {
  const int left = std::max({clip.left, m_area.left, 0});
  const int top = std::max({clip.top, m_area.top, 0});
  const int right = std::min({clip.right, m_area.right, static_cast<int>(DrawingBitmap::kWidth)});
  const int bottom = std::min({clip.bottom, m_area.bottom, static_cast<int>(DrawingBitmap::kHeight)});
  const auto value = static_cast<uint8_t>(index & 0x0F);
  for (int y = top; y < bottom; ++y) {
    const uint8_t* from = RowFrom(y) + (left - m_area.left);
    uint8_t* to = bitmap.Row(y) + left;
    for (int x = 0; x < right - left; ++x)
      if (from[x]) to[x] = value;
  }
}

}  // namespace lf
