// The application's recovery files: the timer that writes one while the
// project has unsaved changes, the offer at start-up of what a crash left,
// and the Recovery Interval and Calibrate Tapping commands.
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "core/song/recovery_file.h"
#include "core/song/song.h"
#include "desktop/app/lyricforge_app.h"
#include "desktop/app/main_frame.h"
#include "desktop/dialogs/tap_calibration_dialog.h"

namespace lf {

void LyricforgeApp::StartRecoveryTimer() {
  if (!m_recoveryTimer) {
    m_recoveryTimer = new QTimer(this);
    connect(m_recoveryTimer, &QTimer::timeout, this, [this] { SaveRecovery(); });
  }
  const int seconds = RecoveryIntervalSeconds();
  if (seconds > 0)
    m_recoveryTimer->start(seconds * 1000);
  else
    m_recoveryTimer->stop();
}

void LyricforgeApp::SaveRecovery() {
  // While an export's worker has the song, the next tick writes it.
  if (m_exportRunning || !OpenSong().IsModified() || OpenSong().ProjectPath().empty()) return;
  WriteRecovery(OpenSong());
}

void LyricforgeApp::ForgetRecovery() {
  if (!OpenSong().ProjectPath().empty()) RemoveRecovery(OpenSong().ProjectPath());
}

bool LyricforgeApp::OfferRecoveries() {
  for (const RecoveryEntry& entry : PendingRecoveries()) {
    QMessageBox box(QMessageBox::Question, tr("Recover Unsaved Changes"),
                    QString::fromStdString(RecoveryQuestion(entry)), QMessageBox::NoButton, m_frame.get());
    QPushButton* recover = box.addButton(tr("&Recover"), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(tr("&Discard"), QMessageBox::DestructiveRole);
    box.addButton(tr("&Later"), QMessageBox::RejectRole);
    box.setDefaultButton(recover);
    box.exec();
    if (box.clickedButton() == discard) {
      RemoveRecovery(entry.projectPath);
    } else if (box.clickedButton() == recover) {
      // One project is open at a time: the others wait for the next start.
      if (OpenProjectFile(entry.projectPath)) {
        if (const Outcome loaded = LoadRecovery(OpenSong(), entry); !loaded) ShowOutcome(loaded);
        ShowPage(PageId::EditLyrics);
        UpdateTitle();
        return true;
      }
      return false;
    }
  }
  return false;
}

void LyricforgeApp::EditRecoveryInterval() {
  bool ok = false;
  const int seconds = QInputDialog::getInt(m_frame.get(), tr("Recovery Interval"),
                                           tr("Save unsaved changes for recovery every (seconds, 0 for never):"),
                                           RecoveryIntervalSeconds(), 0, 3600, 10, &ok);
  if (!ok) return;
  SetRecoveryIntervalSeconds(seconds);
  StartRecoveryTimer();
}

void LyricforgeApp::CalibrateTapping() {
  if (IsPlaying()) return;
  TapCalibrationDialog dialog(m_frame.get());
  dialog.exec();
  ShowPage(m_currentPage);  // a timing page takes the new offset when it opens again
}

}  // namespace lf
