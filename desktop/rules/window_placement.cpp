#include "desktop/rules/window_placement.h"

namespace lf {
namespace {

constexpr const char* kGroup = "Settings";
constexpr const char* kRectKey = "AppWindowRect";
constexpr const char* kMaximizedKey = "AppWindowMaximized";

int32_t ReadInt32(const SettingsBytes& bytes, size_t at) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) v |= uint32_t(bytes[at + i]) << (8 * i);
  return static_cast<int32_t>(v);
}

void AppendInt32(SettingsBytes& bytes, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

}  // namespace

WindowPlacement ReadWindowPlacement(const SettingsStore& settings) {
  WindowPlacement placement;
  if (auto bytes = settings.Bytes(kGroup, kRectKey); bytes && bytes->size() == 16) {
    WindowPlacement stored;
    stored.left = ReadInt32(*bytes, 0);
    stored.top = ReadInt32(*bytes, 4);
    stored.right = ReadInt32(*bytes, 8);
    stored.bottom = ReadInt32(*bytes, 12);
    if (stored.Width() > 0 && stored.Height() > 0) placement = stored;
  }
  placement.maximized = settings.Int(kGroup, kMaximizedKey, 0) != 0;
  return placement;
}

void WriteWindowPlacement(SettingsStore& settings, const WindowPlacement& placement) {
  SettingsBytes bytes;
  for (int32_t v : {placement.left, placement.top, placement.right, placement.bottom}) AppendInt32(bytes, v);
  settings.SetBytes(kGroup, kRectKey, bytes);
  settings.SetInt(kGroup, kMaximizedKey, placement.maximized ? 1 : 0);
}

}  // namespace lf
