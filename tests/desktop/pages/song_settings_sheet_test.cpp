// The song settings sheet and the duet dialog, offscreen.
#include "desktop/pages/song_settings_sheet.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "core/playback/rw_renderer.h"
#include "core/song/color_settings.h"
#include "core/song/settings_preview.h"
#include "desktop/dialogs/duet_dialog.h"
#include "desktop/pages/lyrics_page_settings.h"
#include "desktop/pages/settings_page_support.h"
#include "desktop/pages/text_page_settings.h"
#include "desktop/pages/text_style_controls.h"
#include "desktop/widgets/color_button.h"
#include "desktop/widgets/simple_edit_ctrl.h"
#include "tests/desktop/pages/pages_fixture.h"
#include "tests/support/picture_fixtures.h"

namespace lf::test {
namespace {

class SongSettingsSheetTest : public PagesTest {
 protected:
  SongSettingsSheetTest() {
    copy.Copy(shell.song);
    ColorButton::SetPicker([this](Colorref, QWidget*) { return pick; });
  }
  ~SongSettingsSheetTest() override { ColorButton::SetPicker({}); }
  std::unique_ptr<SongSettingsSheet> Open() {
    auto sheet = std::make_unique<SongSettingsSheet>(copy, shell.song);
    sheet->show();
    return sheet;
  }
  // The shell's side of OK: the song takes the copy.
  void Finish(SongSettingsSheet& sheet, bool ok) {
    if (ok) {
      sheet.accept();
      shell.song.Copy(copy);
    } else {
      sheet.reject();
    }
  }
  Song copy;
  std::optional<Colorref> pick = 0x0000FF;
};

TEST_F(SongSettingsSheetTest, OkTakesTheEditsAndCancelDropsThem) {
  for (bool ok : {false, true}) {
    copy.Copy(shell.song);
    auto sheet = Open();
    EXPECT_EQ(sheet->windowTitle(), "Karaoke Song Settings");
    EXPECT_EQ(sheet->Tabs()->tabText(sheet->Tabs()->currentIndex()), "Lyrics");
    TextPageSettings* title = sheet->TitlePage();
    title->TextEditor()->setPlainText("New Title\nby Me");
    EXPECT_EQ(title->LineList()->count(), 2);
    title->BackgroundColor()->click();
    title->HoldField()->setText("-3");
    emit title->HoldField()->editingFinished();
    EXPECT_EQ(title->HoldField()->text(), "2.00");  // refused, the stored hold shows again
    title->HoldField()->setText("4.5");
    emit title->HoldField()->editingFinished();
    Finish(*sheet, ok);
    const PageRecord& page = *shell.song.Look().PageByKind(TitlePage);
    EXPECT_EQ(page.m_pageText, ok ? "New Title\nby Me" : "") << ok;
    EXPECT_EQ(page.m_picture.PaletteColor(15), ok ? 0x0000FFu : kDefaultBackgroundColor) << ok;
    EXPECT_EQ(page.m_holdTime, ok ? 450 : 200) << ok;
    EXPECT_EQ(page.m_extraLines.Count(), ok ? 1 : 0) << ok;
  }
}

TEST_F(SongSettingsSheetTest, SaveColorsAsDefaultWritesThePagesColours) {
  auto sheet = Open();
  sheet->CreditsPage()->BackgroundColor()->click();
  sheet->CreditsPage()->SaveColors()->setChecked(true);
  Finish(*sheet, true);
  EXPECT_EQ(AppSettings().Int("Settings", "ColorCreditsBckgnd", -1), 0x0000FF);
  for (const char* key : {"ColorCreditsBorder", "ColorCreditsShadow", "ColorCreditsText"})
    EXPECT_TRUE(AppSettings().Value("Settings", key)) << key;
  EXPECT_FALSE(AppSettings().Value("Settings", "ColorTitleBckgnd"));
  EXPECT_FALSE(AppSettings().Value("Settings", "ColorLyricsBckgnd"));
}

TEST_F(SongSettingsSheetTest, PositionIsRestoredAndKept) {
  {
    auto sheet = Open();
    sheet->setGeometry(40, 50, 960, 700);
    Finish(*sheet, false);
  }
  const auto bytes = AppSettings().Bytes("Settings", "SettingsWindowPos");
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->size(), 16u);
  auto sheet = Open();
  EXPECT_EQ(sheet->size(), QSize(960, 700));
}

TEST_F(SongSettingsSheetTest, DuetDialogWritesTheSongEvenWhenTheSheetIsCancelled) {
  auto sheet = Open();
  QTimer::singleShot(0, [] {
    auto* dialog = qobject_cast<DuetDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->Label(0)->placeholderText(), "<Singer 1 voice>");
    dialog->Label(0)->setText("Him");
    dialog->Label(1)->setText("Her");
    dialog->Hold()->setValue(4.2);
    dialog->accept();
  });
  sheet->LyricsPage()->ChooseMode(2);
  EXPECT_TRUE(copy.Look().IsDuet());
  EXPECT_EQ(sheet->LyricsPage()->LinesList()->itemText(0), "3");
  EXPECT_TRUE(sheet->LyricsPage()->Singer2Color()->isEnabled());
  Finish(*sheet, false);
  EXPECT_FALSE(shell.song.Look().IsDuet());
  EXPECT_EQ(shell.song.Lyrics().DuetLabel(0), "Him");
  EXPECT_EQ(shell.song.Lyrics().DuetLabel(1), "Her");
  EXPECT_EQ(SongLook::DuetDisplayDuration(), 420);
}

TEST_F(SongSettingsSheetTest, PicturesLoadOrLeaveThePreviousOneWithTheMessage) {
  PictureFolder pictures;
  const std::string good = pictures.Synthesise("good.png", "testsrc=size=576x384", "-frames:v 1");
  const std::string big = pictures.Synthesise("big.bmp", "testsrc=size=2000x1500", "-frames:v 1");
  const std::string bad = pictures.Write("bad.png", "not a picture at all");
  ASSERT_FALSE(good.empty());
  ASSERT_FALSE(big.empty());
  auto sheet = Open();
  LyricsPageSettings* lyrics = sheet->LyricsPage();
  EXPECT_FALSE(lyrics->RemoveButton()->isEnabled());
  lyrics->LoadPicture(big);  // over the worker-thread threshold
  EXPECT_EQ(copy.Look().PageByKind(LyricsPage)->m_hasPicture, 1);
  EXPECT_TRUE(lyrics->RemoveButton()->isEnabled());
  EXPECT_EQ(lyrics->LinesList()->count(), 2);  // 2 and 3 lines beside a picture
  const int width = copy.Look().PageByKind(LyricsPage)->m_picture.Width();
  lyrics->LoadPicture(bad);
  EXPECT_EQ(recorder.Sink().LastText(), "Please ensure the file is a valid image.");
  EXPECT_EQ(recorder.Sink().last.caption, "Could Not Load Image File");
  EXPECT_EQ(copy.Look().PageByKind(LyricsPage)->m_hasPicture, 1);
  EXPECT_EQ(copy.Look().PageByKind(LyricsPage)->m_picture.Width(), width);

  // A title page with line styles asks first; No keeps everything.
  TextPageSettings* title = sheet->TitlePage();
  title->TextEditor()->setPlainText("One\nTwo");
  SetPictureFileChooser([&](QWidget*) { return std::optional<std::string>(good); });
  recorder.Sink().useDefault = false;
  recorder.Sink().answer = MessageAnswer::No;
  QMetaObject::invokeMethod(title->findChild<QAbstractButton*>("browse"), "click");
  EXPECT_EQ(copy.Look().PageByKind(TitlePage)->m_hasPicture, 0);
  recorder.Sink().answer = MessageAnswer::Yes;
  QMetaObject::invokeMethod(title->findChild<QAbstractButton*>("browse"), "click");
  EXPECT_EQ(copy.Look().PageByKind(TitlePage)->m_hasPicture, 1);
  EXPECT_EQ(title->LineList()->count(), 1);
  SetPictureFileChooser({});
}

TEST_F(SongSettingsSheetTest, StyleControlsEditTheCaretLine) {
  auto sheet = Open();
  TextPageSettings* title = sheet->TitlePage();
  title->TextEditor()->setPlainText("One\nTwo");
  QTextCursor cursor = title->TextEditor()->textCursor();
  cursor.movePosition(QTextCursor::End);
  title->TextEditor()->setTextCursor(cursor);
  EXPECT_EQ(title->LineList()->currentText(), "2");
  QComboBox* size = title->StyleControls()->SizeList();
  size->setCurrentText("40");
  emit size->activated(0);
  EXPECT_EQ(copy.Look().PageByKind(TitlePage)->m_extraLines.Height(0), 40);
  EXPECT_EQ(copy.Look().PageByKind(TitlePage)->m_style.m_height, 26);
  EXPECT_EQ(size->findText("48"), -1);
  EXPECT_NE(sheet->LyricsPage()->findChild<QComboBox*>("size")->findText("48"), -1);
}

TEST_F(SongSettingsSheetTest, PreviewsAreWhatTheExportDraws) {
  auto sheet = Open();
  TextPageSettings* title = sheet->TitlePage();
  title->TextEditor()->setPlainText("Preview Me");
  CdgRenderer expected;
  DrawPagePreview(copy, TitlePage, expected);
  EXPECT_EQ(title->Preview()->Renderer().DisplayColors(), expected.DisplayColors());

  // "Preview" plays the page with its transition on the view, ending where the still preview is.
  title->Preview()->Renderer().MemoryPreset(3);  // so only the playing can bring the page back
  ASSERT_NE(title->Preview()->Renderer().DisplayColors(), expected.DisplayColors());
  title->findChild<QAbstractButton*>("preview")->click();
  EXPECT_TRUE(title->Preview()->IsPlaying());
  QElapsedTimer clock;
  clock.start();
  while (title->Preview()->Renderer().DisplayColors() != expected.DisplayColors() && clock.elapsed() < 5000)
    QTest::qWait(50);
  EXPECT_EQ(title->Preview()->Renderer().DisplayColors(), expected.DisplayColors());

  // Colour buttons show the colour as the CD+G palette rounds it.
  ColorButton button("x");
  button.SetColor(0x10FF23);
  EXPECT_TRUE(button.toolTip().startsWith("#22FF00")) << button.toolTip().toStdString();
}

}  // namespace
}  // namespace lf::test
