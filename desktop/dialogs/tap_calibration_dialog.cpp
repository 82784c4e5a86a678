#include "desktop/dialogs/tap_calibration_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/platform/paths.h"
#include "core/timing/cdg_timing_player.h"

namespace lf {

namespace {
constexpr int kRate = 44100;
}

TapCalibrationDialog::TapCalibrationDialog(QWidget* parent)
    : QDialog(parent),
      m_status(
          new QLabel(tr("Press Start, then tap Space with each of the %1 clicks.").arg(TapCalibration::kClicks), this)),
      m_taps(new QListWidget(this)),
      m_offset(new QDoubleSpinBox(this)),
      m_hold(new QCheckBox(tr("&Hold to time: Space down starts a word, Space up ends it"), this)),
      m_start(new QPushButton(tr("&Start"), this)),
      m_timer(new QTimer(this)) {
  setWindowTitle(tr("Calibrate Tapping"));
  m_offset->setRange(-500, 500);
  m_offset->setDecimals(0);
  m_offset->setSuffix(tr(" ms"));
  m_offset->setValue(StoredTapOffsetMs());
  m_offset->setObjectName("tapOffset");
  m_hold->setChecked(StoredHoldToTime());
  m_hold->setObjectName("holdToTime");
  m_taps->setObjectName("taps");
  m_status->setObjectName("status");
  m_start->setObjectName("start");

  auto* form = new QFormLayout;
  form->addRow(tr("&Tap offset (how late you tap):"), m_offset);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_status);
  layout->addWidget(m_start);
  layout->addWidget(m_taps, 1);
  layout->addLayout(form);
  layout->addWidget(m_hold);
  layout->addWidget(buttons);

  connect(m_start, &QPushButton::clicked, this, [this] { StartClicks(); });
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(m_timer, &QTimer::timeout, this, [this] {
    if (m_player && (m_player->ReachedEnd() || !m_player->IsPlaying())) StopClicks();
  });
}

TapCalibrationDialog::~TapCalibrationDialog() { StopClicks(); }

void TapCalibrationDialog::StartClicks() {
  StopClicks();
  m_calibration.Clear();
  m_taps->clear();
  m_folder = std::make_unique<ScopedTempFolder>("lyricforge-clicks");
  const std::string wav = m_folder->File("clicks.wav");
  if (!WriteClickTrack(wav)) {
    m_status->setText(tr("The click track could not be written."));
    return;
  }
  m_player = std::make_unique<CdgTimingPlayer>(nullptr, kRate, kRate / 300);
  if (Outcome played = m_player->Play({wav, nullptr, 0, 0}, false, 0, 0); !played) {
    m_status->setText(tr("The clicks cannot play: %1").arg(QString::fromStdString(played.detail)));
    m_player.reset();
    return;
  }
  m_running = true;
  m_status->setText(tr("Tap Space with each click..."));
  // Space must reach this dialog, whichever control has the focus.
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
  m_timer->start(50);
}

void TapCalibrationDialog::StopClicks() {
  m_timer->stop();
  if (m_player) m_player->Stop();
  m_player.reset();
  if (m_running) {
    m_running = false;
    for (QWidget* child : findChildren<QWidget*>()) child->removeEventFilter(this);
    ShowSummary();
  }
}

bool TapCalibrationDialog::eventFilter(QObject* watched, QEvent* event) {
  if (m_running && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Space) {
      if (event->type() == QEvent::KeyPress && !key->isAutoRepeat()) Tapped();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TapCalibrationDialog::Tapped() {
  if (!m_player) return;
  // The heard position, with no offset: that is what is being measured.
  const double heardMs = m_player->Position() * 1000.0 / kRate;
  if (const std::optional<double> offset = m_calibration.Tap(heardMs)) {
    const int number = static_cast<int>(m_calibration.Offsets().size());
    m_taps->addItem(QString::fromStdString(FormatTapOffset(number, *offset)));
    m_taps->scrollToBottom();
  }
  if (m_calibration.Done()) StopClicks();
}

void TapCalibrationDialog::ShowSummary() {
  const std::optional<double> median = m_calibration.MedianMs();
  if (!median) {
    m_status->setText(tr("Too few taps were near a click: press Start to try again."));
    return;
  }
  m_status->setText(QString::fromStdString(FormatCalibrationSummary(*median, *m_calibration.SpreadMs())));
  m_offset->setValue(*median);
}

void TapCalibrationDialog::accept() {
  StopClicks();
  StoreTapOffsetMs(m_offset->value());
  StoreHoldToTime(m_hold->isChecked());
  QDialog::accept();
}

void TapCalibrationDialog::reject() {
  StopClicks();
  QDialog::reject();
}

}  // namespace lf
