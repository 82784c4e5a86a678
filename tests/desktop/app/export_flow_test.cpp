#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <filesystem>

#include "desktop/dialogs/export_check_dialog.h"
#include "desktop/dialogs/export_dialog.h"
#include "desktop/pages/page.h"
#include "tests/desktop/app/app_fixture.h"

namespace lf::test {
namespace {

TEST(ExportDialog, RefusesBinForMusicItCannotCarryAndAsksForARatio) {
  MemorySettings settings;
  ExportDialog dialog(settings, /*mp3Available=*/false, MusicFormat{48000, 2, 16}, "Ana", "Song");
  EXPECT_FALSE(dialog.TypeButton(ExportType::Mp3G)->isEnabled());
  EXPECT_EQ(dialog.Choices().Type(), ExportType::WmaG);  // a stored BIN cannot open for 48 kHz music
  dialog.TypeButton(ExportType::Bin)->click();
  EXPECT_EQ(dialog.Choices().Type(), ExportType::WmaG);
  EXPECT_TRUE(dialog.TypeButton(ExportType::WmaG)->isChecked());
  EXPECT_EQ(dialog.LastTip().toStdString(),
            "BIN not allowed: BIN is not allowed because\nthe Audio Sample Rate is not 44,100.");

  dialog.CompressionList()->setCurrentIndex(-1);
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Rejected);  // still open
  EXPECT_EQ(dialog.LastTip().toStdString(), "Ratio: Please select a Compression Ratio.");
  dialog.CompressionList()->setCurrentIndex(1);  // 160k
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(settings.Int("Settings", kExportRatioWmaKey, 0), 160);
  EXPECT_EQ(settings.Int("Settings", kExportTypeKey, -1), int(ExportType::WmaG));
}

TEST_F(AppTest, ExportWritesTheChosenBinFileAndTakesNewArtistAndTitle) {
  app->Start();
  AddToneMusic();
  PlaceFirstWord();
  OpenSong().SetModified(false);
  ASSERT_TRUE(app->State().HasPlacedLyrics());
  bool runningDuringDialog = true;
  // Only the first word is placed: the check warns of the rest, and the author exports anyway.
  app->RunCheckDialog = [](QDialog& d) { static_cast<ExportCheckDialog&>(d).ExportAnywayButton()->click(); };
  app->RunExportDialog = [&](QDialog& d) {
    auto& dialog = static_cast<ExportDialog&>(d);
    runningDuringDialog = app->ExportRunning();
    dialog.TypeButton(ExportType::Bin)->click();
    dialog.findChild<QLineEdit*>()->setText("New Artist");
    dialog.accept();
    return dialog.result() == QDialog::Accepted;
  };
  const std::string bin = dir.File("out.bin");
  dialogs->paths = {bin};
  app->ExportSong();

  EXPECT_FALSE(runningDuringDialog);
  EXPECT_FALSE(app->ExportRunning());
  EXPECT_EQ(dialogs->titles.back(), "Export To BIN File");
  EXPECT_TRUE(messages->shown.empty()) << messages->shown[0].text;
  ASSERT_TRUE(std::filesystem::exists(bin));
  const auto size = std::filesystem::file_size(bin);
  EXPECT_EQ(size % 2448, 0u);
  EXPECT_GE(size, 3u * 75 * 2448);  // at least the three seconds of music
  EXPECT_EQ(OpenSong().Lyrics().Artist(), "New Artist");
  EXPECT_TRUE(OpenSong().IsModified());
}

// The list before the export: an error leaves only Cancel and Go To, and Go
// To opens Adjust Lyrics on the word; nothing is exported.
TEST_F(AppTest, ProblemsBeforeTheExportAreListedAndGoToSelectsTheWord) {
  app->Start();
  AddToneMusic();
  PlaceFirstWord("one two three");
  OpenSong().Lyrics().SetWordStart(1, 40000);  // before "one": out of order
  OpenSong().Lyrics().SetWordEnd(1, 60000);
  OpenSong().Lyrics().SetWordStart(2, 60000);
  OpenSong().Lyrics().SetWordEnd(2, 70000);
  OpenSong().Lyrics().SetLinePlaced(0, true);
  app->RefreshCommands();
  bool exportDialogShown = false;
  app->RunExportDialog = [&](QDialog&) { return exportDialogShown = true; };
  std::vector<std::string> rows;
  bool mayExport = true;
  app->RunCheckDialog = [&](QDialog& d) {
    auto& check = static_cast<ExportCheckDialog&>(d);
    for (int i = 0; i < check.List()->count(); ++i) rows.push_back(check.List()->item(i)->text().toStdString());
    mayExport = check.ExportAnywayButton()->isEnabled();
    check.ExportAnywayButton()->click();  // refused while an error stands
    check.List()->setCurrentRow(0);
    check.GoToButton()->click();
  };
  app->ExportSong();

  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].rfind("Line 1, word 2: 'two' starts at ", 0), 0u) << rows[0];
  EXPECT_FALSE(mayExport);
  EXPECT_FALSE(exportDialogShown);
  EXPECT_EQ(app->CurrentPage(), PageId::AdjustLyrics);
  EXPECT_TRUE(OpenSong().Lyrics().Word(1)->IsSelected());
  EXPECT_FALSE(OpenSong().Lyrics().Word(0)->IsSelected());
}

}  // namespace
}  // namespace lf::test
