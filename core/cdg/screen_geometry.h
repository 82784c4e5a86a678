#pragma once
// Screen memory layout and rectangles on the 300 x 216 CD+G screen, shared by
// the generator (which draws previews into it) and the renderer (which holds it).
#include <algorithm>

#include "core/cdg/cdg_packet.h"

namespace lf {

// Screen memory is stored row by row with a pitch of 304 bytes.
inline constexpr int kScreenPitch = 304;
inline constexpr int kScreenBytes = kScreenPitch * kScreenHeight;  // 65664

// A rectangle, right and bottom exclusive.
struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  // The smallest rectangle holding both; an empty side is ignored.
  ScreenRect United(const ScreenRect& other) const {
    if (other.IsEmpty()) return *this;
    if (IsEmpty()) return other;
    return {std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
            std::max(bottom, other.bottom)};
  }
  bool operator==(const ScreenRect&) const = default;
};

// The whole screen, border included.
inline constexpr ScreenRect kWholeScreen{0, 0, kScreenWidth, kScreenHeight};
// The visible drawing area (6, 12)-(294, 204) of the screen.
inline constexpr ScreenRect kVisibleRect{kVisibleLeft, kVisibleTop, kVisibleRight, kVisibleBottom};

// Widens a screen rectangle by one pixel on each side, clamped to the visible area.
inline ScreenRect WidenToVisible(const ScreenRect& r) {
  return ScreenRect{r.left > kVisibleLeft ? r.left - 1 : kVisibleLeft, r.top > kVisibleTop ? r.top - 1 : kVisibleTop,
                    std::min(r.right + 1, kVisibleRight), std::min(r.bottom + 1, kVisibleBottom)};
}

// Maps a screen rectangle onto a client area showing the whole 300 x 216 screen.
inline ScreenRect ScaleToClient(const ScreenRect& r, const ScreenRect& client) {
  const int w = client.Width(), h = client.Height();
  return ScreenRect{client.left + r.left * w / kScreenWidth, client.top + r.top * h / kScreenHeight,
                    client.left + r.right * w / kScreenWidth, client.top + r.bottom * h / kScreenHeight};
}

}  // namespace lf
