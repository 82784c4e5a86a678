#include "desktop/dialogs/progress_window.h"

#include <QApplication>
#include <QEventLoop>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <thread>

namespace lf {

ProgressWindow::ProgressWindow(const QString& caption, bool cancellable, QWidget* parent) : QDialog(parent) {
  setWindowTitle(caption);
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  m_bar = new QProgressBar(this);
  m_bar->setRange(0, 100);
  m_bar->setMinimumWidth(300);
  layout->addWidget(m_bar);
  if (cancellable) {
    m_cancelButton = new QPushButton(tr("Cancel"), this);
    connect(m_cancelButton, &QPushButton::clicked, this, [this] {
      m_cancel = true;
      m_cancelButton->setEnabled(false);
    });
    layout->addWidget(m_cancelButton, 0, Qt::AlignRight);
  }
}

void ProgressWindow::Report(int percent) {
  m_percent = std::clamp(percent, 0, 100);
  if (m_updatePosted.exchange(true)) return;
  QMetaObject::invokeMethod(
      this,
      [this] {
        m_updatePosted = false;
        m_bar->setValue(m_percent);
      },
      Qt::QueuedConnection);
}

void ProgressWindow::SetCaption(const std::string& caption) {
  const QString text = QString::fromStdString(caption);
  QMetaObject::invokeMethod(
      this, [this, text] { setWindowTitle(text); }, Qt::QueuedConnection);
}

int ProgressWindow::Percent() const { return m_percent; }

void ProgressWindow::reject() {
  if (m_cancelButton && m_cancelButton->isEnabled()) m_cancelButton->click();
}

void ProgressWindow::RunWhile(const std::function<void()>& work) {
  // Modal while it runs: the rest of the program waits, Cancel still works.
  setWindowModality(Qt::ApplicationModal);
  show();
  QEventLoop loop;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    work();
    done = true;
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  // The quit may be posted before exec() starts; the flag covers that case.
  if (!done) loop.exec();
  worker.join();
  QCoreApplication::processEvents();
  m_bar->setValue(m_percent);
  hide();
}

}  // namespace lf
