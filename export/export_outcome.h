#pragma once
// How an export pipeline ended, with a line for the command-line tool and logs.
#include <string>

namespace lf {

enum class ExportStatus { Done, Cancelled, Failed };

struct ExportOutcome {
  ExportStatus status = ExportStatus::Done;
  std::string detail;  // why it failed, for one line on standard error
  // What the compilation gave, when the export ran one.
  int leadIn = 0;     // silent sample frames put before the music
  int endOffset = 0;  // used bytes of the packet stream

  static ExportOutcome Done() { return {}; }
  static ExportOutcome Cancelled() { return {ExportStatus::Cancelled, "cancelled"}; }
  static ExportOutcome Failed(std::string why) { return {ExportStatus::Failed, std::move(why)}; }
  bool Ok() const { return status == ExportStatus::Done; }
};

}  // namespace lf
