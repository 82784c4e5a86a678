#pragma once
// ExportCheckDialog, "Check Before Export": the problems the check found, with
// "Go To" for the chosen one and "Export Anyway" when none is an error.
#include <QDialog>

#include "core/song/song_problem.h"

class QListWidget;
class QPushButton;

namespace lf {

class ExportCheckDialog : public QDialog {
  Q_OBJECT

 public:
  enum class Answer { Cancel, GoTo, ExportAnyway };

  explicit ExportCheckDialog(const SongProblems& problems, QWidget* parent = nullptr);

  Answer Chosen() const { return m_answer; }
  // The problem Go To goes to (the selected row), or none.
  const SongProblem* ChosenProblem() const;

  QListWidget* List() const { return m_list; }
  QPushButton* GoToButton() const { return m_goTo; }
  QPushButton* ExportAnywayButton() const { return m_exportAnyway; }

 private:
  void Finish(Answer answer);

  SongProblems m_problems;
  QListWidget* m_list = nullptr;
  QPushButton* m_goTo = nullptr;
  QPushButton* m_exportAnyway = nullptr;
  Answer m_answer = Answer::Cancel;
};

}  // namespace lf
