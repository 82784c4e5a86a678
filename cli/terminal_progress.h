#pragma once
// The command-line tool's progress: one line on standard error, rewritten in
// place, shown only when standard error is a terminal (logs stay clean).
#include <cstdio>
#include <string>

#include "core/platform/progress.h"

namespace lf::cli {

class TerminalProgress : public ProgressSink {
 public:
  explicit TerminalProgress(std::FILE* out = stderr);
  ~TerminalProgress() override;  // ends the line
  void Report(int percent) override;
  void SetCaption(const std::string& caption) override;
  bool Shown() const { return m_enabled; }

 private:
  void Draw();

  std::FILE* m_out;
  bool m_enabled;
  bool m_drawn = false;
  int m_percent = -1;
  std::string m_caption;
};

}  // namespace lf::cli
