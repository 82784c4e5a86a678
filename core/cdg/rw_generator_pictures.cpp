// Placing a background picture on the drawing area and drawing it through a
// transition.
#include <algorithm>
#include <cstring>

#include "core/cdg/rw_generator.h"

namespace lf {
namespace {

// Copies `picture` with its top-left corner at (left, top), clipped.
void Blit(DrawingBitmap& target, const PictureBitmap& picture, int left, int top) {
  const int x0 = std::max(left, 0), x1 = std::min(left + picture.Width(), DrawingBitmap::kWidth);
  const int y0 = std::max(top, 0), y1 = std::min(top + picture.Height(), DrawingBitmap::kHeight);
  for (int y = y0; y < y1; ++y)
    if (x0 < x1) std::memcpy(target.Row(y) + x0, picture.Row(y - top) + (x0 - left), size_t(x1 - x0));
}

// Nearest-neighbour stretch of the whole picture onto the whole bitmap.
void Stretch(DrawingBitmap& target, const PictureBitmap& picture) {
  for (int y = 0; y < DrawingBitmap::kHeight; ++y) {
    const uint8_t* source = picture.Row(y * picture.Height() / DrawingBitmap::kHeight);
    uint8_t* row = target.Row(y);
    for (int x = 0; x < DrawingBitmap::kWidth; ++x) row[x] = source[x * picture.Width() / DrawingBitmap::kWidth];
  }
}

}  // namespace

std::unique_ptr<DrawingBitmap> CdgGenerator::PlaceImage(const PictureBitmap& picture, int placement,
                                                        int backgroundIndex) const {
  auto bitmap = std::make_unique<DrawingBitmap>(picture.Palette(), backgroundIndex);
  const int w = picture.Width(), h = picture.Height();
  if (w <= 0 || h <= 0) return bitmap;
  if (placement == PlacementStretched || w > DrawingBitmap::kWidth || h > DrawingBitmap::kHeight) {
    Stretch(*bitmap, picture);
  } else if (placement == PlacementTiled) {
    for (int k = 0; k <= DrawingBitmap::kWidth / w; ++k)
      for (int l = 0; l <= DrawingBitmap::kHeight / h; ++l) Blit(*bitmap, picture, k * w, l * h);
  } else if (placement == PlacementTop || placement == PlacementCenter || placement == PlacementBottom) {
    const int x = (DrawingBitmap::kWidth - w) / 2;
    const int y = placement == PlacementTop      ? 0
                  : placement == PlacementCenter ? (DrawingBitmap::kHeight - h) / 2
                                                 : DrawingBitmap::kHeight - h;
    Blit(*bitmap, picture, x, y);
  }
  return bitmap;
}

void CdgGenerator::PreviewRows(const DrawingBitmap& bitmap, int rows) {
  PreviewCopy(bitmap, TextRect{0, 0, DrawingBitmap::kWidth, std::clamp(rows, 0, int(DrawingBitmap::kHeight))});
}

int CdgGenerator::DrawImage(const PictureBitmap* picture, int placement, int transition, const Colorref* colors16,
                            int backgroundIndex, int offset) {
  if (!picture) return 0;
  auto bitmap = PlaceImage(*picture, placement, backgroundIndex);
  PreviewRows(*bitmap, ScreenPercent() * DrawingBitmap::kHeight / 100);
  if (Aborted() || !HasOutput()) return 0;
  return EmitTransition(*bitmap, transition, colors16, backgroundIndex, offset);
}

}  // namespace lf
