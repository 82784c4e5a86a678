#include "core/audio/result_code.h"

#include <cstdio>

namespace lf {

std::string FormatResult(const std::string& text, ResultCode result) {
  char code[32];
  std::snprintf(code, sizeof code, " (hr=0x%08x)", static_cast<uint32_t>(result));
  return text + code;
}

}  // namespace lf
