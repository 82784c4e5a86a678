#pragma once
// A compiled packet stream as the players hold it: shared and immutable, so a
// later compile that builds a new buffer never moves bytes under a player.
#include <cstdint>
#include <memory>
#include <vector>

#include "core/cdg/shared_stream.h"

namespace lf {

using PacketStream = SharedStream;

inline PacketStream MakePacketStream(std::vector<uint8_t> bytes) {
  return std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
}

// The bytes of `stream`, or none.
inline size_t StreamSize(const PacketStream& stream) { return stream ? stream->size() : 0; }

}  // namespace lf
