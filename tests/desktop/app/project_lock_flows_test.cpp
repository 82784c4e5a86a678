// The desktop program holds the open project's lock: another program's lock
// stops an Open or a Save As over it with the holder named, and a
// command-line change waits for the program and then gives up.
#include <unistd.h>

#include <chrono>

#include "core/platform/project_lock.h"
#include "tests/desktop/app/app_fixture.h"

namespace lf::test {
namespace {

using namespace std::chrono_literals;

std::string Ours() { return "lyricforge (process " + std::to_string(getpid()) + ","; }

bool HeldByUs(const std::string& path) { return ProjectLockHolder(path).rfind(Ours(), 0) == 0; }

std::string LyricsIn(const std::string& path) {
  Song song(path);
  return song.LoadProject() ? song.Lyrics().RawLyrics() : "<unreadable>";
}

TEST_F(AppTest, AProjectAnotherProgramHoldsIsNeitherOpenedNorSavedOverAndNothingIsLost) {
  struct Flow {
    const char* name;
    const char* caption;
    std::function<void(LyricforgeApp&, ScriptedFileDialogs&, const std::string&)> run;
  };
  const Flow flows[] = {
      {"Open", "Open Lyricforge Project",
       [](LyricforgeApp& a, ScriptedFileDialogs& d, const std::string& theirs) {
         d.paths = {theirs};
         a.OpenProject();
       }},
      {"second start", "Open Lyricforge Project",
       [](LyricforgeApp& a, ScriptedFileDialogs&, const std::string& theirs) { a.HandOver(theirs); }},
      {"Save As", "Save Lyricforge Project",
       [](LyricforgeApp& a, ScriptedFileDialogs& d, const std::string& theirs) {
         d.paths = {theirs};
         EXPECT_FALSE(a.SaveProjectAs());
       }},
  };
  const std::string theirs = dir.File("theirs.lfp");
  {
    Song other(theirs);
    other.ResetSongDefaults();
    other.Lyrics().SetRawLyrics("theirs");
    ASSERT_TRUE(other.SaveProject());
  }
  std::string why;
  auto held = ProjectLock::Acquire(theirs, "lyricforge-cli set", 0ms, &why);
  ASSERT_TRUE(held) << why;
  for (const Flow& flow : flows) {
    SCOPED_TRACE(flow.name);
    MakeApp();
    app->Start();
    const std::string mine = SavedProject("mine.lfp", "mine");
    OpenSong().Lyrics().SetRawLyrics("edited");
    OpenSong().SetModified(true);
    messages->shown.clear();
    messages->answers = {MessageAnswer::No};  // the save question, when asked: keep the file as it is

    flow.run(*app, *dialogs, theirs);
    ASSERT_FALSE(messages->shown.empty());
    const Message& told = messages->shown.back();
    EXPECT_EQ(told.caption, flow.caption);
    EXPECT_NE(told.text.find(theirs + "\nis in use by lyricforge-cli set (process "), std::string::npos) << told.text;
    EXPECT_EQ(OpenSong().ProjectPath(), mine);
    EXPECT_EQ(OpenSong().Lyrics().RawLyrics(), "edited");
    EXPECT_TRUE(OpenSong().IsModified());
    EXPECT_EQ(Title(), "Lyricforge - mine.lfp*");
    EXPECT_TRUE(HeldByUs(mine));
    EXPECT_EQ(LyricsIn(theirs), "theirs");
  }
  held.reset();
  messages->answers = {MessageAnswer::No};
  EXPECT_TRUE(app->OpenProjectFile(theirs));
  EXPECT_TRUE(HeldByUs(theirs));
  EXPECT_EQ(ProjectLockHolder(dir.File("mine.lfp")), "");
}

// The lock follows the open project through Save As, a second Open of the
// same file, a project that fails to load, Close and New.
TEST_F(AppTest, TheLockFollowsTheOpenProject) {
  app->Start();
  const std::string a = SavedProject("a.lfp", "a");
  EXPECT_TRUE(HeldByUs(a));
  const std::string b = SavedProject("b.lfp", "b");
  EXPECT_EQ(ProjectLockHolder(a), "");
  EXPECT_TRUE(HeldByUs(b));
  EXPECT_TRUE(app->OpenProjectFile(b)) << "our own lock does not stop us";
  EXPECT_TRUE(HeldByUs(b));
  EXPECT_TRUE(app->OpenProjectFile(a));
  EXPECT_TRUE(HeldByUs(a));
  EXPECT_EQ(ProjectLockHolder(b), "");

  const std::string broken = dir.File("broken.lfp");
  WriteFileBytes(broken, "not a project");
  messages->answers = {MessageAnswer::Ok};
  EXPECT_FALSE(app->OpenProjectFile(broken));
  EXPECT_EQ(ProjectLockHolder(broken), "");
  EXPECT_EQ(ProjectLockHolder(a), "");

  const std::pair<const char*, std::function<void()>> leaving[] = {
      {"Close", [&] { app->CloseProject(); }},
      {"New", [&] { app->NewProject(); }},
  };
  for (const auto& [name, leave] : leaving) {
    ASSERT_TRUE(app->OpenProjectFile(a)) << name;
    ASSERT_TRUE(HeldByUs(a)) << name;
    leave();
    EXPECT_EQ(ProjectLockHolder(a), "") << name;
  }
}

TEST_F(AppTest, ACommandLineChangeIsRefusedWhileTheProgramHasTheProjectOpen) {
  app->Start();
  const std::string path = SavedProject("open.lfp", "words");
  const CliResult set = RunCli({"set", path, "artist=Someone Else"});
  EXPECT_NE(set.exitCode, 0);
  EXPECT_NE(set.err.find("is in use by " + Ours()), std::string::npos) << set.err;
  Song onDisk(path);
  ASSERT_TRUE(onDisk.LoadProject());
  EXPECT_NE(onDisk.Lyrics().Artist(), "Someone Else");
}

}  // namespace
}  // namespace lf::test
