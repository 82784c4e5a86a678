#include "desktop/dialogs/duet_dialog.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "core/song/settings_sheet_values.h"

namespace lf {

DuetDialog::DuetDialog(Song& song, QWidget* parent) : QDialog(parent), m_song(song) {
  setWindowTitle(tr("Duet"));
  setObjectName("duetDialog");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(tr("Enter short descriptions for the two voices in this song."), this));
  auto* form = new QFormLayout;
  const char* names[3] = {"Singer 1:", "Singer 2:", "Both:"};
  const char* prompts[3] = {"<Singer 1 voice>", "<Singer 2 voice>", "<Both voices>"};
  for (int k = 0; k < 3; ++k) {
    m_labels[k] = new QLineEdit(QString::fromStdString(song.Lyrics().DuetLabel(k)), this);
    m_labels[k]->setObjectName(QString("duetLabel%1").arg(k));
    m_labels[k]->setPlaceholderText(tr(prompts[k]));
    form->addRow(tr(names[k]), m_labels[k]);
  }
  m_hold = new QDoubleSpinBox(this);
  m_hold->setObjectName("duetHold");
  m_hold->setDecimals(1);
  m_hold->setRange(kDuetHoldMinimum / 100.0, kDuetHoldMaximum / 100.0);
  m_hold->setSingleStep(0.1);
  m_hold->setValue(ClampDuetHold(SongLook::DuetDisplayDuration()) / 100.0);
  form->addRow(tr("Hold:"), m_hold);
  layout->addLayout(form);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

void DuetDialog::accept() {
  const std::string labels[3] = {m_labels[0]->text().toStdString(), m_labels[1]->text().toStdString(),
                                 m_labels[2]->text().toStdString()};
  SaveDuetDialog(m_song, labels, static_cast<int>(std::lround(m_hold->value() * 100)));
  QDialog::accept();
}

}  // namespace lf
