#include "engine/playback/rw_renderer.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace lf {

namespace {

constexpr int kMaxHOffset = kTileWidth - 1;   // 5
constexpr int kMaxVOffset = kTileHeight - 1;  // 11

using ScreenBuffer = std::array<uint8_t, kScreenBytes>;

// The four border strips, in screen coordinates.
constexpr ScreenRect kBorderStrips[4] = {
    {0, 0, kScreenWidth, kVisibleTop},
    {0, kVisibleTop, kVisibleLeft, kVisibleBottom},
    {0, kVisibleBottom, kScreenWidth, kScreenHeight},
    {kVisibleRight, kVisibleTop, kScreenWidth, kVisibleBottom},
};

bool ValidColor(int color) { return color >= 0 && color < kColorCount; }

// A scroll command as a pixel shift along its axis; 0 and 3 do not move.
int ShiftOf(int command, int step) {
  if (command == kScrollRight) return step;
  if (command == kScrollLeft) return -step;
  return 0;
}

// One row of the shifted screen: `dx` is -6, 0 or 6.
void ShiftRow(const uint8_t* src, uint8_t* dst, int dx, bool wrap, uint8_t fill) {
  if (dx == 0) {
    std::memcpy(dst, src, kScreenWidth);
  } else if (dx > 0) {
    std::memcpy(dst + dx, src, kScreenWidth - dx);
    if (wrap) std::memcpy(dst, src + kScreenWidth - dx, dx);
    else std::memset(dst, fill, dx);
  } else {
    const int n = -dx;
    std::memcpy(dst, src + n, kScreenWidth - n);
    if (wrap) std::memcpy(dst + kScreenWidth - n, src, n);
    else std::memset(dst + kScreenWidth - n, fill, n);
  }
}

}  // namespace

ScreenRect WidenToVisible(const ScreenRect& r) {
  ScreenRect out;
  out.left = r.left > kVisibleLeft ? r.left - 1 : kVisibleLeft;
  out.top = r.top > kVisibleTop ? r.top - 1 : kVisibleTop;
  out.right = std::min(r.right + 1, kVisibleRight);
  out.bottom = std::min(r.bottom + 1, kVisibleBottom);
  return out;
}

ScreenRect ScaleToClient(const ScreenRect& r, const ScreenRect& client) {
  const int w = client.Width(), h = client.Height();
  return ScreenRect{client.left + r.left * w / kScreenWidth, client.top + r.top * h / kScreenHeight,
                    client.left + r.right * w / kScreenWidth, client.top + r.bottom * h / kScreenHeight};
}

struct MRwRenderer::Impl {
  mutable std::recursive_mutex mutex;  // screen memory and the state below
  ScreenBuffer buffers[2]{};
  int current = 0;
  std::array<Colorref, kColorCount> colors{};
  int preset = 0;
  int border = 0;
  int transparent = 0;
  bool transparentSet = false;
  int h = 0;
  int v = 0;
  std::atomic<bool> hold{false};

  mutable std::mutex viewMutex;
  std::vector<IRendererView*> views;

  uint8_t* Screen() { return buffers[current].data(); }
  const uint8_t* Screen() const { return buffers[current].data(); }
};

MRwRenderer::MRwRenderer() : m(new Impl) {}

MRwRenderer::~MRwRenderer() { delete m; }

std::vector<IRendererView*> MRwRenderer::Views() const {
  std::lock_guard lock(m->viewMutex);
  return m->views;
}

// --- instruction effects -------------------------------------------------------

void MRwRenderer::MemoryPreset(int color) {
  Colorref shown;
  {
    std::lock_guard lock(m->mutex);
    if (ValidColor(color)) m->preset = color;
    // The pitch padding is filled too: it is never shown, and one memset is cheapest.
    std::memset(m->Screen(), m->preset, kScreenBytes);
    shown = m->colors[m->preset];
  }
  if (m->hold) return;
  for (IRendererView* view : Views()) view->FillRect(ScaleToClient(kVisibleRect, view->ClientRect()), shown);
}

void MRwRenderer::BorderPreset(int color) {
  {
    std::lock_guard lock(m->mutex);
    if (ValidColor(color)) m->border = color;
  }
  RepaintBorder();
}

void MRwRenderer::LoadColors(int first, int count, const Colorref* colors) {
  {
    std::lock_guard lock(m->mutex);
    for (int i = 0; i < count; ++i) {
      const int index = first + i;
      if (ValidColor(index)) m->colors[index] = colors[i];
    }
  }
  RefreshRect(ScreenRect{0, 0, kScreenWidth, kScreenHeight});
  RepaintBorder();
}

void MRwRenderer::DrawTile(int row, int column, int color0, int color1, const CdgTileRows& rows) {
  TileOp(row, column, color0, color1, rows, false);
}

void MRwRenderer::XorTile(int row, int column, int color0, int color1, const CdgTileRows& rows) {
  TileOp(row, column, color0, color1, rows, true);
}

void MRwRenderer::TileOp(int row, int column, int color0, int color1, const CdgTileRows& rows, bool isXor) {
  if (!ValidColor(color0) || !ValidColor(color1) || row < 0 || row >= kTileRows || column < 0 ||
      column >= kTileColumns) {
    RefreshAll();
    return;
  }
  const int x0 = column * kTileWidth, y0 = row * kTileHeight;
  {
    std::lock_guard lock(m->mutex);
    uint8_t* line = m->Screen() + y0 * kScreenPitch + x0;
    for (int i = 0; i < kTileHeight; ++i, line += kScreenPitch) {
      const uint8_t bits = rows.bits[i];
      for (int j = 0; j < kTileWidth; ++j) {
        const uint8_t k = (bits >> (kTileWidth - 1 - j)) & 1 ? color1 : color0;
        line[j] = isXor ? static_cast<uint8_t>(line[j] ^ k) : k;
      }
    }
  }
  // Tiles in the border row or column are shown only by a later refresh.
  if (row > 0 && column > 0) RefreshRect(ScreenRect{x0, y0, x0 + kTileWidth, y0 + kTileHeight});
}

void MRwRenderer::ScrollPreset(int fillColor, int hCommand, int hOffset, int vCommand, int vOffset) {
  Scroll(false, fillColor, hCommand, hOffset, vCommand, vOffset);
}

void MRwRenderer::ScrollCopy(int hCommand, int hOffset, int vCommand, int vOffset) {
  Scroll(true, 0, hCommand, hOffset, vCommand, vOffset);
}

void MRwRenderer::Scroll(bool copy, int fillColor, int hCommand, int hOffset, int vCommand, int vOffset) {
  const int dx = ShiftOf(hCommand, kTileWidth);
  const int dy = ShiftOf(vCommand, kTileHeight);
  {
    std::lock_guard lock(m->mutex);
    // Offsets beyond one tile would show pixels outside screen memory.
    m->h = std::clamp(hOffset, 0, kMaxHOffset);
    m->v = std::clamp(vOffset, 0, kMaxVOffset);
    if (dx != 0 || dy != 0) {
      const uint8_t fill = static_cast<uint8_t>(fillColor & 0x0F);
      const uint8_t* src = m->Screen();
      uint8_t* dst = m->buffers[1 - m->current].data();
      for (int y = 0; y < kScreenHeight; ++y) {
        int sy = y - dy;
        uint8_t* out = dst + y * kScreenPitch;
        if (sy < 0 || sy >= kScreenHeight) {
          if (!copy) {
            std::memset(out, fill, kScreenWidth);
            continue;
          }
          sy = (sy + kScreenHeight) % kScreenHeight;
        }
        ShiftRow(src + sy * kScreenPitch, out, dx, copy, fill);
      }
      m->current = 1 - m->current;
    }
  }
  if (dx == 0 && dy == 0) RefreshAll();
  else RefreshRect(ScreenRect{0, 0, kScreenWidth, kScreenHeight});
}

void MRwRenderer::SetTransparentColor(int color) {
  std::lock_guard lock(m->mutex);
  if (!ValidColor(color)) return;
  m->transparent = color;
  m->transparentSet = true;
}

// --- display ---------------------------------------------------------------------

void MRwRenderer::RefreshRect(const ScreenRect& screenRect) {
  if (m->hold) return;
  const std::vector<IRendererView*> views = Views();
  if (views.empty()) return;
  const ScreenRect area = WidenToVisible(screenRect);
  ScreenRect source;
  {
    std::lock_guard lock(m->mutex);
    source = ScreenRect{area.left + m->h, area.top + m->v, area.right + m->h, area.bottom + m->v};
  }
  for (IRendererView* view : views) view->CopyScreen(*this, source, ScaleToClient(area, view->ClientRect()));
}

void MRwRenderer::RefreshAll() {
  if (m->hold) return;
  const std::vector<IRendererView*> views = Views();
  if (views.empty()) return;
  ScreenRect source;
  {
    std::lock_guard lock(m->mutex);
    source = ScreenRect{kVisibleLeft + m->h, kVisibleTop + m->v, kVisibleRight + m->h, kVisibleBottom + m->v};
  }
  for (IRendererView* view : views) view->CopyScreen(*this, source, ScaleToClient(kVisibleRect, view->ClientRect()));
  RepaintBorder();
}

void MRwRenderer::RepaintBorder() {
  if (m->hold) return;
  const std::vector<IRendererView*> views = Views();
  if (views.empty()) return;
  Colorref color;
  {
    std::lock_guard lock(m->mutex);
    color = m->colors[m->border];
  }
  for (IRendererView* view : views) {
    const ScreenRect client = view->ClientRect();
    for (const ScreenRect& strip : kBorderStrips) view->FillRect(ScaleToClient(strip, client), color);
  }
}

void MRwRenderer::AttachView(IRendererView* view) {
  if (!view) return;
  std::lock_guard lock(m->viewMutex);
  if (std::find(m->views.begin(), m->views.end(), view) == m->views.end()) m->views.push_back(view);
}

void MRwRenderer::DetachView(IRendererView* view) {
  std::lock_guard lock(m->viewMutex);
  m->views.erase(std::remove(m->views.begin(), m->views.end(), view), m->views.end());
}

void MRwRenderer::SetHoldDisplay(bool hold) { m->hold = hold; }

bool MRwRenderer::HoldDisplay() const { return m->hold; }

// --- direct access -------------------------------------------------------------------

uint8_t* MRwRenderer::LockScreen() {
  m->mutex.lock();
  return m->Screen();
}

void MRwRenderer::UnlockScreen() { m->mutex.unlock(); }

std::vector<uint8_t> MRwRenderer::ScreenSnapshot() const {
  std::lock_guard lock(m->mutex);
  return std::vector<uint8_t>(m->Screen(), m->Screen() + kScreenBytes);
}

uint8_t MRwRenderer::PixelAt(int x, int y) const {
  if (x < 0 || x >= kScreenWidth || y < 0 || y >= kScreenHeight) return 0;
  std::lock_guard lock(m->mutex);
  return m->Screen()[y * kScreenPitch + x];
}

std::array<Colorref, kColorCount> MRwRenderer::ColorTable() const {
  std::lock_guard lock(m->mutex);
  return m->colors;
}

Colorref MRwRenderer::ColorAt(int index) const {
  if (!ValidColor(index)) return 0;
  std::lock_guard lock(m->mutex);
  return m->colors[index];
}

int MRwRenderer::PresetColor() const {
  std::lock_guard lock(m->mutex);
  return m->preset;
}

int MRwRenderer::BorderColor() const {
  std::lock_guard lock(m->mutex);
  return m->border;
}

int MRwRenderer::HOffset() const {
  std::lock_guard lock(m->mutex);
  return m->h;
}

int MRwRenderer::VOffset() const {
  std::lock_guard lock(m->mutex);
  return m->v;
}

bool MRwRenderer::TransparentColorSet() const {
  std::lock_guard lock(m->mutex);
  return m->transparentSet;
}

int MRwRenderer::TransparentColor() const {
  std::lock_guard lock(m->mutex);
  return m->transparent;
}

std::vector<uint8_t> MRwRenderer::VisibleIndices() const {
  std::vector<uint8_t> out(kDrawWidth * kDrawHeight);
  std::lock_guard lock(m->mutex);
  const uint8_t* src = m->Screen() + (kVisibleTop + m->v) * kScreenPitch + kVisibleLeft + m->h;
  for (int y = 0; y < kDrawHeight; ++y) std::memcpy(&out[y * kDrawWidth], src + y * kScreenPitch, kDrawWidth);
  return out;
}

std::vector<Colorref> MRwRenderer::DisplayColors() const {
  std::lock_guard lock(m->mutex);
  std::vector<Colorref> out(kScreenWidth * kScreenHeight, m->colors[m->border]);
  for (int y = kVisibleTop; y < kVisibleBottom; ++y) {
    const uint8_t* src = m->Screen() + (y + m->v) * kScreenPitch + m->h;
    Colorref* dst = &out[y * kScreenWidth];
    // Masked: callers of LockScreen may have written values above 15.
    for (int x = kVisibleLeft; x < kVisibleRight; ++x) dst[x] = m->colors[src[x] & 0x0F];
  }
  return out;
}

}  // namespace lf
