#pragma once
// The buttons every page carries: "E&dit Lyrics", "Place &Lyrics",
// "&Adjust Lyrics", "&Play Final" and "&Settings...". They call the shell's
// page commands and follow its enable rules; the button of the page shown is
// marked checked.
#include <QWidget>

#include "desktop/pages/shell.h"

class QBoxLayout;
class QPushButton;

namespace lf {

class PageButtons : public QWidget {
  Q_OBJECT

 public:
  enum class Layout { Row, Column };
  PageButtons(PageHost& shell, PageId current, Layout layout = Layout::Row, QWidget* parent = nullptr);

  void Refresh();
  QPushButton* Button(PageId page) const;
  QPushButton* SettingsButton() const { return m_settings; }

 private:
  PageHost& m_shell;
  PageId m_current;
  QPushButton* m_pages[4] = {};
  QPushButton* m_settings = nullptr;
};

}  // namespace lf
