#include "core/cdg/rw_generator.h"

#include <algorithm>
#include <map>

#include "core/cdg/font_rasterizer.h"
#include "core/cdg/swept_line.h"

namespace lf {

struct CdgGenerator::FontCache {
  std::map<std::string, std::unique_ptr<FontRasterizer>> fonts;
};

CdgGenerator::CdgGenerator() = default;

CdgGenerator::CdgGenerator(PreviewTarget* renderer) : m_renderer(renderer) {}

CdgGenerator::CdgGenerator(uint8_t* stream, int32_t size) { SetStream(stream, size); }

CdgGenerator::~CdgGenerator() = default;

void CdgGenerator::SetStream(uint8_t* stream, int32_t size) {
  m_stream = stream;
  m_streamSize = stream != nullptr && size > 0 ? size : 0;
  m_freeSlots.Reset(m_stream, UsableSlots());
}

// The last slot is never written: a packet must start before size - 24.
int64_t CdgGenerator::UsableSlots() const {
  const int64_t limit = static_cast<int64_t>(m_streamSize) - kPacketSize;
  return limit > 0 ? (limit + kPacketSize - 1) / kPacketSize : 0;
}

const FontRasterizer* CdgGenerator::FontFor(const std::string& face, int height, uint32_t flags) {
  if (!m_fonts) m_fonts = std::make_unique<FontCache>();
  std::string key = face;
  key += '\n' + std::to_string(height) + '\n' + std::to_string(flags & (kTextBold | kTextItalic | kTextUnderline));
  auto found = m_fonts->fonts.find(key);
  if (found != m_fonts->fonts.end()) return found->second.get();
  FontRequest request{face, height, (flags & kTextBold) != 0, (flags & kTextItalic) != 0,
                      (flags & kTextUnderline) != 0};
  auto font = FontRasterizer::Create(request);
  const FontRasterizer* result = font.get();
  if (font) m_fonts->fonts.emplace(key, std::move(font));
  return result;
}

bool CdgGenerator::Aborted() {
  if (!m_aborted && m_abort && m_abort()) m_aborted = true;
  return m_aborted;
}

int CdgGenerator::WritePacket(const CdgPacket& packet, int offset) {
  const long long limit = static_cast<long long>(m_streamSize) - kPacketSize;
  if (!HasOutput() || offset < 0 || offset >= limit) return kPacketSize;
  // Offsets are slot addresses; a stray one is taken as the slot it falls in.
  const int64_t wanted = offset / kPacketSize;
  const int64_t slot = m_freeSlots.FirstEmptyFrom(wanted);
  if (slot != wanted && Aborted()) return 0;
  if (slot >= UsableSlots()) return kPacketSize;  // no free slot left: dropped
  const long long at = slot * kPacketSize;
  std::memcpy(m_stream + at, &packet, kPacketSize);
  return static_cast<int>(at - offset) + kPacketSize;
}

int CdgGenerator::LoadColorTable(const Colorref* colors16, int offset) {
  if (colors16 == nullptr) return 0;
  MirrorToPreview([&](PreviewTarget& t) { t.LoadColors(0, kColorCount, colors16); });
  int written = WritePacket(MakeLoadColorTable(CdgInstruction::LoadColorTableLow, colors16), offset);
  written += WritePacket(MakeLoadColorTable(CdgInstruction::LoadColorTableHigh, colors16 + 8), offset + written);
  return written;
}

int CdgGenerator::ClearScreen(int colorIndex, int offset) {
  MirrorToPreview([&](PreviewTarget& t) { t.MemoryPreset(colorIndex & 0x0F); });
  int written = 0;
  for (int repeat = 0; repeat < 16; ++repeat)
    written += WritePacket(MakeMemoryPreset(colorIndex, repeat), offset + written);
  return written;
}

int CdgGenerator::SetBorder(int colorIndex, int offset) {
  MirrorToPreview([&](PreviewTarget& t) { t.BorderPreset(colorIndex & 0x0F); });
  return WritePacket(MakeBorderPreset(colorIndex), offset);
}

int CdgGenerator::EmitScroll(int hCommand, int hOffset, int vCommand, int vOffset, int offset) {
  if (!HasOutput() || Aborted()) return 0;
  return WritePacket(MakeScroll(CdgInstruction::ScrollCopy, 0, hCommand, hOffset, vCommand, vOffset), offset);
}

int CdgGenerator::FillCell(int tileColumn, int tileRow, int colorIndex, int offset) {
  const CdgTileRows blank{};
  return WritePacket(MakeTileBlock(CdgInstruction::TileBlockNormal, colorIndex, colorIndex, tileRow, tileColumn, blank),
                     offset);
}

namespace {
// Cells beyond the 48 x 16 grid have no pixels to encode.
bool CellInBitmap(int cellColumn, int cellRow) {
  return cellColumn >= 0 && cellColumn < kDrawColumns && cellRow >= 0 && cellRow < kDrawRows;
}

CdgTileRows MaskOf(const DrawingBitmap& bitmap, int cellColumn, int cellRow, int index, bool& any) {
  CdgTileRows rows;
  any = false;
  const int x0 = cellColumn * kTileWidth;
  for (int y = 0; y < kTileHeight; ++y) {
    const uint8_t* line = bitmap.Row(cellRow * kTileHeight + y) + x0;
    uint8_t bits = 0;
    for (int x = 0; x < kTileWidth; ++x)
      if (line[x] == index) bits |= static_cast<uint8_t>(0x20 >> x);
    rows.bits[y] = bits;
    any = any || bits != 0;
  }
  return rows;
}
}  // namespace

int CdgGenerator::EncodeCell(const DrawingBitmap& bitmap, int cellColumn, int cellRow, int tileColumn, int tileRow,
                             int offset) {
  if (!CellInBitmap(cellColumn, cellRow) || Aborted()) return 0;
  std::array<int, kColorCount> counts{};
  const int x0 = cellColumn * kTileWidth;
  for (int y = 0; y < kTileHeight; ++y) {
    const uint8_t* line = bitmap.Row(cellRow * kTileHeight + y) + x0;
    for (int x = 0; x < kTileWidth; ++x) ++counts[line[x] & 0x0F];
  }
  int first = 0;
  while (counts[first] == 0) ++first;  // 72 pixels: some index is present
  int second = first + 1;
  while (second < kColorCount && counts[second] == 0) ++second;
  if (second == kColorCount) second = first;

  bool any = false;
  int written = WritePacket(MakeTileBlock(CdgInstruction::TileBlockNormal, first, second, tileRow, tileColumn,
                                          MaskOf(bitmap, cellColumn, cellRow, second, any)),
                            offset);
  for (int h = second + 1; h < kColorCount; ++h) {
    if (counts[h] == 0) continue;
    if (Aborted()) break;
    written += WritePacket(MakeTileBlock(CdgInstruction::TileBlockXor, 0, h ^ first, tileRow, tileColumn,
                                         MaskOf(bitmap, cellColumn, cellRow, h, any)),
                           offset + written);
  }
  return written;
}

std::optional<CdgPacket> CdgGenerator::MakeColorXorTile(const DrawingBitmap& bitmap, int cellColumn, int cellRow,
                                                        int tileColumn, int tileRow, int color, int base) const {
  if (!CellInBitmap(cellColumn, cellRow)) return std::nullopt;
  bool any = false;
  const CdgTileRows rows = MaskOf(bitmap, cellColumn, cellRow, color & 0x0F, any);
  if (!any) return std::nullopt;
  return MakeTileBlock(CdgInstruction::TileBlockXor, 0, (base ^ color) & 0x0F, tileRow, tileColumn, rows);
}

int CdgGenerator::ColorIndexOf(const DrawingBitmap& bitmap, Colorref color) { return bitmap.NearestIndex(color); }

void CdgGenerator::PreviewCopy(const DrawingBitmap& bitmap, const TextRect& rect, int transparentIndex) {
  if (m_renderer == nullptr) return;
  const int left = std::max(rect.left, 0), right = std::min(rect.right, DrawingBitmap::kWidth);
  const int top = std::max(rect.top, 0), bottom = std::min(rect.bottom, DrawingBitmap::kHeight);
  if (left < right && top < bottom) {
    const ScreenRect area{left + kVisibleLeft, top + kVisibleTop, right + kVisibleLeft, bottom + kVisibleTop};
    m_renderer->CopyPixels(area, bitmap.Row(top) + left, DrawingBitmap::kWidth, transparentIndex);
  }
  m_renderer->ShowChanges();
}

}  // namespace lf
