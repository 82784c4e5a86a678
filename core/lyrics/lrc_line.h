#pragma once
// One timed line of an LRC file and its words.
#include <cstdint>
#include <vector>

#include "core/lyrics/lrc_element.h"

namespace lf {

struct LrcLine {
  // 1 for a line marked "M:", 2 for "F:", 3 for "D:"; an unmarked line keeps
  // the code of the line before it.
  int32_t singer = 1;
  std::vector<LrcElement> elements;
};

}  // namespace lf
