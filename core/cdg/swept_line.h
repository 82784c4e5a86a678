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
  // Where the caller's text lay: a generator lives for one drawing or one
  // compilation, while the song's texts stay as they are, so the same bytes
  // at the same place are the same line without comparing them (a line of
  // many words would otherwise be compared once per word).
  const char* source = nullptr;
  std::string line;
  std::vector<size_t> drawnAt;  // for each byte of `line` and its end
  ShapedLine drawn;
};

}  // namespace lf
