#pragma once
// The "Lyrics Already Placed" notice shown before the Edit Lyrics page when
// lyrics are placed: a short warning, and "More >>" to read which edits are
// safe ("<< Less" folds it again).
#include <QDialog>

class QLabel;
class QPushButton;

namespace lf {

class CLyricsPlacedNotice : public QDialog {
  Q_OBJECT

 public:
  explicit CLyricsPlacedNotice(QWidget* parent = nullptr);

  bool Expanded() const;
  QPushButton* MoreButton() const { return m_more; }
  void SetExpanded(bool expanded);

 private:
  QWidget* m_rest = nullptr;
  QPushButton* m_more = nullptr;
};

}  // namespace lf
