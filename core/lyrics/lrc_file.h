#pragma once
// Everything one LRC parse finds: the ID tags and the timed lines. Only the
// lines go further (onto the song's words); the tags stay here.
#include <cstdint>
#include <string>
#include <vector>

#include "core/lyrics/lrc_line.h"

namespace lf {

struct LrcFile {
  std::string artist;       // [ar:]
  std::string album;        // [al:]
  std::string title;        // [ti:]
  std::string author;       // [au:]
  std::string creator;      // [by:]
  std::string tool;         // [re:]
  std::string toolVersion;  // [ve:]
  int32_t length = 0;       // [length:], centiseconds
  int32_t offset = 0;       // [offset:], milliseconds as written; already applied to the times
  std::vector<LrcLine> lines;

  void Clear() { *this = LrcFile{}; }
};

}  // namespace lf
