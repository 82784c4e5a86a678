#include "core/playback/cdg_decoder.h"

#include <algorithm>

#include "core/playback/rw_renderer.h"

namespace lf {

void CdgDecoder::Decode(const CdgPacket& packet, CdgRenderer& r) {
  if (!packet.IsGraphics()) return;
  switch (static_cast<CdgInstruction>(packet.InstructionCode())) {
    case CdgInstruction::MemoryPreset:
      r.MemoryPreset(packet.PresetColor());
      break;
    case CdgInstruction::BorderPreset:
      r.BorderPreset(packet.PresetColor());
      break;
    case CdgInstruction::TileBlockNormal:
    case CdgInstruction::TileBlockXor: {
      if (packet.TileChannel() > 1) break;  // only channels 0 and 1 are shown
      const bool isXor = packet.InstructionCode() == static_cast<uint8_t>(CdgInstruction::TileBlockXor);
      const int row = packet.TileRow(), column = packet.TileColumn();
      if (isXor)
        r.XorTile(row, column, packet.TileColor0(), packet.TileColor1(), packet.TileBits());
      else
        r.DrawTile(row, column, packet.TileColor0(), packet.TileColor1(), packet.TileBits());
      break;
    }
    case CdgInstruction::ScrollPreset:
      r.ScrollPreset(packet.ScrollFillColor(), packet.ScrollHCommand(), packet.ScrollHOffset(), packet.ScrollVCommand(),
                     packet.ScrollVOffset());
      break;
    case CdgInstruction::ScrollCopy:
      r.ScrollCopy(packet.ScrollHCommand(), packet.ScrollHOffset(), packet.ScrollVCommand(), packet.ScrollVOffset());
      break;
    case CdgInstruction::DefineTransparentColor:
      r.SetTransparentColor(packet.PresetColor());
      break;
    case CdgInstruction::LoadColorTableLow:
    case CdgInstruction::LoadColorTableHigh: {
      const bool low = packet.InstructionCode() == static_cast<uint8_t>(CdgInstruction::LoadColorTableLow);
      const std::array<Colorref, 8> colors = packet.TableColors();
      std::array<Colorref, 8>& last = low ? m_lastLowTable : m_lastHighTable;
      if (colors == last) break;  // an unchanged table is not loaded again
      last = colors;
      r.LoadColors(low ? 0 : 8, 8, colors.data());
      break;
    }
  }
}

size_t CdgDecoder::DecodeSlots(const uint8_t* stream, size_t size, size_t from, size_t to, CdgRenderer& renderer,
                               const std::atomic<bool>* stop) {
  const size_t end = std::min(to, stream ? size / kPacketSize : 0);
  size_t k = from;
  for (; k < end; ++k) {
    if (stop && *stop) break;
    const uint8_t* bytes = stream + k * kPacketSize;
    if (IsGraphicsCommand(bytes[0])) Decode(PacketAt(bytes), renderer);
  }
  return std::max(k, from);
}

void CdgDecoder::Reset() {
  m_lastLowTable.fill(0);
  m_lastHighTable.fill(0);
}

}  // namespace lf
