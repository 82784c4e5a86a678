#include "core/cdg/cdg_packet.h"

namespace lf {

namespace {
CdgPacket Blank(CdgInstruction kind) {
  CdgPacket p;
  p.command = kTvGraphics;
  p.instruction = static_cast<uint8_t>(kind);
  return p;
}
}  // namespace

void EncodeTableColor(Colorref color, uint8_t& first, uint8_t& second) {
  const int r = RedOf(color) / 17, g = GreenOf(color) / 17, b = BlueOf(color) / 17;
  first = static_cast<uint8_t>(((r << 2) | (g >> 2)) & kSixBitMask);
  second = static_cast<uint8_t>((((g & 3) << 4) | b) & kSixBitMask);
}

Colorref DecodeTableColor(uint8_t first, uint8_t second) {
  const int r = (first >> 2) & 0x0F;
  const int g = ((first & 3) << 2) | ((second >> 4) & 3);
  const int b = second & 0x0F;
  return MakeRgb(static_cast<uint8_t>(r * 17), static_cast<uint8_t>(g * 17), static_cast<uint8_t>(b * 17));
}

std::array<Colorref, 8> CdgPacket::TableColors() const {
  std::array<Colorref, 8> colors{};
  for (int k = 0; k < 8; ++k) colors[k] = DecodeTableColor(data[2 * k], data[2 * k + 1]);
  return colors;
}

CdgPacket MakeMemoryPreset(int color, int repeat) {
  CdgPacket p = Blank(CdgInstruction::MemoryPreset);
  p.data[0] = color & kSixBitMask;
  p.data[1] = repeat & kSixBitMask;
  return p;
}

CdgPacket MakeBorderPreset(int color) {
  CdgPacket p = Blank(CdgInstruction::BorderPreset);
  p.data[0] = color & kSixBitMask;
  return p;
}

CdgPacket MakeTileBlock(CdgInstruction kind, int color0, int color1, int row, int column, const CdgTileRows& rows,
                        int channel) {
  CdgPacket p = Blank(kind);
  p.data[0] = static_cast<uint8_t>((color0 & 0x0F) | (((channel >> 2) & 3) << 4));
  p.data[1] = static_cast<uint8_t>((color1 & 0x0F) | ((channel & 3) << 4));
  p.data[2] = row & 0x1F;
  p.data[3] = column & kSixBitMask;
  for (int i = 0; i < kTileHeight; ++i) p.data[4 + i] = rows.bits[i] & kSixBitMask;
  return p;
}

CdgPacket MakeScroll(CdgInstruction kind, int fillColor, int hCommand, int hOffset, int vCommand, int vOffset) {
  CdgPacket p = Blank(kind);
  p.data[0] = kind == CdgInstruction::ScrollPreset ? (fillColor & 0x0F) : 0;
  p.data[1] = static_cast<uint8_t>(((hCommand << 4) & 0x30) | (hOffset & 7));
  p.data[2] = static_cast<uint8_t>(((vCommand << 4) & 0x30) | (vOffset & 0x0F));
  return p;
}

CdgPacket MakeDefineTransparentColor(int color) {
  CdgPacket p = Blank(CdgInstruction::DefineTransparentColor);
  p.data[0] = color & kSixBitMask;
  return p;
}

CdgPacket MakeLoadColorTable(CdgInstruction kind, const Colorref* colors) {
  CdgPacket p = Blank(kind);
  for (int k = 0; k < 8; ++k) EncodeTableColor(colors[k], p.data[2 * k], p.data[2 * k + 1]);
  return p;
}

const char* InstructionName(uint8_t code) {
  switch (static_cast<CdgInstruction>(code)) {
    case CdgInstruction::MemoryPreset:
      return "MemoryPreset";
    case CdgInstruction::BorderPreset:
      return "BorderPreset";
    case CdgInstruction::TileBlockNormal:
      return "TileBlockNormal";
    case CdgInstruction::ScrollPreset:
      return "ScrollPreset";
    case CdgInstruction::ScrollCopy:
      return "ScrollCopy";
    case CdgInstruction::DefineTransparentColor:
      return "DefineTransparentColor";
    case CdgInstruction::LoadColorTableLow:
      return "LoadColorTableLow";
    case CdgInstruction::LoadColorTableHigh:
      return "LoadColorTableHigh";
    case CdgInstruction::TileBlockXor:
      return "TileBlockXor";
  }
  return nullptr;
}

}  // namespace lf
