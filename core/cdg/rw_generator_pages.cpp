// Pages: a picture with text, a text page, and whole pages with their set-up
// packets and hold time.
#include <algorithm>
#include <cstdint>

#include "core/cdg/rw_generator.h"

namespace lf {

int CdgGenerator::DrawImageWithText(const PictureBitmap* picture, int placement, int transition,
                                    const Colorref* colors16, int backgroundIndex, int linesPerPage, int band,
                                    std::string_view text, const TextType& style, int offset,
                                    const TextTypeVer6* lineStyles) {
  if (!picture) return 0;
  auto bitmap = PlaceImage(*picture, placement, backgroundIndex);
  // The text takes the placed picture's own colours.
  const Palette16 pictureColors = bitmap->Palette();
  RenderText(*bitmap, linesPerPage, band, text, style, pictureColors.data(), nullptr, lineStyles);
  PreviewRows(*bitmap, DrawingBitmap::kHeight);
  return EmitTransition(*bitmap, transition, colors16, backgroundIndex, offset);
}

int CdgGenerator::DrawTextPage(int linesPerPage, int band, std::string_view text, const TextType& style, int transition,
                               int backgroundIndex, const Colorref* colors16, int offset,
                               const TextTypeVer6* lineStyles) {
  if (!colors16) return 0;
  Palette16 palette{};
  std::copy(colors16, colors16 + kColorCount, palette.begin());
  auto bitmap = std::make_unique<DrawingBitmap>(palette, backgroundIndex);
  if (!text.empty()) RenderText(*bitmap, linesPerPage, band, text, style, colors16, nullptr, lineStyles);
  PreviewRows(*bitmap, DrawingBitmap::kHeight);
  return EmitTransition(*bitmap, transition, colors16, backgroundIndex, offset);
}

int CdgGenerator::DrawPage(const PageRecord& page, bool eraseAfterwards, int offset) {
  const std::array<Colorref, kColorCount> colors = page.PageColors();
  int total = 0;
  for (int pass = 0; pass < 2; ++pass) {
    total += LoadColorTable(colors.data(), offset + total);
    total += ClearScreen(page.m_backgroundColor, offset + total);
    total += SetBorder(page.m_borderColor, offset + total);
  }
  if (page.m_hasPicture) {
    std::unique_ptr<PictureBitmap> picture = page.m_picture.ToBitmap(page.m_pictureMode);
    if (!picture) return 0;
    if (page.m_pageText.empty())
      total += DrawImage(picture.get(), page.m_placement, page.m_drawTransition, colors.data(), page.m_backgroundColor,
                         offset + total);
    else
      total += DrawImageWithText(picture.get(), page.m_placement, page.m_drawTransition, colors.data(),
                                 page.m_backgroundColor, 1, 0, page.m_pageText, page.m_style, offset + total, nullptr);
  } else {
    total += DrawTextPage(1, 0, page.m_pageText, page.m_style, page.m_drawTransition, page.m_backgroundColor,
                          colors.data(), offset + total, &page.m_extraLines);
  }
  // Hold: hundredths of a second are 3 slots each at any sample rate. A
  // negative hold never moves the offset back.
  const int64_t hold = std::max<int64_t>(page.m_holdTime, 0);
  const int64_t holdBytes = hold * kPacketsPerSecond / 100 * kPacketSize;
  total += int(std::min<int64_t>(holdBytes, INT32_MAX / 2));
  if (eraseAfterwards)
    total += DrawTextPage(1, 0, {}, page.m_style, page.m_eraseTransition, page.m_backgroundColor, colors.data(),
                          offset + total, &page.m_extraLines);
  return total;
}

}  // namespace lf
