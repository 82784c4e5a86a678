#pragma once
// How an export pipeline ended: the outcome (reason and the message to show)
// and, when the export compiled the song, what the compilation gave.
#include <utility>

#include "core/platform/outcome.h"

namespace lf {

struct ExportOutcome : Outcome {
  int leadIn = 0;     // silent sample frames put before the music
  int endOffset = 0;  // used bytes of the packet stream

  ExportOutcome() = default;
  ExportOutcome(Outcome outcome) : Outcome(std::move(outcome)) {}  // NOLINT: every outcome is an export outcome

  static ExportOutcome Cancelled() { return Outcome::Quiet(Reason::Cancelled, "cancelled"); }
};

}  // namespace lf
