#pragma once
// A compiled packet stream that a player or an export can hold while the song
// is compiled again: immutable, shared, never moved under its holder.
#include <cstdint>
#include <memory>
#include <vector>

namespace lf {

using SharedStream = std::shared_ptr<const std::vector<uint8_t>>;

}  // namespace lf
