#pragma once
// CdgRenderer: the CD+G screen in memory (two 300 x 216 buffers of colour
// indices, row pitch 304), the colour table, and the effect of each graphics
// instruction. The renderer draws nothing itself: each effect marks the
// region it changed, and Present() tells the attached views (RendererView)
// once what changed since the last Present; they paint from Frame().
//
// Threads: one thread may feed instructions while others read the screen.
// Screen memory and state sit behind one mutex, released while views are
// called, so a view may read the frame from inside its callback. Players on
// other threads hold a RendererHandle so that the renderer's owner can
// destroy it while they run.
#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "core/cdg/cdg_packet.h"
#include "core/cdg/preview_target.h"
#include "core/cdg/screen_geometry.h"
#include "core/playback/renderer_view.h"

namespace lf {

class CdgRenderer;

// A renderer that its owner may destroy while another thread uses it: Use()
// runs `fn` with the renderer alive, or not at all once it is gone. The
// renderer's destructor waits for a Use() already running.
class RendererHandle {
 public:
  template <typename Fn>
  bool Use(Fn&& fn) {
    std::lock_guard lock(m_mutex);
    if (!m_renderer) return false;
    fn(*m_renderer);
    return true;
  }
  bool Alive() {
    std::lock_guard lock(m_mutex);
    return m_renderer != nullptr;
  }

 private:
  friend class CdgRenderer;
  explicit RendererHandle(CdgRenderer* renderer) : m_renderer(renderer) {}
  std::mutex m_mutex;
  CdgRenderer* m_renderer;
};

class CdgRenderer : public PreviewTarget {
 public:
  CdgRenderer();
  ~CdgRenderer() override;  // tells every view it is Detached; waits for RendererHandle users
  CdgRenderer(const CdgRenderer&) = delete;
  CdgRenderer& operator=(const CdgRenderer&) = delete;

  // --- instruction effects (shown at the next Present) ------------------------
  void MemoryPreset(int color) override;
  void BorderPreset(int color) override;
  // Replaces entries first .. first + count - 1 (clipped to the 16 entries).
  void LoadColors(int first, int count, const Colorref* colors) override;
  void DrawTile(int row, int column, int color0, int color1, const CdgTileRows& rows);
  void XorTile(int row, int column, int color0, int color1, const CdgTileRows& rows);
  // Both commands may be non-zero: the two shifts then apply together (a
  // diagonal move; the vacated L-shaped strip is filled, or wraps for a copy).
  // A command of 3 means no shift along that axis. Offsets are taken always.
  void ScrollPreset(int fillColor, int hCommand, int hOffset, int vCommand, int vOffset);
  void ScrollCopy(int hCommand, int hOffset, int vCommand, int vOffset);
  void SetTransparentColor(int color);
  // Back to the state of a new renderer (blank screen, all colours 0).
  void Reset();

  // --- display ---------------------------------------------------------------
  // Tells each view, once, the region changed since the last Present; nothing
  // while the display is held or when nothing changed.
  void Present();
  // Marks a screen rectangle (widened by a pixel, clamped to the visible
  // area) or the whole screen changed, and presents.
  void RefreshRect(const ScreenRect& screenRect);
  void RefreshAll();
  // While held, changes only accumulate; callers hold around bursts of
  // packets and then present.
  void SetHoldDisplay(bool hold);
  bool HoldDisplay() const;
  void AttachView(RendererView* view);
  // After it returns no callback to `view` runs or will run (unless called
  // from inside that view's own callback, which then finishes normally).
  void DetachView(RendererView* view);
  std::shared_ptr<RendererHandle> Handle() const { return m_handle; }

  // --- previews (PreviewTarget) ---------------------------------------------
  void CopyPixels(const ScreenRect& area, const uint8_t* pixels, int pitch, int transparentIndex) override;
  void ShowChanges() override { Present(); }

  // --- reading ---------------------------------------------------------------
  // The screen as shown, for views to paint from.
  ScreenFrame Frame() const;
  // A consistent copy of the current screen memory (kScreenBytes).
  std::vector<uint8_t> ScreenSnapshot() const;
  // Colour index at screen memory (x, y); 0 outside the screen.
  uint8_t PixelAt(int x, int y) const;
  std::array<Colorref, kColorCount> ColorTable() const;
  Colorref ColorAt(int index) const;
  int PresetColor() const;
  int BorderColor() const;
  int HOffset() const;
  int VOffset() const;
  bool TransparentColorSet() const;
  int TransparentColor() const;

  // The visible 288 x 192 window as colour indices (H and V applied).
  std::vector<uint8_t> VisibleIndices() const;
  // The whole 300 x 216 screen as shown, as 0x00BBGGRR values.
  std::vector<Colorref> DisplayColors() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m;
  std::shared_ptr<RendererHandle> m_handle;

  void TileOp(int row, int column, int color0, int color1, const CdgTileRows& rows, bool isXor);
  void Scroll(bool copy, int fillColor, int hCommand, int hOffset, int vCommand, int vOffset);
};

}  // namespace lf
