#pragma once
// How failures of the audio layer are worded: "text (hr=0x%08x)", the number
// naming the kind of failure, as the program's messages always have. Failing
// is told by an Outcome; this is only the wording of its text.
#include <cstdint>
#include <string>

#include "core/platform/outcome.h"

namespace lf {

enum class FailureCode : uint32_t {
  NotImplemented = 0x80004001u,  // a format the operation does not take
  Aborted = 0x80004004u,
  Fail = 0x80004005u,
  Unexpected = 0x8000FFFFu,
  OutOfMemory = 0x8007000Eu,
  InvalidArg = 0x80070057u,
};

// "text (hr=0x80004005)".
std::string FormatResult(const std::string& text, FailureCode code);

// The code a reader's failure is worded with: running out of memory is told
// as such, anything else as unexpected.
FailureCode FailureCodeFor(Reason reason);

}  // namespace lf
