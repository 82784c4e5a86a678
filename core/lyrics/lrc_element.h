#pragma once
// One word of a timed LRC line.
#include <cstdint>
#include <string>

namespace lf {

struct LrcElement {
  int32_t start = 0;  // milliseconds from the start of the music
  int32_t end = 0;    // milliseconds; 0 until the parser's timing pass sets it
  std::string text;   // the word without time tags or surrounding white space; may be empty
};

}  // namespace lf
