#pragma once
// MainFrame: the main window. Holds the menu and the one page shown; offers
// every key press to that page first; asks the application before closing.
#include <QMainWindow>
#include <QPointer>
#include <memory>

#include "desktop/app/main_menu.h"
#include "desktop/pages/page.h"
#include "desktop/rules/window_placement.h"

namespace lf {

class LyricforgeApp;

class MainFrame : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainFrame(LyricforgeApp& app);
  ~MainFrame() override;

  // Shows `page` in place of the page before, which is deleted.
  void SetPage(PageWidget* page);
  PageWidget* Page() const { return m_page; }
  const MainMenu& Menu() const { return m_menu; }
  void RefreshMenu();
  // The widget the Edit items act on: the one with the focus, or the one that
  // had it before a menu opened from the keyboard took it.
  QWidget* EditTarget() const { return m_editTarget; }

  // The normal (restored) rectangle and the maximised state.
  WindowPlacement Placement() const;
  void ApplyPlacement(const WindowPlacement& placement);
  // Raises the window; restores it first when minimised.
  void BringForward();

  // The "Lyrics Already Placed" notice, modal.
  void ShowLyricsPlacedNotice();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool TakeHistoryKey(const QKeyEvent& event);

 private:
  LyricforgeApp& m_app;
  MainMenu m_menu;
  PageWidget* m_page = nullptr;
  QPointer<QWidget> m_editTarget;
};

}  // namespace lf
