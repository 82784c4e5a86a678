#pragma once
// The "Lyrics Already Placed" notice shown before the Edit Lyrics page when
// lyrics are placed: a short warning, and "More >>" to read which edits are
// safe ("<< Less" folds it again).
#include <QDialog>

class QLabel;
class QPushButton;

namespace lf {

class LyricsPlacedNotice : public QDialog {
  Q_OBJECT

 public:
  explicit LyricsPlacedNotice(QWidget* parent = nullptr);

  bool Expanded() const;
  QPushButton* MoreButton() const { return m_more; }
  void SetExpanded(bool expanded);

 private:
  QWidget* m_rest = nullptr;
  QPushButton* m_more = nullptr;
};

}  // namespace lf
