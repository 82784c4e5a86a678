#include "desktop/dialogs/export_check_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "desktop/rules/export_check_list.h"

namespace lf {

ExportCheckDialog::ExportCheckDialog(const SongProblems& problems, QWidget* parent)
    : QDialog(parent), m_problems(problems) {
  setWindowTitle(tr("Check Before Export"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QString::fromStdString(ExportCheckHeading(problems)), this));

  m_list = new QListWidget(this);
  const QIcon errorIcon = style()->standardIcon(QStyle::SP_MessageBoxCritical);
  const QIcon warningIcon = style()->standardIcon(QStyle::SP_MessageBoxWarning);
  for (const ExportCheckRow& row : ExportCheckRows(problems))
    new QListWidgetItem(row.error ? errorIcon : warningIcon, QString::fromStdString(row.text), m_list);
  m_list->setMinimumWidth(560);
  if (m_list->count() > 0) m_list->setCurrentRow(0);
  layout->addWidget(m_list, 1);

  auto* buttons = new QDialogButtonBox(this);
  m_goTo = buttons->addButton(tr("&Go To"), QDialogButtonBox::ActionRole);
  m_exportAnyway = buttons->addButton(tr("Export &Anyway"), QDialogButtonBox::AcceptRole);
  m_exportAnyway->setEnabled(MayExportAnyway(problems));
  buttons->addButton(tr("&Cancel"), QDialogButtonBox::RejectRole);
  connect(m_goTo, &QPushButton::clicked, this, [this] { Finish(Answer::GoTo); });
  connect(m_exportAnyway, &QPushButton::clicked, this, [this] { Finish(Answer::ExportAnyway); });
  connect(buttons, &QDialogButtonBox::rejected, this, [this] { Finish(Answer::Cancel); });
  connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { Finish(Answer::GoTo); });
  layout->addWidget(buttons);
}

const SongProblem* ExportCheckDialog::ChosenProblem() const {
  const int row = m_list->currentRow();
  return row >= 0 && row < int(m_problems.size()) ? &m_problems[size_t(row)] : nullptr;
}

void ExportCheckDialog::Finish(Answer answer) {
  if (answer == Answer::ExportAnyway && !MayExportAnyway(m_problems)) return;
  m_answer = answer;
  if (answer == Answer::Cancel)
    reject();
  else
    accept();
}

}  // namespace lf
