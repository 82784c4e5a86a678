#pragma once
// The video picture of the CD+G screen: the shown part of the screen enlarged
// by the layout's whole factor, as RGB0 bytes (a Colorref's own byte order).
// It keeps the screen it last showed, so each update redraws only the tiles
// whose colours changed and names the tile rows (bands) that need converting.
#include <cstdint>
#include <vector>

#include "core/cdg/cdg_packet.h"
#include "core/export/video_layout.h"

namespace lf {

class VideoCanvas {
 public:
  explicit VideoCanvas(const VideoLayout& layout);

  // Takes the whole 300 x 216 screen as shown (CdgRenderer::DisplayColors).
  // Returns the bands, top to bottom, holding a changed tile; all of them the first time.
  std::vector<int> Update(const std::vector<Colorref>& screen);

  int BandCount() const { return m_layout.sourceHeight / kTileHeight; }
  int BandHeight() const { return kTileHeight * m_layout.scale; }  // picture rows in a band
  const uint8_t* Pixels() const { return reinterpret_cast<const uint8_t*>(m_picture.data()); }
  int Stride() const { return m_layout.PictureWidth() * int(sizeof(Colorref)); }

 private:
  bool TileChanged(const std::vector<Colorref>& screen, int x0, int y0) const;
  void DrawTile(const std::vector<Colorref>& screen, int x0, int y0);

  VideoLayout m_layout;
  std::vector<Colorref> m_shown;    // the screen the picture shows
  std::vector<Colorref> m_picture;  // PictureWidth x PictureHeight
  bool m_drawn = false;
};

}  // namespace lf
