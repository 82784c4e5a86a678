#pragma once
// MRwRenderer: the CD+G screen in memory (two 300 x 216 buffers of colour
// indices, row pitch 304), the colour table, and the effect of each graphics
// instruction. Views (windows) attach through IRendererView and are told
// which scaled rectangles to repaint; the renderer itself draws nothing.
//
// Threads: one thread may feed instructions while others read the screen.
// Screen memory and state sit behind one mutex; views are called with that
// mutex released, so a view may read the screen from inside its callbacks.
#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

#include "engine/cdg/cdg_packet.h"

namespace lf {

inline constexpr int kScreenPitch = 304;
inline constexpr int kScreenBytes = kScreenPitch * kScreenHeight;  // 65664

struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const ScreenRect&) const = default;
};

class MRwRenderer;

// A window that shows the renderer's screen scaled to its client area.
class IRendererView {
 public:
  virtual ~IRendererView() = default;
  // Client area in the view's own coordinates.
  virtual ScreenRect ClientRect() const = 0;
  // Show screen memory `source` (offsets already applied), stretched to `dest`.
  virtual void CopyScreen(const MRwRenderer& renderer, const ScreenRect& source, const ScreenRect& dest) = 0;
  // Fill `dest` with one colour (border strips, memory presets).
  virtual void FillRect(const ScreenRect& dest, Colorref color) = 0;
};

// The visible drawing area (6, 12)-(294, 204) of the screen.
inline constexpr ScreenRect kVisibleRect{kVisibleLeft, kVisibleTop, kVisibleRight, kVisibleBottom};

// Refresh arithmetic, exposed for views and tests.
// Widens a screen rectangle by one pixel on each side, clamped to the visible area.
ScreenRect WidenToVisible(const ScreenRect& screenRect);
// Maps a screen rectangle onto a client area showing the whole 300 x 216 screen.
ScreenRect ScaleToClient(const ScreenRect& screenRect, const ScreenRect& client);

class MRwRenderer {
 public:
  MRwRenderer();
  virtual ~MRwRenderer();
  MRwRenderer(const MRwRenderer&) = delete;
  MRwRenderer& operator=(const MRwRenderer&) = delete;

  // --- instruction effects ---------------------------------------------------
  void MemoryPreset(int color);
  void BorderPreset(int color);
  // Replaces entries first .. first + count - 1 (clipped to the 16 entries).
  void LoadColors(int first, int count, const Colorref* colors);
  void DrawTile(int row, int column, int color0, int color1, const CdgTileRows& rows);
  void XorTile(int row, int column, int color0, int color1, const CdgTileRows& rows);
  // Both commands may be non-zero: the two shifts then apply together (a
  // diagonal move; the vacated L-shaped strip is filled, or wraps for a copy).
  // A command of 3 means no shift along that axis. Offsets are taken always.
  void ScrollPreset(int fillColor, int hCommand, int hOffset, int vCommand, int vOffset);
  void ScrollCopy(int hCommand, int hOffset, int vCommand, int vOffset);
  void SetTransparentColor(int color);

  // --- display ---------------------------------------------------------------
  void RefreshRect(const ScreenRect& screenRect);
  void RefreshAll();
  void RepaintBorder();
  void AttachView(IRendererView* view);
  void DetachView(IRendererView* view);
  void SetHoldDisplay(bool hold);
  bool HoldDisplay() const;

  // --- direct access (generator previews, views) ------------------------------
  // Locks screen memory; pixels of the current buffer, kScreenPitch per row.
  // Every LockScreen must be matched by UnlockScreen on the same thread.
  uint8_t* LockScreen();
  void UnlockScreen();

  // A consistent copy of the current screen (kScreenBytes) and colour table.
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
  // The whole 300 x 216 screen as shown: visible window with the border colour
  // around it, as 0x00BBGGRR values.
  std::vector<Colorref> DisplayColors() const;

 private:
  struct Impl;
  Impl* m;

  void TileOp(int row, int column, int color0, int color1, const CdgTileRows& rows, bool isXor);
  void Scroll(bool copy, int fillColor, int hCommand, int hOffset, int vCommand, int vOffset);
  std::vector<IRendererView*> Views() const;
};

}  // namespace lf
