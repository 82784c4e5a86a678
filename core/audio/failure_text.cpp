#include "core/audio/failure_text.h"

#include <cstdio>

namespace lf {

std::string FormatResult(const std::string& text, FailureCode code) {
  char number[32];
  std::snprintf(number, sizeof number, " (hr=0x%08x)", static_cast<uint32_t>(code));
  return text + number;
}

FailureCode FailureCodeFor(Reason reason) {
  return reason == Reason::Failed ? FailureCode::OutOfMemory : FailureCode::Unexpected;
}

}  // namespace lf
