// The Adjust Lyrics page, offscreen: its timing help as the author reaches
// it, through the page's keys, buttons and the Shift Times dialog, checked
// in the project as saved.
#include "desktop/pages/adjust_lyrics_page.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include "core/timing/music_analysis.h"
#include "desktop/dialogs/shift_times_dialog.h"
#include "tests/desktop/pages/pages_fixture.h"

namespace lf::test {
namespace {

constexpr SampleTime kRate = 44100;
using Span = std::pair<SampleTime, SampleTime>;

class AdjustLyricsPageTest : public PagesTest {
 protected:
  // "one two three / four five six", word i sung from 3 + i to 4 + i seconds.
  void SetUp() override {
    shell.AddToneMusic(12);
    Song& song = shell.song;
    song.SetProjectPath(shell.folder.File("p.lfp"));
    song.Lyrics().SetRawLyrics("one two three\nfour five six");
    song.GenerateKaraokeLineList({.keepTimings = false, .convertMarkers = false});
    for (int i = 0; i < song.Lyrics().WordCount(); ++i) {
      song.Lyrics().SetWordTimes(i, (3 + i) * kRate, (4 + i) * kRate);
      song.Lyrics().SetLinePlaced(song.Lyrics().IndexOfLine(song.Lyrics().Word(i)->m_line), true);
    }
    ASSERT_NE(MusicAnalysisCache::Instance().Wait(song.Music().WorkingMusicPath()), nullptr);
    page = std::make_unique<AdjustLyricsPage>(shell);
    page->resize(900, 600);
    page->show();
    page->Enter();
  }
  void TearDown() override { page->Leave(); }

  // The times as the project file keeps them.
  std::vector<Span> SavedSpans() {
    EXPECT_TRUE(shell.song.SaveProject());
    Song saved(shell.song.ProjectPath());
    EXPECT_TRUE(saved.LoadProject().Ok());
    std::vector<Span> spans;
    for (int i = 0; i < saved.Lyrics().WordCount(); ++i)
      spans.emplace_back(saved.Lyrics().Word(i)->m_startTime, saved.Lyrics().Word(i)->m_endTime);
    return spans;
  }
  void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent down(QEvent::KeyPress, key, modifiers), up(QEvent::KeyRelease, key, modifiers);
    page->KeyDown(&down);
    page->KeyUp(&up);
  }
  void Undo() {
    ASSERT_TRUE(shell.song.History().Undo(shell.song.Lyrics()));
    page->TimesRestored();
  }
  template <typename T>
  T* Find(const char* name) {
    return page->findChild<T*>(name);
  }
  // Runs `answer` on the Shift Times dialog once it is shown by `open`, until it closes.
  void WithShiftDialog(const std::function<void(ShiftTimesDialog&)>& answer) {
    bool answered = false;
    QTimer::singleShot(0, page.get(), [&] {
      auto* dialog = qobject_cast<ShiftTimesDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      answer(*dialog);
      answered = true;
      if (dialog->isVisible()) dialog->reject();
    });
    QTest::mouseClick(Find<QPushButton>("shiftTimes"), Qt::LeftButton);
    EXPECT_TRUE(answered);
  }

  std::unique_ptr<AdjustLyricsPage> page;
};

TEST_F(AdjustLyricsPageTest, ShiftTimesAndTheBracketKeysAreSavedAndUndone) {
  const std::vector<Span> laid = SavedSpans();
  ASSERT_EQ(laid.size(), 6u);
  for (int i = 0; i < 4; ++i) Press(Qt::Key_Right);  // "five"

  // The selected word's line, from its first word. Too far is refused in the dialog, which stays open and
  // changes nothing.
  std::vector<Span> shifted = laid;
  WithShiftDialog([&](ShiftTimesDialog& dialog) {
    dialog.findChild<QRadioButton*>("line")->setChecked(true);
    auto* ms = dialog.findChild<QSpinBox*>("milliseconds");
    ms->setValue(-5000);
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.findChild<QLabel*>("refusal")->text().toStdString(),
              "Shifting by 5000 ms would move 'four' past 'three'.");
    EXPECT_EQ(shell.song.Lyrics().Word(3)->m_startTime, laid[3].first);
    ms->setValue(-250);
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
  });
  const SampleTime quarter = kRate / 4;
  for (size_t i = 3; i < 6; ++i) shifted[i] = {laid[i].first - quarter, laid[i].second - quarter};
  shifted[2].second = shifted[3].first;  // "three" still sung up to "four"
  EXPECT_EQ(SavedSpans(), shifted);

  // "]" moves everything from the selected word on by the adjust step.
  Press(Qt::Key_Left);
  Press(Qt::Key_Left);  // "three"
  Press(Qt::Key_BracketRight);
  std::vector<Span> stepped = shifted;
  const SampleTime step = 8820;
  for (size_t i = 2; i < 6; ++i) stepped[i] = {shifted[i].first + step, shifted[i].second + step};
  stepped[1].second = stepped[2].first;
  EXPECT_EQ(SavedSpans(), stepped);
  EXPECT_FALSE(Find<QLabel>("notice")->isVisibleTo(page.get()));

  Undo();
  EXPECT_EQ(SavedSpans(), shifted);
  Undo();
  EXPECT_EQ(SavedSpans(), laid);
  EXPECT_FALSE(shell.song.History().CanUndo());
}

TEST_F(AdjustLyricsPageTest, NextUnsureWordSaysSoWhenEveryWordIsBorneOut) {
  QLabel* notice = Find<QLabel>("notice");
  QTest::mouseClick(Find<QPushButton>("nextUnsure"), Qt::LeftButton);
  EXPECT_EQ(notice->text().toStdString(), "No word is unsure: the voice bears out every timed word.");
  EXPECT_TRUE(notice->isVisibleTo(page.get()));
  // A word too short to be sung is found by the key, and told why.
  shell.song.Lyrics().SetWordEnd(4, 7 * kRate + 1000);
  Press(Qt::Key_U);
  EXPECT_EQ(notice->text().toStdString(), "'five' may be timed wrong: shorter than 60 ms.");
  page->Leave();
  Press(Qt::Key_Right);
  EXPECT_FALSE(notice->isVisibleTo(page.get()));
}

}  // namespace
}  // namespace lf::test
