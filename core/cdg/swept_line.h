#pragma once
// SweptLine: the line a run of word sweeps works on, kept from one word to
// the next: the line as given, where each of its bytes lands in the drawn
// text ('&'s removed), and the drawn text shaped in the sweep's font.
#include <cstddef>
#include <string>
#include <vector>

#include "core/cdg/shaped_line.h"

namespace lf {

struct SweptLine {
  const FontRasterizer* font = nullptr;
  std::string line;
  std::vector<size_t> drawnAt;  // for each byte of `line` and its end
  ShapedLine drawn;
};

}  // namespace lf
