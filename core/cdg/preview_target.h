#pragma once
// Where a generator mirrors its drawings for a preview: the colour table, the
// presets and the pixels of its drawing bitmaps go straight onto a screen
// (the renderer implements it), so a settings page shows a page as it is drawn.
#include <cstdint>

#include "core/cdg/cdg_packet.h"
#include "core/cdg/screen_geometry.h"

namespace lf {

class PreviewTarget {
 public:
  virtual ~PreviewTarget() = default;
  // Replaces colour entries first .. first + count - 1.
  virtual void LoadColors(int first, int count, const Colorref* colors) = 0;
  virtual void MemoryPreset(int color) = 0;
  virtual void BorderPreset(int color) = 0;
  // Copies colour indices onto `area` of the screen (clipped to it): `pixels`
  // starts at the area's top-left pixel, rows `pitch` bytes apart. Source
  // pixels equal to `transparentIndex` (when 0-15) leave the screen as it is.
  // Shown at the next ShowChanges.
  virtual void CopyPixels(const ScreenRect& area, const uint8_t* pixels, int pitch, int transparentIndex) = 0;
  // Shows what changed since the last call.
  virtual void ShowChanges() = 0;
};

}  // namespace lf
