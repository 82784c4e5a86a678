#include "core/export/video_canvas.h"

#include <algorithm>
#include <cstring>

namespace lf {

VideoCanvas::VideoCanvas(const VideoLayout& layout)
    : m_layout(layout),
      m_shown(size_t(kScreenWidth) * kScreenHeight),
      m_picture(size_t(std::max(0, layout.PictureWidth())) * size_t(std::max(0, layout.PictureHeight()))) {}

bool VideoCanvas::TileChanged(const std::vector<Colorref>& screen, int x0, int y0) const {
  for (int y = y0; y < y0 + kTileHeight; ++y) {
    const size_t at = size_t(y) * kScreenWidth + size_t(x0);
    if (std::memcmp(&screen[at], &m_shown[at], kTileWidth * sizeof(Colorref)) != 0) return true;
  }
  return false;
}

void VideoCanvas::DrawTile(const std::vector<Colorref>& screen, int x0, int y0) {
  const int s = m_layout.scale;
  const int width = m_layout.PictureWidth();
  for (int y = y0; y < y0 + kTileHeight; ++y) {
    const Colorref* src = &screen[size_t(y) * kScreenWidth + size_t(x0)];
    Colorref* row =
        &m_picture[size_t((y - m_layout.sourceTop) * s) * size_t(width) + size_t((x0 - m_layout.sourceLeft) * s)];
    for (int x = 0; x < kTileWidth; ++x) std::fill_n(row + x * s, s, src[x]);
    for (int copy = 1; copy < s; ++copy)
      std::memcpy(row + size_t(copy) * size_t(width), row, size_t(kTileWidth * s) * sizeof(Colorref));
  }
  for (int y = y0; y < y0 + kTileHeight; ++y) {
    const size_t at = size_t(y) * kScreenWidth + size_t(x0);
    std::memcpy(&m_shown[at], &screen[at], kTileWidth * sizeof(Colorref));
  }
}

std::vector<int> VideoCanvas::Update(const std::vector<Colorref>& screen) {
  std::vector<int> bands;
  if (screen.size() != m_shown.size() || !m_layout.Fits()) return bands;
  for (int band = 0; band < BandCount(); ++band) {
    const int y0 = m_layout.sourceTop + band * kTileHeight;
    bool changed = false;
    for (int x0 = m_layout.sourceLeft; x0 < m_layout.sourceLeft + m_layout.sourceWidth; x0 += kTileWidth) {
      if (m_drawn && !TileChanged(screen, x0, y0)) continue;
      DrawTile(screen, x0, y0);
      changed = true;
    }
    if (changed) bands.push_back(band);
  }
  m_drawn = true;
  return bands;
}

}  // namespace lf
