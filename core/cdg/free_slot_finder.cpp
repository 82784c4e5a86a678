#include "core/cdg/free_slot_finder.h"

#include "core/cdg/cdg_packet.h"

namespace lf {

void FreeSlotFinder::Reset(const uint8_t* stream, int64_t slotCount) {
  m_stream = stream;
  m_slotCount = slotCount > 0 ? slotCount : 0;
  m_next.clear();
}

bool FreeSlotFinder::Filled(int64_t slot) const { return m_stream[slot * kPacketSize] != 0; }

int64_t FreeSlotFinder::FirstEmptyFrom(int64_t slot) {
  if (slot >= m_slotCount || !Filled(slot)) return slot;
  // Allocated on the first collision only: most previews never have one.
  if (m_next.empty()) m_next.assign(static_cast<size_t>(m_slotCount), 0);
  int64_t at = slot;
  while (at < m_slotCount && Filled(at)) {
    const int64_t jump = m_next[static_cast<size_t>(at)];
    int64_t next = jump > at ? jump : at + 1;
    // Path halving: point this slot past its successor's known run too.
    if (next < m_slotCount && Filled(next)) {
      const int64_t further = m_next[static_cast<size_t>(next)];
      if (further > next) next = further;
    }
    m_next[static_cast<size_t>(at)] = next;
    at = next;
  }
  if (slot < m_slotCount) m_next[static_cast<size_t>(slot)] = at;
  return at;
}

}  // namespace lf
