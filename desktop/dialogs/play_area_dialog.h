#pragma once
// "Adjust Play Area Controls": the loop's words before and after the
// selected word and the adjust step, edited through PlayAreaSettingsEdit.
#include <QDialog>
#include <memory>

class QLineEdit;

namespace lf {

class Song;
class PlayAreaSettingsEdit;

class PlayAreaDialog : public QDialog {
  Q_OBJECT

 public:
  PlayAreaDialog(Song& song, QWidget* parent = nullptr);
  ~PlayAreaDialog() override;

  void accept() override;

 private:
  void ShowValues();

  std::unique_ptr<PlayAreaSettingsEdit> m_edit;
  QLineEdit* m_area;
  QLineEdit* m_step;
};

}  // namespace lf
