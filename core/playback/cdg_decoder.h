#pragma once
// CdgDecoder: turns graphics packets into renderer calls. It remembers the
// last colour tables it loaded, so a repeated table changes nothing; use one
// decoder per renderer timeline (Reset it when the renderer is reset).
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "core/cdg/cdg_packet.h"

namespace lf {

class CdgRenderer;

class CdgDecoder {
 public:
  // One packet into `renderer`; packets of other modes do nothing.
  void Decode(const CdgPacket& packet, CdgRenderer& renderer);
  // Slots from .. to - 1 of `stream` (`size` bytes; slots past its end are
  // not there). Stops early once `stop` (when given) becomes true. Returns
  // the slot reached.
  size_t DecodeSlots(const uint8_t* stream, size_t size, size_t from, size_t to, CdgRenderer& renderer,
                     const std::atomic<bool>* stop = nullptr);
  // Forgets the colour tables, as for a blank renderer.
  void Reset();

 private:
  std::array<Colorref, 8> m_lastLowTable{};
  std::array<Colorref, 8> m_lastHighTable{};
};

}  // namespace lf
