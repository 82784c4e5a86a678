#pragma once
// The main window's stored placement: its normal (restored) rectangle as four
// little-endian 32-bit integers in "AppWindowRect", and "AppWindowMaximized".
#include <cstdint>

#include "core/platform/settings.h"

namespace lf {

struct WindowPlacement {
  int32_t left = 10, top = 10, right = 500, bottom = 523;
  bool maximized = false;
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool operator==(const WindowPlacement&) const = default;
};

// The smallest size the user can drag the main window to.
inline constexpr int kMinWindowWidth = 470;
inline constexpr int kMinWindowHeight = 488;

// The stored placement; the default (10, 10, 490 x 513, not maximised) for
// what is missing, and for a rectangle that is not 16 bytes or has no area.
WindowPlacement ReadWindowPlacement(const SettingsStore& settings);
void WriteWindowPlacement(SettingsStore& settings, const WindowPlacement& placement);

}  // namespace lf
