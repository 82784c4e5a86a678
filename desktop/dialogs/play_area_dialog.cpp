#include "desktop/dialogs/play_area_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/timing/play_area_settings.h"

namespace lf {

namespace {

// An up-down control: two small arrow buttons calling `step` with +1 or -1.
QWidget* UpDown(QWidget* parent, std::function<void(int)> step) {
  auto* box = new QWidget(parent);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (int direction : {1, -1}) {
    auto* arrow = new QToolButton(box);
    arrow->setArrowType(direction > 0 ? Qt::UpArrow : Qt::DownArrow);
    arrow->setFixedSize(16, 11);
    QObject::connect(arrow, &QToolButton::clicked, box, [step, direction] { step(direction); });
    layout->addWidget(arrow);
  }
  return box;
}

QLineEdit* WhiteBox(QWidget* parent, int maxLength) {
  auto* edit = new QLineEdit(parent);
  edit->setMaxLength(maxLength);
  edit->setFixedWidth(48);
  edit->setStyleSheet("QLineEdit { background: white; }");
  return edit;
}

}  // namespace

PlayAreaDialog::PlayAreaDialog(Song& song, QWidget* parent)
    : QDialog(parent),
      m_edit(std::make_unique<PlayAreaSettingsEdit>(song)),
      m_area(WhiteBox(this, 1)),
      m_step(WhiteBox(this, 5)) {
  setWindowTitle(tr("Adjust Play Area Controls"));
  m_area->setObjectName("area");
  m_step->setObjectName("step");
  auto* grid = new QGridLayout;
  auto* areaText =
      new QLabel(tr("Number of words to play before and after the selected word when loop playing over it."), this);
  auto* stepText = new QLabel(tr("Adjust Amount sets how far in seconds the highlighted word moves with each Start (< "
                                 ">) or End (Ctrl + < >) key press."),
                              this);
  for (QLabel* label : {areaText, stepText}) label->setWordWrap(true);
  grid->addWidget(m_area, 0, 0);
  grid->addWidget(UpDown(this,
                         [this](int s) {
                           m_edit->StepArea(s);
                           ShowValues();
                         }),
                  0, 1);
  grid->addWidget(areaText, 0, 2);
  grid->addWidget(m_step, 1, 0);
  grid->addWidget(UpDown(this,
                         [this](int s) {
                           m_edit->StepStep(s);
                           ShowValues();
                         }),
                  1, 1);
  grid->addWidget(stepText, 1, 2);
  grid->setColumnStretch(2, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(m_area, &QLineEdit::textEdited, this, [this](const QString& text) { m_edit->TypeArea(text.toStdString()); });
  connect(m_step, &QLineEdit::textEdited, this, [this](const QString& text) { m_edit->TypeStep(text.toStdString()); });
  connect(m_step, &QLineEdit::editingFinished, this, [this] {
    m_edit->LeaveStepBox();
    ShowValues();
  });

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(buttons);
  ShowValues();
  resize(460, sizeHint().height());
}

PlayAreaDialog::~PlayAreaDialog() = default;

void PlayAreaDialog::ShowValues() {
  const QString area = QString::fromStdString(m_edit->AreaText());
  m_area->setMaxLength(area.size() > 1 ? 4 : 1);  // one digit of words, or seconds as "9.5"
  m_area->setText(area);
  m_step->setText(QString::fromStdString(m_edit->StepText()));
}

void PlayAreaDialog::accept() {
  m_edit->LeaveStepBox();
  m_edit->Accept();
  QDialog::accept();
}

}  // namespace lf
