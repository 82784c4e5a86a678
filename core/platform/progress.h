#pragma once
// Progress of long work (music preparation, export): a percentage 0-100 and a
// way for the user to ask for cancel. The desktop program drives a progress
// window, the command-line tool a line on the terminal.
#include <functional>
#include <string>

namespace lf {

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void Report(int percent) = 0;
  virtual bool CancelRequested() const { return false; }
  // The window's caption ("Compressing Audio...", "Process canceled by user...").
  virtual void SetCaption(const std::string&) {}
};

// Progress that goes nowhere.
class NullProgress : public ProgressSink {
 public:
  void Report(int) override {}
};

// Passes cancel through but keeps the percentages of one step of longer work
// off another step's window.
class CancelOnlyProgress : public ProgressSink {
 public:
  explicit CancelOnlyProgress(const ProgressSink& progress) : m_progress(progress) {}
  void Report(int) override {}
  bool CancelRequested() const override { return m_progress.CancelRequested(); }

 private:
  const ProgressSink& m_progress;
};

// Adapts a plain function; handy in tests and small callers.
class FunctionProgress : public ProgressSink {
 public:
  explicit FunctionProgress(std::function<void(int)> report, std::function<bool()> cancel = {})
      : m_report(std::move(report)), m_cancel(std::move(cancel)) {}
  void Report(int percent) override {
    if (m_report) m_report(percent);
  }
  bool CancelRequested() const override { return m_cancel && m_cancel(); }

 private:
  std::function<void(int)> m_report;
  std::function<bool()> m_cancel;
};

}  // namespace lf
