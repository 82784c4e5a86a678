#include "desktop/dialogs/shift_times_dialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/timing/nudge_session.h"

namespace lf {

ShiftTimesDialog::ShiftTimesDialog(NudgeSession& session, QWidget* parent)
    : QDialog(parent),
      m_session(session),
      m_milliseconds(new QSpinBox(this)),
      m_word(new QRadioButton(tr("The selected &word"), this)),
      m_line(new QRadioButton(tr("The selected word's &line"), this)),
      m_toEnd(new QRadioButton(tr("From the selected word to the &end"), this)),
      m_refusal(new QLabel(this)) {
  setWindowTitle(tr("Shift Times"));
  m_milliseconds->setObjectName("milliseconds");
  m_word->setObjectName("word");
  m_line->setObjectName("line");
  m_toEnd->setObjectName("toEnd");
  m_refusal->setObjectName("refusal");
  // Ten minutes either way is more than any song needs.
  m_milliseconds->setRange(-600000, 600000);
  m_milliseconds->setSingleStep(10);
  m_milliseconds->setSuffix(tr(" ms"));
  m_milliseconds->setMinimumWidth(110);
  m_toEnd->setChecked(true);
  m_refusal->setWordWrap(true);
  m_refusal->setStyleSheet("QLabel { color: #b00000; }");
  m_refusal->hide();

  auto* by = new QLabel(tr("&Move by:"), this);
  by->setBuddy(m_milliseconds);
  auto* amount = new QHBoxLayout;
  amount->addWidget(by);
  amount->addWidget(m_milliseconds);
  amount->addStretch(1);
  auto* hint = new QLabel(tr("Negative: earlier."), this);
  hint->setEnabled(false);
  auto* what = new QGroupBox(tr("Move"), this);
  auto* choices = new QVBoxLayout(what);
  for (QRadioButton* choice : {m_word, m_line, m_toEnd}) choices->addWidget(choice);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(m_milliseconds, &QSpinBox::valueChanged, m_refusal, &QLabel::hide);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(amount);
  layout->addWidget(hint);
  layout->addWidget(what);
  layout->addWidget(m_refusal);
  layout->addWidget(buttons);
  m_milliseconds->setFocus();
  m_milliseconds->selectAll();
  resize(340, sizeHint().height());
}

void ShiftTimesDialog::accept() {
  const ShiftScope scope = m_word->isChecked()   ? ShiftScope::Word
                           : m_line->isChecked() ? ShiftScope::Line
                                                 : ShiftScope::ToEnd;
  const Outcome shifted = m_session.ShiftTimes(scope, m_milliseconds->value());
  if (shifted) {
    QDialog::accept();
    return;
  }
  m_refusal->setText(QString::fromStdString(shifted.text));
  m_refusal->show();
}

}  // namespace lf
