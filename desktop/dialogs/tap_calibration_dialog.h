#pragma once
// TapCalibrationDialog: Edit > Calibrate Tapping. Plays a click track; the
// author taps Space with each click; each tap's offset is listed, then the
// median and spread, and the median goes into the tap offset box (which the
// author may also type in). OK stores the offset and the hold-to-time choice.
#include <QDialog>
#include <memory>

#include "core/timing/tap_calibration.h"

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTimer;

namespace lf {

class CdgTimingPlayer;
class ScopedTempFolder;

class TapCalibrationDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TapCalibrationDialog(QWidget* parent = nullptr);
  ~TapCalibrationDialog() override;

  void accept() override;
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void StartClicks();
  void StopClicks();
  void Tapped();
  void ShowSummary();

  TapCalibration m_calibration;
  std::unique_ptr<ScopedTempFolder> m_folder;
  std::unique_ptr<CdgTimingPlayer> m_player;
  bool m_running = false;
  QLabel* m_status = nullptr;
  QListWidget* m_taps = nullptr;
  QDoubleSpinBox* m_offset = nullptr;
  QCheckBox* m_hold = nullptr;
  QPushButton* m_start = nullptr;
  QTimer* m_timer = nullptr;
};

}  // namespace lf
