#pragma once
// The settings sheet's previews, drawn by the same generator and renderer as
// the export: a title or credits page as it stands after its draw
// transition, the lyrics page with sample rows, and the streams the
// "Preview" buttons play.
#include <cstdint>
#include <string>
#include <vector>

#include "core/song/song.h"

namespace lf {

class CdgRenderer;

struct PreviewRow {
  std::string text;
  int colorIndex;
  bool swept;  // drawn, then swept whole in the sweep colour
};

// The sample rows of the lyrics preview, one per line of a page.
std::vector<PreviewRow> LyricsPreviewRows(const Song& song);

// Draws the lyrics page's sample rows (and its picture) on `renderer`.
void DrawLyricsPreview(const Song& song, CdgRenderer& renderer);

// Draws the title or credits page of `kind` as shown once drawn.
void DrawPagePreview(const Song& song, int32_t kind, CdgRenderer& renderer);

// Room the preview streams have: 360 seconds of packets.
inline constexpr int kPreviewStreamSeconds = 360;

struct PreviewStream {
  std::vector<uint8_t> bytes;
  uint32_t endOffset = 0;  // bytes used
};

// What "Preview" plays: the title page with its erase, the credits page
// without, or the lyrics page's picture transition over the sample rows.
PreviewStream PagePreviewStream(const Song& song, int32_t kind);

}  // namespace lf
