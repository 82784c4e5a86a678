#pragma once
// "Shift Times": moves the selected word, its line, or everything from it to
// the end by a number of milliseconds. A refused shift leaves the dialog
// open with the reason, and the times as they were.
#include <QDialog>

class QLabel;
class QRadioButton;
class QSpinBox;

namespace lf {

class NudgeSession;

class ShiftTimesDialog : public QDialog {
  Q_OBJECT

 public:
  ShiftTimesDialog(NudgeSession& session, QWidget* parent = nullptr);

  void accept() override;

 private:
  NudgeSession& m_session;
  QSpinBox* m_milliseconds;
  QRadioButton* m_word;
  QRadioButton* m_line;
  QRadioButton* m_toEnd;
  QLabel* m_refusal;
};

}  // namespace lf
