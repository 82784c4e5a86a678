#include <QApplication>
#include <QPushButton>

#include "desktop/pages/page_buttons.h"
#include "desktop/pages/placeholder_page.h"
#include "tests/desktop/app/app_fixture.h"

namespace lf::test {
namespace {

TEST_F(AppTest, StartsUntitledOnEditLyricsAtTheDefaultRectangle) {
  app->Start();
  EXPECT_EQ(Title(), "Lyricforge - Untitled");
  EXPECT_EQ(app->CurrentPage(), PageId::EditLyrics);
  ASSERT_NE(app->MainWindow().Page(), nullptr);
  EXPECT_EQ(app->MainWindow().Page()->Id(), PageId::EditLyrics);
  EXPECT_EQ(app->MainWindow().geometry(), QRect(10, 10, 490, 513));
  EXPECT_FALSE(app->MainWindow().isMaximized());
  EXPECT_FALSE(OpenSong().IsModified());
  // Unsaved changes show as the desktop's "*" after the name.
  OpenSong().SetModified(true);
  EXPECT_EQ(Title(), "Lyricforge - Untitled*");
  OpenSong().SetModified(false);
  EXPECT_EQ(Title(), "Lyricforge - Untitled");
}

TEST_F(AppTest, EveryPageCarriesItsButtonsWithTheirMnemonics) {
  app->Start();
  const std::pair<PageId, const char*> labels[] = {{PageId::EditLyrics, "E&dit Lyrics"},
                                                   {PageId::PlaceLyrics, "Place &Lyrics"},
                                                   {PageId::AdjustLyrics, "&Adjust Lyrics"},
                                                   {PageId::PlayFinal, "&Play Final"}};
  for (const auto& [page, _] : labels) {
    app->ShowPage(page);
    ASSERT_EQ(app->MainWindow().Page()->Id(), page);
    auto* buttons = app->MainWindow().Page()->findChild<PageButtons*>();
    ASSERT_NE(buttons, nullptr);
    for (const auto& [other, label] : labels) EXPECT_EQ(buttons->Button(other)->text().toStdString(), label);
    EXPECT_EQ(buttons->SettingsButton()->text().toStdString(), "&Settings...");
    EXPECT_TRUE(buttons->Button(page)->isChecked());
  }
}

TEST_F(AppTest, WindowPlacementIsStoredOnCloseAndRestoredMaximised) {
  app->Start();
  app->MainWindow().setGeometry(40, 50, 600, 520);
  QApplication::processEvents();
  ASSERT_TRUE(app->ConfirmCloseProject());
  EXPECT_EQ(ReadWindowPlacement(AppSettings()), (WindowPlacement{40, 50, 640, 570, false}));

  WriteWindowPlacement(AppSettings(), WindowPlacement{30, 20, 630, 540, true});
  MakeApp();
  app->Start();
  QApplication::processEvents();
  EXPECT_TRUE(app->MainWindow().isMaximized());
  const WindowPlacement back = app->MainWindow().Placement();
  EXPECT_TRUE(back.maximized);
  EXPECT_EQ(back.Width(), 600);
  EXPECT_EQ(back.Height(), 520);
}

TEST_F(AppTest, TitleFollowsSaveAsAndClose) {
  app->Start();
  const std::string path = SavedProject("Moon River.lfp", "Moon river wider than a mile");
  EXPECT_EQ(Title(), "Lyricforge - Moon River.lfp");
  app->CloseProject();
  EXPECT_EQ(Title(), "Lyricforge - Untitled");
  EXPECT_TRUE(OpenSong().Lyrics().RawLyrics().empty());
}

}  // namespace
}  // namespace lf::test
