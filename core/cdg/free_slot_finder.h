#pragma once
// Finds the first empty 24-byte slot at or after a given one in a packet
// stream whose slots only ever fill up. A straight scan is quadratic when many
// packets pile up behind one another (dense lyrics); the finder remembers runs
// of filled slots it has crossed and jumps over them next time, with path
// halving as in a disjoint-set forest, so each write costs nearly constant time.
#include <cstdint>
#include <vector>

namespace lf {

class FreeSlotFinder {
 public:
  // `stream` holds `slotCount` slots; a slot is empty while its first byte is 0.
  // Forgets everything it knew about an earlier stream.
  void Reset(const uint8_t* stream, int64_t slotCount);

  // The first empty slot >= `slot`, or `slotCount` when none is left.
  // Slots that were filled must stay filled while the finder is in use.
  int64_t FirstEmptyFrom(int64_t slot);

 private:
  bool Filled(int64_t slot) const;

  const uint8_t* m_stream = nullptr;
  int64_t m_slotCount = 0;
  // m_next[s] > s: every slot in [s, m_next[s]) was seen filled; 0: not known.
  std::vector<int64_t> m_next;
};

}  // namespace lf
