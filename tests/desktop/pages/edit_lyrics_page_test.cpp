// The Edit Lyrics page, offscreen: typing, formatting, the preview's page
// arrows, import, the music bar, and hostile input.
#include "desktop/pages/edit_lyrics_page.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QSplitter>
#include <QTest>
#include <QToolButton>

#include "core/platform/message_sink.h"
#include "desktop/widgets/simple_edit_ctrl.h"
#include "tests/desktop/pages/pages_fixture.h"
#include "tests/support/wav_fixture.h"

namespace lf::test {
namespace {

class EditLyricsPageTest : public PagesTest {
 protected:
  void Open(const std::string& lyrics = {}) {
    shell.song.Lyrics().SetRawLyrics(lyrics);
    page = std::make_unique<EditLyricsPage>(shell);
    page->resize(900, 600);
    page->show();
    page->Enter();
  }
  // Key presses, one a character; characters beyond ASCII come as the text
  // of a key event, as an input method hands them over.
  void Type(const QString& keys) {
    for (QChar c : keys) {
      if (c == '\n') {
        QTest::keyClick(page->Editor(), Qt::Key_Return);
      } else if (c.unicode() < 128) {
        QTest::keyClick(page->Editor(), c.toLatin1());
      } else {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(page->Editor(), &press);
      }
    }
    page->FlushPendingLayout();
  }
  QString Label() const { return page->PageNumber()->text(); }
  // Runs the event loop until `done` or `ms` pass.
  template <typename Done>
  bool WaitFor(Done&& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) QTest::qWait(20);
    return done();
  }
  std::unique_ptr<EditLyricsPage> page;
};

TEST_F(EditLyricsPageTest, TypingLaysOutPagesAndTheLabelFollows) {
  Open();
  EXPECT_EQ(Label(), " 1 of  1");
  EXPECT_FALSE(page->PreviousPageButton()->isEnabled());
  EXPECT_FALSE(page->NextPageButton()->isEnabled());
  page->Editor()->setFocus();
  Type("one two\nthree\n^\nfour caf\u00e9");
  EXPECT_EQ(shell.song.Lyrics().RawLyrics(), "one two\nthree\n^\nfour caf\xC3\xA9");
  EXPECT_EQ(Label(), " 1 of  2");
  EXPECT_TRUE(page->NextPageButton()->isEnabled());
  EXPECT_TRUE(shell.song.IsModified());

  QTest::mouseClick(page->NextPageButton(), Qt::LeftButton);
  EXPECT_EQ(Label(), " 2 of  2");
  EXPECT_FALSE(page->NextPageButton()->isEnabled());
  // The preview shows page 2's line: something other than background in the text rows.
  const auto screen = page->PreviewRenderer().VisibleIndices();
  EXPECT_NE(std::count(screen.begin(), screen.end(), ColorIndexSinger1), 0);

  // Removing the marker takes the page away and the preview back to page 1.
  page->Editor()->SetUtf8Text("one two\nthree");
  page->FlushPendingLayout();
  EXPECT_EQ(Label(), " 1 of  1");
}

// Duet marks typed in a solo song: a notice in the page while they are
// there, never a box that takes the keys being typed.
TEST_F(EditLyricsPageTest, DuetMarksInASoloSongAreNotedWithoutStoppingTheTyping) {
  ScopedMessageRecorder boxes;
  Open();
  page->Editor()->setFocus();
  Type("one\n&two three");
  EXPECT_TRUE(page->DuetNotice()->isVisibleTo(page.get()));
  EXPECT_EQ(shell.song.Lyrics().RawLyrics(), "one\n&two three");
  QTest::qWait(50);
  EXPECT_EQ(boxes.Sink().Count(), 0);
  page->Editor()->SetUtf8Text("one\ntwo three");
  page->FlushPendingLayout();
  EXPECT_FALSE(page->DuetNotice()->isVisibleTo(page.get()));
}

TEST_F(EditLyricsPageTest, FormattingIsOneUndoStepEach) {
  Open("i think i CAN\n  'twas");
  LyricsTextEdit* editor = page->Editor();
  page->RunFormatCommand(FormatCommand::CapitalizeFirstWord);
  EXPECT_EQ(editor->toPlainText(), "I think I can\n  'Twas");
  page->RunFormatCommand(FormatCommand::Lowercase);
  EXPECT_EQ(editor->toPlainText(), "i think i can\n  'twas");
  page->FlushPendingLayout();
  EXPECT_EQ(shell.song.Lyrics().RawLyrics(), "i think i can\n  'twas");
  editor->undo();
  EXPECT_EQ(editor->toPlainText(), "I think I can\n  'Twas");
  editor->undo();
  EXPECT_EQ(editor->toPlainText(), "i think i CAN\n  'twas");
  editor->redo();
  EXPECT_EQ(editor->toPlainText(), "I think I can\n  'Twas");
  page->FlushPendingLayout();
  EXPECT_EQ(shell.song.Lyrics().RawLyrics(), "I think I can\n  'Twas");

  // A selection keeps its place and only its characters change.
  QTextCursor cursor = editor->textCursor();
  cursor.setPosition(2);
  cursor.setPosition(7, QTextCursor::KeepAnchor);
  editor->setTextCursor(cursor);
  page->RunFormatCommand(FormatCommand::Capitalize);
  EXPECT_EQ(editor->toPlainText(), "I THINK I can\n  'Twas");
  EXPECT_EQ(editor->textCursor().selectedText(), "THINK");
}

TEST_F(EditLyricsPageTest, ContextMenuFollowsSelectionAndContent) {
  Open();
  auto labels = [&] {
    std::unique_ptr<QMenu> menu(page->Editor()->BuildContextMenu());
    QStringList out;
    for (QAction* a : menu->actions()) {
      if (a->menu())
        for (QAction* f : a->menu()->actions()) out << f->text() + (f->isEnabled() ? "" : "-");
      else if (!a->isSeparator())
        out << a->text() + (a->isEnabled() ? "" : "-");
    }
    return out;
  };
  QApplication::clipboard()->clear();
  EXPECT_EQ(labels(), QStringList({"Undo-", "Redo-", "Cut-", "Copy-", "Paste-", "Clear-", "Select All-",
                                   "Capitalize All-", "Lowercase All-", "Capitalize First Word-"}));
  page->Editor()->setPlainText("hello world");
  QTextCursor cursor = page->Editor()->textCursor();
  cursor.setPosition(0);
  cursor.setPosition(5, QTextCursor::KeepAnchor);
  page->Editor()->setTextCursor(cursor);
  EXPECT_EQ(labels(), QStringList({"Undo-", "Redo-", "Cut", "Copy", "Paste-", "Clear", "Select All",
                                   "Capitalize Selection", "Lowercase Selection", "Capitalize First Word"}));
  page->Editor()->selectAll();
  QApplication::clipboard()->setText("x");
  const QStringList whole = labels();
  EXPECT_EQ(whole[4], "Paste");
  EXPECT_EQ(whole[6], "Select All-");
  EXPECT_EQ(whole[7], "Capitalize All");
}

TEST_F(EditLyricsPageTest, ImportReplacesTheTextOrLeavesItWithTheMessage) {
  Open("typed words");
  const std::string good = shell.folder.File("song.txt");
  WriteFileBytes(good, "First line\r\nSecond line\r\n");
  shell.lyricsFile = good;
  page->ImportLyrics();
  EXPECT_EQ(page->Editor()->toPlainText(), "First line\nSecond line\n");
  EXPECT_EQ(shell.song.Lyrics().RawLyrics(), "First line\nSecond line\n");
  ASSERT_GE(shell.song.Lyrics().LineCount(), 2);
  EXPECT_EQ(shell.song.Lyrics().Line(1)->m_text, "Second line");

  const std::string empty = shell.folder.File("empty.txt");
  WriteFileBytes(empty, "");
  shell.lyricsFile = empty;
  page->ImportLyrics();
  EXPECT_EQ(recorder.Sink().Count(), 1);
  EXPECT_NE(recorder.Sink().LastText().find("contained no Lyrics"), std::string::npos);
  EXPECT_EQ(page->Editor()->toPlainText(), "First line\nSecond line\n");
  EXPECT_EQ(shell.song.Lyrics().RawLyrics(), "First line\nSecond line\n");
}

// An UltraStar duet named .txt arrives as UltraStar: the editor shows the
// markers the author would type, the song is a timed duet; a broken one
// says where, in one line, and changes nothing.
TEST_F(EditLyricsPageTest, TimedDuetArrivesWithItsMarkersAndABrokenOneChangesNothing) {
  Open("typed words");
  const std::string duet = shell.folder.File("duet.txt");
  WriteFileBytes(duet, "#TITLE:Duet\n#BPM:150\nP1\n: 0 4 0 Hel\n: 4 4 0 lo\nP2\n: 8 4 0  you\nE\n");
  shell.lyricsFile = duet;
  page->ImportLyrics();
  EXPECT_EQ(page->Editor()->toPlainText(), "Hel*lo\n&you");
  EXPECT_TRUE(shell.song.Look().IsDuet());
  ASSERT_EQ(shell.song.Lyrics().LineCount(), 2);
  EXPECT_EQ(shell.song.Lyrics().Line(1)->m_colorIndex, ColorIndexSinger2);
  EXPECT_EQ(shell.song.Lyrics().Line(1)->m_words.at(0)->m_startTime, 35280);  // beat 8 at 100 ms a beat

  const std::string broken = shell.folder.File("broken.txt");
  WriteFileBytes(broken, "#TITLE:Duet\n#BPM:150\n: 8 4 0 late\n: 0 4 0 early\nE\n");
  shell.lyricsFile = broken;
  page->ImportLyrics();
  EXPECT_EQ(recorder.Sink().Count(), 1);
  EXPECT_EQ(recorder.Sink().LastText().rfind(broken + ": UltraStar: line 4: notes out of order", 0), 0u)
      << recorder.Sink().LastText();
  EXPECT_EQ(page->Editor()->toPlainText(), "Hel*lo\n&you");
}

// editor and the song must simply agree afterwards.
TEST_F(EditLyricsPageTest, HugePastesJunkAndLongLinesKeepEditorAndSongInStep) {
  Open();
  std::string big;
  while (big.size() < 5 * 1024 * 1024) big += "la la la la la la la la la la la la la la\n";
  std::string junk(4096, '\0');
  for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>((i * 131 + 7) % 256);
  const std::string longLine(10000, 'w');
  for (const std::string& text : {big, junk, longLine}) {
    QApplication::clipboard()->setText(QString::fromUtf8(text.data(), qsizetype(text.size())));
    page->Editor()->selectAll();
    page->Editor()->paste();
    page->FlushPendingLayout();
    EXPECT_FALSE(page->Editor()->toPlainText().isEmpty()) << text.size();
    EXPECT_EQ(shell.song.Lyrics().RawLyrics(), page->Editor()->Utf8Text()) << text.size();
  }
}

TEST_F(EditLyricsPageTest, MusicBarPlaysDragsAndEnds) {
  shell.AddToneMusic(2.0, "Rock & Roll.wav");
  Open("la la");
  EXPECT_EQ(page->MusicName()->text(), "Rock & Roll.wav");  // plain text: the file's own "&"
  EXPECT_EQ(page->TimeLabel()->text(), "0:00/0:02");
  QSlider* slider = page->Slider();
  EXPECT_EQ(slider->maximum(), 600);
  EXPECT_EQ(slider->singleStep(), 900);
  EXPECT_EQ(slider->pageStep(), 4500);

  page->Play();
  ASSERT_TRUE(page->IsPlaying()) << recorder.Sink().LastText();
  EXPECT_TRUE(shell.IsPlaying());
  EXPECT_TRUE(WaitFor([&] { return slider->value() > 0; }, 2000));

  // A drag stops the music and plays on from where the slider is dropped.
  slider->setSliderDown(true);
  emit slider->sliderPressed();
  EXPECT_FALSE(CdgPlayer::Global()->IsPlaying());
  slider->setValue(450);
  emit slider->sliderMoved(450);
  EXPECT_EQ(page->TimeLabel()->text(), "0:02/0:02");  // 1.5 s rounds to 2
  slider->setSliderDown(false);
  emit slider->sliderReleased();
  EXPECT_TRUE(page->IsPlaying());
  EXPECT_GE(CdgPlayer::Global()->Position(), 450 * 147);

  // At the end the stop event brings the bar back to the start.
  EXPECT_TRUE(WaitFor([&] { return !page->IsPlaying(); }, 3000));
  EXPECT_EQ(slider->value(), 0);
  EXPECT_EQ(page->TimeLabel()->text(), "0:00/0:02");
}

TEST_F(EditLyricsPageTest, SplitIsStoredOnLeaving) {
  AppSettings().SetDouble("Settings", "EditLyricsSplit", 0.3);
  Open();
  const QList<int> sizes = page->Splitter()->sizes();
  EXPECT_NEAR(double(sizes[0]) / (sizes[0] + sizes[1]), 0.3, 0.05);
  page->Splitter()->setSizes({600, 200});
  page->Leave();
  EXPECT_NEAR(AppSettings().Double("Settings", "EditLyricsSplit", 0), 0.75, 0.05);
}

}  // namespace
}  // namespace lf::test
