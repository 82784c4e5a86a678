#pragma once
// DuetDialog: short descriptions of the two voices of a duet and how long the
// introduction shows them. "Save" writes the labels into the song and the
// hold into "DuetDisplayDuration" at once (the settings sheet's Cancel does
// not undo them).
#include <QDialog>

#include "core/song/song.h"

class QDoubleSpinBox;
class QLineEdit;

namespace lf {

class DuetDialog : public QDialog {
  Q_OBJECT

 public:
  DuetDialog(Song& song, QWidget* parent = nullptr);

  QLineEdit* Label(int index) const { return m_labels[index]; }
  QDoubleSpinBox* Hold() const { return m_hold; }

  void accept() override;

 private:
  Song& m_song;
  QLineEdit* m_labels[3] = {};
  QDoubleSpinBox* m_hold = nullptr;
};

}  // namespace lf
