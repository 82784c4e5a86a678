#pragma once
// ProgressWindow: a small modeless window with a 0-100 bar and an optional
// Cancel button, fed by long work through ProgressSink. Report and
// CancelRequested may be called from a worker thread; the bar moves on the
// GUI thread.
#include <QDialog>
#include <atomic>

#include "core/platform/progress.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace lf {

class ProgressWindow : public QDialog, public ProgressSink {
  Q_OBJECT

 public:
  explicit ProgressWindow(const QString& caption, bool cancellable, QWidget* parent = nullptr);

  void Report(int percent) override;
  bool CancelRequested() const override { return m_cancel; }
  void SetCaption(const std::string& caption) override;

  int Percent() const;
  QPushButton* CancelButton() const { return m_cancelButton; }

  // Runs `work` on a worker thread while this window shows its progress and
  // keeps the interface painted; returns when the work is done.
  void RunWhile(const std::function<void()>& work);

 protected:
  void reject() override;  // Escape and the close box cancel, when allowed

 private:
  QProgressBar* m_bar = nullptr;
  QPushButton* m_cancelButton = nullptr;
  std::atomic<bool> m_cancel{false};
  std::atomic<int> m_percent{0};
  std::atomic<bool> m_updatePosted{false};
};

}  // namespace lf
