// Recovery files: where they go, which are offered after a crash, which are
// stale, and what recovering gives back.
#include "core/song/recovery_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "core/platform/project_lock.h"
#include "core/platform/settings.h"
#include "core/song/song.h"
#include "tests/support/cli_runner.h"

namespace lf {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class RecoveryFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetAppSettings(std::make_unique<MemorySettings>());
    setenv("XDG_STATE_HOME", m_dir.File("state").c_str(), 1);
  }
  void TearDown() override { unsetenv("XDG_STATE_HOME"); }

  // A saved project of one line, then an unsaved change to its first word.
  std::unique_ptr<Song> EditedProject(const std::string& name) {
    fs::create_directories(fs::path(m_dir.File(name)).parent_path());
    auto song = std::make_unique<Song>(m_dir.File(name));
    song->ResetSongDefaults();
    song->Lyrics().SetRawLyrics("twinkle little star");
    song->GenerateKaraokeLineList({.keepTimings = false, .convertMarkers = false});
    EXPECT_TRUE(song->SaveProject());
    song->Lyrics().SetWordStart(0, 4410);
    song->Lyrics().SetWordEnd(0, 8820);
    song->SetModified(true);
    return song;
  }

  test::TempDir m_dir;
};

TEST_F(RecoveryFileTest, NamesKeepTwoSongsOfOneNameApartInTheStateFolder) {
  const std::string a = RecoveryPathFor(m_dir.File("one/song.lfp")), b = RecoveryPathFor(m_dir.File("two/song.lfp"));
  EXPECT_NE(a, b);
  EXPECT_EQ(fs::path(a).parent_path(), fs::path(m_dir.File("state/lyricforge")));
  EXPECT_TRUE(fs::path(a).filename().string().starts_with("song-"));
  EXPECT_EQ(fs::path(a).extension(), ".lfp");
  unsetenv("XDG_STATE_HOME");
  EXPECT_TRUE(RecoveryFolder().ends_with("/.local/state/lyricforge"));
}

// After a crash the autosave is offered unless its project is open in a
// running program or was saved after it; recovering gives the edit back,
// modified, as the original project, and the project file is untouched.
TEST_F(RecoveryFileTest, OffersWhatACrashLeftAndRecoversTheEdits) {
  struct Case {
    const char* name;
    bool projectSavedLater, projectLocked, recoveryLost;
    bool offered, filesKept;
  };
  const Case cases[] = {
      {"crashed", false, false, false, true, true},
      {"saved later", true, false, false, false, false},
      {"still open", false, true, false, false, true},
      {"origin only", false, false, true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string project = m_dir.File(std::string(c.name) + "/song.lfp");
    const auto edited = EditedProject(std::string(c.name) + "/song.lfp");
    const auto savedBytes = fs::file_size(project);
    ASSERT_TRUE(WriteRecovery(*edited));
    EXPECT_TRUE(edited->IsModified());
    EXPECT_EQ(edited->ProjectPath(), project);
    const std::string recovery = RecoveryPathFor(project);
    if (c.projectSavedLater) {
      std::this_thread::sleep_for(20ms);
      ASSERT_TRUE(edited->SaveProject());
    }
    if (c.recoveryLost) fs::remove(recovery);
    std::string why;
    auto lock = c.projectLocked ? ProjectLock::Acquire(project, "Lyricforge", 0ms, &why) : nullptr;

    const std::vector<RecoveryEntry> pending = PendingRecoveries();
    ASSERT_EQ(pending.size(), c.offered ? 1u : 0u);
    EXPECT_EQ(fs::exists(recovery), c.filesKept);
    EXPECT_EQ(fs::exists(recovery + ".origin"), c.filesKept);
    if (c.offered) {
      EXPECT_EQ(fs::file_size(project), savedBytes);  // never over the project
      EXPECT_TRUE(RecoveryQuestion(pending[0]).starts_with("Recover unsaved changes to song.lfp from "));
      Song recovered(project);
      ASSERT_TRUE(LoadRecovery(recovered, pending[0]));
      EXPECT_EQ(recovered.ProjectPath(), project);
      EXPECT_TRUE(recovered.IsModified());
      EXPECT_EQ(recovered.Lyrics().Word(0)->m_startTime, 4410);
      EXPECT_EQ(recovered.Lyrics().Word(0)->m_endTime, 8820);
      // A clean close removes it: nothing is offered again.
      RemoveRecovery(project);
      EXPECT_TRUE(PendingRecoveries().empty());
    }
    lock.reset();
    RemoveRecovery(project);
  }
}

}  // namespace
}  // namespace lf
