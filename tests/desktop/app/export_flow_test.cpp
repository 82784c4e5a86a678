#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <filesystem>

#include "desktop/dialogs/export_dialog.h"
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

}  // namespace
}  // namespace lf::test
