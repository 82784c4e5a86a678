#include "core/song/timing_history.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include "core/platform/message_sink.h"
#include "core/platform/paths.h"
#include "core/platform/settings.h"
#include "core/song/project_file.h"
#include "core/song/song.h"
#include "core/timing/lyric_placement.h"
#include "core/timing/onset_snap.h"
#include "core/timing/word_nudge.h"

namespace lf {
namespace {

constexpr int kRate = 44100;

class TimingHistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetAppSettings(std::make_unique<MemorySettings>());
    m_song.ResetSongDefaults();
    m_song.Lyrics().SetRawLyrics("one two three four\nfive six se*ven\n&eight nine\nten");
    m_song.GenerateKaraokeLineList({.keepTimings = false, .convertMarkers = false});
    for (int i = 0; i < m_song.Lyrics().WordCount(); ++i)
      m_song.Lyrics().SetWordTimes(i, kRate * (i + 1), kRate * (i + 1) + kRate / 2);
    m_song.History().Clear();
  }

  // The song as its project file holds it.
  std::string Bytes() {
    const std::string path = m_folder.File("song.lfp");
    EXPECT_TRUE(WriteProjectFile(m_song, path));
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  // One edit of a kind chosen by `kind`, on word `word`.
  void Edit(int kind, int word, SampleTime amount) {
    switch (kind) {
      case 0:
        NudgeStartEarlier(m_song, word, amount);
        break;
      case 1:
        NudgeStartLater(m_song, word, amount);
        break;
      case 2:
        NudgeEndEarlier(m_song, word, amount);
        break;
      case 3:
        NudgeEndLater(m_song, word, amount);
        break;
      case 4: {
        const std::vector<Onset> onsets = {{m_song.Lyrics().Word(word)->m_startTime + amount / 4, 1.0f}};
        SnapWordStart(m_song, word, onsets, kRate);
        break;
      }
      case 5:
        m_placement.PlaceWord(kRate * 20 + amount);
        break;
      case 6:
        m_placement.StepBack();
        break;
      default:
        m_placement.EndPlacement(kRate);
        break;
    }
  }

  ScopedMessageRecorder m_recorder;
  ScopedTempFolder m_folder{"lfhistory"};
  Song m_song{"/tmp/none.lfp"};
  LyricPlacement m_placement{m_song};
};

TEST_F(TimingHistoryTest, UndoingEveryEditGivesTheOriginalBackAndRedoTheEdited) {
  std::mt19937 random(20261209);
  for (int round = 0; round < 5; ++round) {
    SetUp();
    const std::string original = Bytes();
    for (int i = 0; i < 20; ++i) {
      const int kind = static_cast<int>(random() % 8);
      const int word = static_cast<int>(random() % static_cast<unsigned>(m_song.Lyrics().WordCount()));
      Edit(kind, word, static_cast<SampleTime>(random() % (kRate / 2)) + 1);
    }
    const std::string edited = Bytes();
    const size_t steps = m_song.History().StepCount();
    ASSERT_GE(steps, 5u) << "round " << round;
    while (m_song.History().Undo(m_song.Lyrics())) {
    }
    EXPECT_EQ(Bytes(), original) << "round " << round;
    while (m_song.History().Redo(m_song.Lyrics())) {
    }
    EXPECT_EQ(Bytes(), edited) << "round " << round;
    EXPECT_EQ(m_song.History().StepCount(), steps);
  }
}

TEST_F(TimingHistoryTest, StepsAreNamedOneAnEditAndDropTheRedoneOnes) {
  NudgeStartLater(m_song, 1, 100);
  EXPECT_EQ(m_song.History().UndoName(), "Nudge Start of 'two'");
  // A snap nudges inside: one step, named for the snap.
  SnapWordStart(m_song, 2, {{m_song.Lyrics().Word(2)->m_startTime + 300, 1.0f}}, kRate);
  EXPECT_EQ(m_song.History().StepCount(), 2u);
  EXPECT_EQ(m_song.History().UndoName(), "Snap Start of 'three'");
  // An edit that changes nothing is no step.
  NudgeStartEarlier(m_song, 0, 0);
  EXPECT_EQ(m_song.History().StepCount(), 2u);

  ASSERT_TRUE(m_song.History().Undo(m_song.Lyrics()));
  EXPECT_EQ(m_song.History().RedoName(), "Snap Start of 'three'");
  NudgeEndLater(m_song, 6, 50);  // a new step: the snap cannot be redone
  EXPECT_FALSE(m_song.History().CanRedo());
  EXPECT_EQ(m_song.History().UndoName(), "Nudge End of 'se'");
}

TEST_F(TimingHistoryTest, AStepThatNoLongerFitsTheLinesClearsTheHistory) {
  NudgeStartLater(m_song, 1, 100);
  m_song.Lyrics().SetRawLyrics("one two three four\nfive");
  m_song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = false});
  const LyricTimes before = m_song.Lyrics().Times();
  EXPECT_FALSE(m_song.History().Undo(m_song.Lyrics()));
  EXPECT_FALSE(m_song.History().CanUndo());
  EXPECT_EQ(m_song.Lyrics().Times(), before);
}

}  // namespace
}  // namespace lf
