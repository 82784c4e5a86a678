#include "core/playback/rw_renderer.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace lf {

namespace {

constexpr int kMaxHOffset = kTileWidth - 1;   // 5
constexpr int kMaxVOffset = kTileHeight - 1;  // 11

using ScreenBuffer = std::array<uint8_t, kScreenBytes>;

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
    if (wrap)
      std::memcpy(dst, src + kScreenWidth - dx, dx);
    else
      std::memset(dst, fill, dx);
  } else {
    const int n = -dx;
    std::memcpy(dst, src + n, kScreenWidth - n);
    if (wrap)
      std::memcpy(dst + kScreenWidth - n, src, n);
    else
      std::memset(dst + kScreenWidth - n, fill, n);
  }
}

}  // namespace

struct CdgRenderer::Impl {
  mutable std::mutex mutex;  // screen memory and the state below
  ScreenBuffer buffers[2]{};
  int current = 0;
  std::array<Colorref, kColorCount> colors{};
  int preset = 0;
  int border = 0;
  int transparent = 0;
  bool transparentSet = false;
  int h = 0;
  int v = 0;
  ScreenRect dirty;  // in shown coordinates, since the last Present
  std::atomic<bool> hold{false};

  // Held while views are called; recursive so that a view may attach or
  // detach from inside its own callback.
  std::recursive_mutex viewMutex;
  std::vector<RendererView*> views;

  uint8_t* Screen() { return buffers[current].data(); }
  const uint8_t* Screen() const { return buffers[current].data(); }
  // A rectangle of screen memory, where it is shown, widened and clamped.
  void MarkMemoryRect(const ScreenRect& r) {
    dirty = dirty.United(WidenToVisible(ScreenRect{r.left - h, r.top - v, r.right - h, r.bottom - v}));
  }
  void MarkAll() { dirty = kWholeScreen; }
  void ResetState() {
    for (ScreenBuffer& b : buffers) b.fill(0);
    current = 0;
    colors.fill(0);
    preset = border = transparent = h = v = 0;
    transparentSet = false;
    MarkAll();
  }
};

CdgRenderer::CdgRenderer() : m(std::make_unique<Impl>()), m_handle(new RendererHandle(this)) {}

CdgRenderer::~CdgRenderer() {
  {
    // A player's batch that is running finishes first; later ones never start.
    std::lock_guard lock(m_handle->m_mutex);
    m_handle->m_renderer = nullptr;
  }
  std::lock_guard lock(m->viewMutex);
  const std::vector<RendererView*> views = std::move(m->views);
  m->views.clear();
  for (RendererView* view : views) view->Detached();
}

// --- instruction effects -------------------------------------------------------

void CdgRenderer::MemoryPreset(int color) {
  std::lock_guard lock(m->mutex);
  if (ValidColor(color)) m->preset = color;
  // The pitch padding is filled too: it is never shown, and one memset is cheapest.
  std::memset(m->Screen(), m->preset, kScreenBytes);
  m->dirty = m->dirty.United(kVisibleRect);
}

void CdgRenderer::BorderPreset(int color) {
  std::lock_guard lock(m->mutex);
  if (ValidColor(color)) m->border = color;
  m->MarkAll();
}

void CdgRenderer::LoadColors(int first, int count, const Colorref* colors) {
  std::lock_guard lock(m->mutex);
  for (int i = 0; i < count; ++i) {
    const int index = first + i;
    if (ValidColor(index)) m->colors[index] = colors[i];
  }
  m->MarkAll();
}

void CdgRenderer::DrawTile(int row, int column, int color0, int color1, const CdgTileRows& rows) {
  TileOp(row, column, color0, color1, rows, false);
}

void CdgRenderer::XorTile(int row, int column, int color0, int color1, const CdgTileRows& rows) {
  TileOp(row, column, color0, color1, rows, true);
}

void CdgRenderer::TileOp(int row, int column, int color0, int color1, const CdgTileRows& rows, bool isXor) {
  std::lock_guard lock(m->mutex);
  if (!ValidColor(color0) || !ValidColor(color1) || row < 0 || row >= kTileRows || column < 0 ||
      column >= kTileColumns) {
    m->MarkAll();  // drawn as a refresh of everything instead
    return;
  }
  const int x0 = column * kTileWidth, y0 = row * kTileHeight;
  uint8_t* line = m->Screen() + y0 * kScreenPitch + x0;
  for (int i = 0; i < kTileHeight; ++i, line += kScreenPitch) {
    const uint8_t bits = rows.bits[i];
    for (int j = 0; j < kTileWidth; ++j) {
      const uint8_t k = (bits >> (kTileWidth - 1 - j)) & 1 ? color1 : color0;
      line[j] = isXor ? static_cast<uint8_t>(line[j] ^ k) : k;
    }
  }
  // Tiles in the border row or column are shown only by a later refresh.
  if (row > 0 && column > 0) m->MarkMemoryRect(ScreenRect{x0, y0, x0 + kTileWidth, y0 + kTileHeight});
}

void CdgRenderer::ScrollPreset(int fillColor, int hCommand, int hOffset, int vCommand, int vOffset) {
  Scroll(false, fillColor, hCommand, hOffset, vCommand, vOffset);
}

void CdgRenderer::ScrollCopy(int hCommand, int hOffset, int vCommand, int vOffset) {
  Scroll(true, 0, hCommand, hOffset, vCommand, vOffset);
}

void CdgRenderer::Scroll(bool copy, int fillColor, int hCommand, int hOffset, int vCommand, int vOffset) {
  const int dx = ShiftOf(hCommand, kTileWidth);
  const int dy = ShiftOf(vCommand, kTileHeight);
  std::lock_guard lock(m->mutex);
  // Offsets beyond one tile would show pixels outside screen memory.
  m->h = std::clamp(hOffset, 0, kMaxHOffset);
  m->v = std::clamp(vOffset, 0, kMaxVOffset);
  m->MarkAll();
  if (dx == 0 && dy == 0) return;
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

void CdgRenderer::SetTransparentColor(int color) {
  std::lock_guard lock(m->mutex);
  if (!ValidColor(color)) return;
  m->transparent = color;
  m->transparentSet = true;
}

void CdgRenderer::Reset() {
  std::lock_guard lock(m->mutex);
  m->ResetState();
}

// --- display ---------------------------------------------------------------------

void CdgRenderer::Present() {
  if (m->hold) return;
  ScreenRect region;
  {
    std::lock_guard lock(m->mutex);
    region = m->dirty;
    m->dirty = ScreenRect{};
  }
  if (region.IsEmpty()) return;
  std::lock_guard lock(m->viewMutex);
  // A view may detach itself or another from inside its callback.
  const std::vector<RendererView*> views = m->views;
  for (RendererView* view : views)
    if (std::find(m->views.begin(), m->views.end(), view) != m->views.end()) view->ScreenChanged(region);
}

void CdgRenderer::RefreshRect(const ScreenRect& screenRect) {
  {
    std::lock_guard lock(m->mutex);
    m->MarkMemoryRect(screenRect);
  }
  Present();
}

void CdgRenderer::RefreshAll() {
  {
    std::lock_guard lock(m->mutex);
    m->MarkAll();
  }
  Present();
}

void CdgRenderer::SetHoldDisplay(bool hold) { m->hold = hold; }

bool CdgRenderer::HoldDisplay() const { return m->hold; }

void CdgRenderer::AttachView(RendererView* view) {
  if (!view) return;
  std::lock_guard lock(m->viewMutex);
  if (std::find(m->views.begin(), m->views.end(), view) == m->views.end()) m->views.push_back(view);
}

void CdgRenderer::DetachView(RendererView* view) {
  // Taking the view mutex waits for a Present that is calling views right now.
  std::lock_guard lock(m->viewMutex);
  const auto it = std::find(m->views.begin(), m->views.end(), view);
  if (it == m->views.end()) return;
  m->views.erase(it);
}

// --- previews --------------------------------------------------------------------------

void CdgRenderer::CopyPixels(const ScreenRect& area, const uint8_t* pixels, int pitch, int transparentIndex) {
  const int left = std::max(area.left, 0), right = std::min(area.right, kScreenWidth);
  const int top = std::max(area.top, 0), bottom = std::min(area.bottom, kScreenHeight);
  if (!pixels || left >= right || top >= bottom) return;
  const bool keyed = ValidColor(transparentIndex);
  std::lock_guard lock(m->mutex);
  for (int y = top; y < bottom; ++y) {
    const uint8_t* source = pixels + static_cast<ptrdiff_t>(y - area.top) * pitch + (left - area.left);
    uint8_t* target = m->Screen() + y * kScreenPitch + left;
    if (!keyed) {
      std::memcpy(target, source, static_cast<size_t>(right - left));
      continue;
    }
    for (int x = 0; x < right - left; ++x)
      if (source[x] != transparentIndex) target[x] = source[x];
  }
  m->MarkMemoryRect(ScreenRect{left, top, right, bottom});
}

// --- reading -------------------------------------------------------------------------

ScreenFrame CdgRenderer::Frame() const {
  ScreenFrame frame;
  frame.indices.resize(static_cast<size_t>(kScreenWidth) * kScreenHeight);
  std::lock_guard lock(m->mutex);
  frame.colors = m->colors;
  const uint8_t border = static_cast<uint8_t>(m->border);
  std::fill(frame.indices.begin(), frame.indices.end(), border);
  for (int y = kVisibleTop; y < kVisibleBottom; ++y) {
    const uint8_t* src = m->Screen() + (y + m->v) * kScreenPitch + m->h;
    uint8_t* dst = &frame.indices[static_cast<size_t>(y) * kScreenWidth];
    // Masked: direct writers may have stored values above 15.
    for (int x = kVisibleLeft; x < kVisibleRight; ++x) dst[x] = src[x] & 0x0F;
  }
  return frame;
}

std::vector<uint8_t> CdgRenderer::ScreenSnapshot() const {
  std::lock_guard lock(m->mutex);
  return std::vector<uint8_t>(m->Screen(), m->Screen() + kScreenBytes);
}

uint8_t CdgRenderer::PixelAt(int x, int y) const {
  if (x < 0 || x >= kScreenWidth || y < 0 || y >= kScreenHeight) return 0;
  std::lock_guard lock(m->mutex);
  return m->Screen()[y * kScreenPitch + x];
}

std::array<Colorref, kColorCount> CdgRenderer::ColorTable() const {
  std::lock_guard lock(m->mutex);
  return m->colors;
}

Colorref CdgRenderer::ColorAt(int index) const {
  if (!ValidColor(index)) return 0;
  std::lock_guard lock(m->mutex);
  return m->colors[index];
}

int CdgRenderer::PresetColor() const {
  std::lock_guard lock(m->mutex);
  return m->preset;
}

int CdgRenderer::BorderColor() const {
  std::lock_guard lock(m->mutex);
  return m->border;
}

int CdgRenderer::HOffset() const {
  std::lock_guard lock(m->mutex);
  return m->h;
}

int CdgRenderer::VOffset() const {
  std::lock_guard lock(m->mutex);
  return m->v;
}

bool CdgRenderer::TransparentColorSet() const {
  std::lock_guard lock(m->mutex);
  return m->transparentSet;
}

int CdgRenderer::TransparentColor() const {
  std::lock_guard lock(m->mutex);
  return m->transparent;
}

std::vector<uint8_t> CdgRenderer::VisibleIndices() const {
  std::vector<uint8_t> out(kDrawWidth * kDrawHeight);
  std::lock_guard lock(m->mutex);
  const uint8_t* src = m->Screen() + (kVisibleTop + m->v) * kScreenPitch + kVisibleLeft + m->h;
  for (int y = 0; y < kDrawHeight; ++y) std::memcpy(&out[y * kDrawWidth], src + y * kScreenPitch, kDrawWidth);
  return out;
}

std::vector<Colorref> CdgRenderer::DisplayColors() const {
  const ScreenFrame frame = Frame();
  std::vector<Colorref> out(frame.indices.size());
  std::transform(frame.indices.begin(), frame.indices.end(), out.begin(), [&](uint8_t i) { return frame.colors[i]; });
  return out;
}

}  // namespace lf
