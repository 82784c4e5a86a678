#pragma once
// A window that shows an CdgRenderer's screen, and the frame it paints from.
//
// How a view works:
// - It attaches itself with CdgRenderer::AttachView and detaches with
//   DetachView before it is destroyed (DetachView waits for a callback that is
//   already running, so nothing calls a destroyed view).
// - ScreenChanged arrives on whichever thread feeds the renderer (a player's
//   thread, or the GUI thread for generator previews), once per decoded batch.
//   It must return quickly and must not block on the view's own thread: record
//   the region and ask for a repaint (in Qt: QWidget::update(), or a queued
//   call), nothing more.
// - On its own thread the view calls CdgRenderer::Frame() and paints the part
//   it was told about, scaled from 300 x 216 to its size (ScaleToClient).
#include <array>
#include <cstdint>
#include <vector>

#include "core/cdg/screen_geometry.h"

namespace lf {

// The screen as shown: the visible window (scroll offsets applied) framed by
// the border colour, one colour index per pixel, and the 16 colours.
struct ScreenFrame {
  std::vector<uint8_t> indices;  // kScreenWidth x kScreenHeight, row by row
  std::array<Colorref, kColorCount> colors{};

  uint8_t IndexAt(int x, int y) const { return indices[static_cast<size_t>(y) * kScreenWidth + x]; }
  Colorref ColorAt(int x, int y) const { return colors[IndexAt(x, y) & 0x0F]; }
};

class RendererView {
 public:
  virtual ~RendererView() = default;
  // `region` of the 300 x 216 frame changed (screen coordinates, never empty).
  virtual void ScreenChanged(const ScreenRect& region) = 0;
  // The renderer is being destroyed and lets go of this view (on the thread
  // that destroys it); the view must not use the renderer afterwards. Not
  // called for DetachView, whose caller already knows.
  virtual void Detached() {}
};

}  // namespace lf
