#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextCursor>

#include "tests/desktop/app/app_fixture.h"

namespace lf::test {
namespace {

// The Edit menu follows the editor that has the focus, and the File items
// follow the project: what the window shows, not just what the rules say.
TEST_F(AppTest, MenuItemsAndLabelsFollowTheFocusedEditorAndTheProject) {
  app->Start();
  app->MainWindow().show();
  const MainMenu& menu = app->MainWindow().Menu();
  auto* lyrics = new QPlainTextEdit("Twinkle twinkle little star", app->MainWindow().Page());
  auto* line = new QLineEdit("Ana", app->MainWindow().Page());
  line->setReadOnly(true);
  lyrics->show();
  line->show();

  struct Case {
    const char* name;
    QWidget* focus;
    int from, to;
    bool cut, paste, selectAll;
    const char* capitalize;
  };
  const Case cases[] = {
      {"part of the lyrics", lyrics, 0, 7, true, true, true, "&Capitalize Selection"},
      {"all of the lyrics", lyrics, 0, 27, true, true, true, "&Capitalize All"},
      {"caret only", lyrics, 3, 3, false, true, true, "&Capitalize All"},
      {"read-only line", line, 0, 2, true, false, true, "&Capitalize Selection"},
  };
  QApplication::clipboard()->setText("pasted");
  for (const Case& c : cases) {
    c.focus->setFocus();
    QApplication::setActiveWindow(&app->MainWindow());
    if (auto* edit = qobject_cast<QPlainTextEdit*>(c.focus)) {
      QTextCursor cursor = edit->textCursor();
      cursor.setPosition(c.from);
      cursor.setPosition(c.to, QTextCursor::KeepAnchor);
      edit->setTextCursor(cursor);
    } else {
      static_cast<QLineEdit*>(c.focus)->setSelection(c.from, c.to - c.from);
    }
    ASSERT_EQ(QApplication::focusWidget(), c.focus) << c.name;
    app->MainWindow().RefreshMenu();
    EXPECT_EQ(menu.cut->isEnabled(), c.cut) << c.name;
    EXPECT_EQ(menu.paste->isEnabled(), c.paste) << c.name;
    EXPECT_EQ(menu.selectAll->isEnabled(), c.selectAll) << c.name;
    EXPECT_EQ(menu.capitalize->text().toStdString(), c.capitalize) << c.name;
  }

  // Alt+E gives the menu bar the focus before the menu shows: the items still
  // follow, and act on, the editor that had it.
  lyrics->setFocus();
  QTextCursor cursor = lyrics->textCursor();
  cursor.setPosition(0);
  cursor.setPosition(8, QTextCursor::KeepAnchor);
  lyrics->setTextCursor(cursor);
  app->MainWindow().menuBar()->setFocus(Qt::MenuBarFocusReason);
  ASSERT_EQ(QApplication::focusWidget(), app->MainWindow().menuBar());
  app->MainWindow().RefreshMenu();
  EXPECT_TRUE(menu.cut->isEnabled());
  EXPECT_EQ(menu.capitalize->text().toStdString(), "&Capitalize Selection");
  menu.cut->trigger();
  EXPECT_EQ(lyrics->toPlainText().toStdString(), "twinkle little star");

  // File items: Close needs a saved project; Settings needs music.
  EXPECT_FALSE(menu.close->isEnabled());
  EXPECT_FALSE(menu.settings->isEnabled());
  EXPECT_FALSE(menu.exportSong->isEnabled());
  SavedProject("menu.lfp", "Twinkle twinkle little star");
  AddToneMusic();
  PlaceFirstWord();
  app->MainWindow().RefreshMenu();
  EXPECT_TRUE(menu.close->isEnabled());
  EXPECT_TRUE(menu.settings->isEnabled());
  EXPECT_TRUE(menu.exportSong->isEnabled());
  app->SetExportRunning(true);
  EXPECT_FALSE(menu.exportSong->isEnabled());
  EXPECT_FALSE(menu.newProject->isEnabled());  // an export running makes the program busy
  EXPECT_FALSE(app->IsPageCommandEnabled(PageId::PlayFinal));
  app->SetExportRunning(false);
}

}  // namespace
}  // namespace lf::test
