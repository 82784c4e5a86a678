#include "cli/terminal_progress.h"

#include <unistd.h>

#include <algorithm>

namespace lf::cli {

TerminalProgress::TerminalProgress(std::FILE* out) : m_out(out), m_enabled(isatty(fileno(out)) != 0) {}

TerminalProgress::~TerminalProgress() {
  if (m_drawn) std::fputc('\n', m_out);
}

void TerminalProgress::Report(int percent) {
  percent = std::clamp(percent, 0, 100);
  if (percent == m_percent) return;
  m_percent = percent;
  Draw();
}

void TerminalProgress::SetCaption(const std::string& caption) {
  m_caption = caption;
  Draw();
}

void TerminalProgress::Draw() {
  if (!m_enabled) return;
  constexpr int kWidth = 30;
  const int filled = std::max(0, m_percent) * kWidth / 100;
  std::fprintf(m_out, "\r\033[K%s [%s%s] %3d%%", m_caption.c_str(), std::string(size_t(filled), '#').c_str(),
               std::string(size_t(kWidth - filled), ' ').c_str(), std::max(0, m_percent));
  std::fflush(m_out);
  m_drawn = true;
}

}  // namespace lf::cli
