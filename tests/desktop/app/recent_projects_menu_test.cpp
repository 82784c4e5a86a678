#include <QAction>
#include <QMenu>
#include <filesystem>

#include "tests/desktop/app/app_fixture.h"

namespace lf::test {
namespace {

std::vector<std::string> RecentLabels(LyricforgeApp& app) {
  app.RefreshCommands();
  const MainMenu& menu = app.MainWindow().Menu();
  std::vector<std::string> labels;
  for (QAction* a : menu.recent) labels.push_back(a->text().toStdString());
  return labels;
}

// The File menu lists the projects opened or saved last, newest first, just
// above Exit; choosing one runs the Open flow with its save question, and one
// that is gone is said so and leaves the list.
TEST_F(AppTest, RecentProjectsOpenFromTheFileMenuThroughTheSaveQuestion) {
  app->Start();
  EXPECT_TRUE(RecentLabels(*app).empty());
  EXPECT_FALSE(app->MainWindow().Menu().recentSeparator->isVisible());
  const std::string a = SavedProject("a.lfp", "a");
  const std::string rock = SavedProject("Rock & Roll.lfp", "rock");
  ASSERT_TRUE(app->OpenProjectFile(a));
  const std::string rockLabel = "&2 " + dir.Path() + "/Rock && Roll.lfp";
  ASSERT_EQ(RecentLabels(*app), (std::vector<std::string>{"&1 " + a, rockLabel}));
  const MainMenu& menu = app->MainWindow().Menu();
  const QList<QAction*> items = menu.file->actions();
  EXPECT_EQ(items.indexOf(menu.recent.back()) + 2, items.indexOf(menu.exit)) << "just above the separator and Exit";

  OpenSong().Lyrics().SetRawLyrics("a, edited");
  OpenSong().SetModified(true);
  const std::pair<MessageAnswer, std::string> answers[] = {{MessageAnswer::Cancel, a}, {MessageAnswer::No, rock}};
  for (const auto& [answer, openAfter] : answers) {
    messages->shown.clear();
    messages->answers = {answer};
    menu.recent[1]->trigger();
    EXPECT_EQ(messages->Captions(), std::vector<std::string>{"Confirm Closing Project"});
    EXPECT_EQ(OpenSong().ProjectPath(), openAfter);
  }
  EXPECT_EQ(Title(), "Lyricforge - Rock & Roll.lfp");
  ASSERT_EQ(RecentLabels(*app), (std::vector<std::string>{"&1 " + dir.Path() + "/Rock && Roll.lfp", "&2 " + a}));

  std::filesystem::remove(a);
  messages->shown.clear();
  app->MainWindow().Menu().recent[1]->trigger();
  ASSERT_EQ(messages->Captions(), std::vector<std::string>{"Open Lyricforge Project"});
  EXPECT_NE(messages->shown[0].text.find(a + "\ncannot be found"), std::string::npos) << messages->shown[0].text;
  EXPECT_EQ(OpenSong().ProjectPath(), rock);
  EXPECT_EQ(RecentLabels(*app).size(), 1u);
  EXPECT_FALSE(AppSettings().Contains("Recent File List", "File2"));

  app->SetExportRunning(true);
  RecentLabels(*app);
  EXPECT_FALSE(app->MainWindow().Menu().recent[0]->isEnabled()) << "busy";
  app->SetExportRunning(false);
}

}  // namespace
}  // namespace lf::test
