#include "desktop/app/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

#include "core/platform/paths.h"
#include "desktop/app/focused_editor.h"
#include "desktop/app/lyricforge_app.h"
#include "desktop/dialogs/lyrics_placed_notice.h"

namespace lf {

MainFrame::MainFrame(LyricforgeApp& app) : m_app(app) {
  setObjectName("mainFrame");
  setMinimumSize(kMinWindowWidth, kMinWindowHeight);
  setWindowIcon(QIcon(QString::fromStdString(DataFolder() + "/lyricforge.png")));
  m_menu = BuildMainMenu(menuBar(), app);
  m_menu.autoSave->setChecked(app.AutoSave());
  for (QMenu* menu : {m_menu.file, m_menu.edit}) connect(menu, &QMenu::aboutToShow, this, &MainFrame::RefreshMenu);
  // The Edit items follow the focused editor. Alt+E hands the focus to the
  // menu bar before the menu shows, so menus never count as the editor.
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (now && !qobject_cast<QMenuBar*>(now) && !qobject_cast<QMenu*>(now)) m_editTarget = now;
    RefreshMenu();
  });
  qApp->installEventFilter(this);
}

MainFrame::~MainFrame() {
  // Closing the window moves the focus: no menu refresh may reach the half-destroyed frame.
  disconnect(qApp, nullptr, this, nullptr);
  qApp->removeEventFilter(this);
  if (m_page) m_page->Leave();
}

void MainFrame::SetPage(PageWidget* page) {
  PageWidget* old = m_page;
  m_page = page;
  if (page) {
    setCentralWidget(page);  // deletes the widget it held
    page->show();
    page->setFocus();
  } else if (old) {
    delete takeCentralWidget();
  }
}

void MainFrame::RefreshMenu() {
  if (!m_menu.file) return;
  m_menu.autoSave->setChecked(m_app.AutoSave());
  m_menu.ShowRecent(m_app.Recent().Paths(), m_app);
  m_menu.Apply(EnabledCommands(m_app.State()), EditMenuFor(ReadEditorState(EditTarget()), m_app.TimingHistory()));
}

WindowPlacement MainFrame::Placement() const {
  const QRect r = isMaximized() ? normalGeometry() : geometry();
  WindowPlacement p;
  p.left = r.left();
  p.top = r.top();
  p.right = r.left() + r.width();
  p.bottom = r.top() + r.height();
  p.maximized = isMaximized();
  return p;
}

void MainFrame::ApplyPlacement(const WindowPlacement& p) {
  setGeometry(p.left, p.top, p.Width(), p.Height());
  if (p.maximized)
    showMaximized();
  else
    showNormal();
}

void MainFrame::BringForward() {
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
}

void MainFrame::ShowLyricsPlacedNotice() {
  LyricsPlacedNotice notice(this);
  notice.exec();
}

void MainFrame::closeEvent(QCloseEvent* event) {
  if (m_app.AllowWindowClose())
    event->accept();
  else
    event->ignore();
}

// Ctrl+Z takes a timing step back; Ctrl+Shift+Z and Ctrl+Y take it forward.
bool MainFrame::TakeHistoryKey(const QKeyEvent& event) {
  if (!TimingHistoryHasKeys(ReadEditorState(EditTarget()), m_app.TimingHistory())) return false;
  const Qt::KeyboardModifiers mods = event.modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
  const bool undo = event.key() == Qt::Key_Z && mods == Qt::ControlModifier;
  const bool redo = (event.key() == Qt::Key_Z && mods == (Qt::ControlModifier | Qt::ShiftModifier)) ||
                    (event.key() == Qt::Key_Y && mods == Qt::ControlModifier);
  if (!undo && !redo) return false;
  if (!event.isAutoRepeat()) m_app.StepTimingHistory(redo);
  return true;
}

bool MainFrame::eventFilter(QObject* watched, QEvent* event) {
  const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
  // Only the first delivery (to the focused widget) is offered, not the
  // propagation of the same press to its parents.
  if (!key || !m_page || watched != QApplication::focusWidget() || QApplication::activeModalWidget())
    return QMainWindow::eventFilter(watched, event);
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != this) return QMainWindow::eventFilter(watched, event);
  auto* keyEvent = static_cast<QKeyEvent*>(event);
  if (event->type() == QEvent::KeyPress && TakeHistoryKey(*keyEvent)) return true;
  return event->type() == QEvent::KeyPress ? m_page->KeyDown(keyEvent) : m_page->KeyUp(keyEvent);
}

}  // namespace lf
