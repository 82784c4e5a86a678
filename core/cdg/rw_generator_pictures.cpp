// Placing a background picture on the drawing area and drawing it through a
// transition.
#include <algorithm>
#include <cstring>

#include "core/cdg/rw_generator.h"

namespace lf {
namespace {

// Copies `picture` with its top-left corner at (left, top), clipped.
void Blit(MDrawBitmap& target, const PictureBitmap& picture, int left, int top) {
  const int x0 = std::max(left, 0), x1 = std::min(left + picture.Width(), MDrawBitmap::kWidth);
  const int y0 = std::max(top, 0), y1 = std::min(top + picture.Height(), MDrawBitmap::kHeight);
  for (int y = y0; y < y1; ++y)
    if (x0 < x1) std::memcpy(target.Row(y) + x0, picture.Row(y - top) + (x0 - left), size_t(x1 - x0));
}

// Nearest-neighbour stretch of the whole picture onto the whole bitmap.
void Stretch(MDrawBitmap& target, const PictureBitmap& picture) {
  for (int y = 0; y < MDrawBitmap::kHeight; ++y) {
    const uint8_t* source = picture.Row(y * picture.Height() / MDrawBitmap::kHeight);
    uint8_t* row = target.Row(y);
    for (int x = 0; x < MDrawBitmap::kWidth; ++x) row[x] = source[x * picture.Width() / MDrawBitmap::kWidth];
  }
}

}  // namespace

std::unique_ptr<MDrawBitmap> MRwGenerator::PlaceImage(const PictureBitmap& picture, int placement,
                                                      int backgroundIndex) const {
  auto bitmap = std::make_unique<MDrawBitmap>(picture.Palette(), backgroundIndex);
  const int w = picture.Width(), h = picture.Height();
  if (w <= 0 || h <= 0) return bitmap;
  if (placement == PlacementStretched || w > MDrawBitmap::kWidth || h > MDrawBitmap::kHeight) {
    Stretch(*bitmap, picture);
  } else if (placement == PlacementTiled) {
    for (int k = 0; k <= MDrawBitmap::kWidth / w; ++k)
      for (int l = 0; l <= MDrawBitmap::kHeight / h; ++l) Blit(*bitmap, picture, k * w, l * h);
  } else if (placement == PlacementTop || placement == PlacementCenter || placement == PlacementBottom) {
    const int x = (MDrawBitmap::kWidth - w) / 2;
    const int y = placement == PlacementTop      ? 0
                  : placement == PlacementCenter ? (MDrawBitmap::kHeight - h) / 2
                                                 : MDrawBitmap::kHeight - h;
    Blit(*bitmap, picture, x, y);
  }
  return bitmap;
}

void MRwGenerator::PreviewRows(const MDrawBitmap& bitmap, int rows) {
  PreviewCopy(bitmap, TextRect{0, 0, MDrawBitmap::kWidth, std::clamp(rows, 0, int(MDrawBitmap::kHeight))});
}

int MRwGenerator::DrawImage(const PictureBitmap* picture, int placement, int transition, const Colorref* colors16,
                            int backgroundIndex, int offset) {
  if (!picture) return 0;
  auto bitmap = PlaceImage(*picture, placement, backgroundIndex);
  PreviewRows(*bitmap, ScreenPercent() * MDrawBitmap::kHeight / 100);
  if (Aborted() || !HasOutput()) return 0;
  return EmitTransition(*bitmap, transition, colors16, backgroundIndex, offset);
}

}  // namespace lf
