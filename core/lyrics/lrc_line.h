#pragma once
// One timed line of an LRC file and its words.
#include <cstdint>
#include <vector>

#include "core/lyrics/lrc_element.h"

namespace lf {

struct LrcLine {
  // 1 for a line marked "M:" or "v1:", 2 for "F:" or "v2:", 3 for "D:" (both
  // singers); an unmarked line keeps the code of the line before it.
  int32_t singer = 1;
  std::vector<LrcElement> elements;
};

}  // namespace lf
