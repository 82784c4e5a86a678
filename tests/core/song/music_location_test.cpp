// A project's music found as the file system names it: bytes that are not
// UTF-8 but name a file are kept, and a project moved with its music finds it
// beside itself.
#include "core/song/music_location.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/platform/settings.h"
#include "core/song/song.h"
#include "tests/support/cli_runner.h"

namespace fs = std::filesystem;

namespace lf {
namespace {

TEST(MusicLocation, StoredPathsAndMovedProjects) {
  test::TempDir here, elsewhere;
  const std::string latin1 = here.File("caf\xE9.wav");  // a Latin-1 name, not UTF-8
  test::WriteFileBytes(latin1, "w");
  test::WriteFileBytes(here.File("song.mp3"), "m");
  const std::string project = here.File("p.lfp");
  struct Case {
    std::string stored, expectStored, expectBeside;
  } cases[] = {
      {latin1, latin1, ""},                                                      // names a file: kept as bytes
      {elsewhere.File("caf\xE9.wav"), elsewhere.File("caf\xE9.wav"), latin1},    // moved: still bytes, found beside
      {elsewhere.File("na\xEFve.mp3"), elsewhere.File("na\xC3\xAFve.mp3"), ""},  // Windows text, no file
      {"C:\\Music\\song.mp3", "C:\\Music\\song.mp3", here.File("song.mp3")},
      {elsewhere.File("song.mp3"), elsewhere.File("song.mp3"), here.File("song.mp3")},
      {here.File("song.mp3"), here.File("song.mp3"), ""},  // where it was: nothing to find
      {elsewhere.File("gone.mp3"), elsewhere.File("gone.mp3"), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    EXPECT_EQ(StoredMusicPath(c.stored, project), c.expectStored);
    EXPECT_EQ(MusicBesideProject(c.expectStored, project), c.expectBeside);
  }
}

TEST(MusicLocation, ANonUtf8MusicPathSurvivesLoadAndSave) {
  SetAppSettings(std::make_unique<MemorySettings>());
  test::TempDir dir;
  const std::string music = dir.File("caf\xE9.wav");
  test::WriteFileBytes(music, test::ToneWav(44100, 16, 2, 4410));
  Song song(dir.File("p.lfp"));
  song.ResetSongDefaults();
  song.SetMusicPath(music);
  ASSERT_TRUE(song.SaveProject());
  const std::string saved = test::ReadFileBytes(dir.File("p.lfp"));
  Song loaded(dir.File("p.lfp"));
  ASSERT_TRUE(loaded.LoadProject());
  EXPECT_EQ(loaded.MusicPath(), music);
  ASSERT_TRUE(loaded.SaveProject());
  EXPECT_EQ(test::ReadFileBytes(dir.File("p.lfp")), saved);
}

TEST(MusicLocation, TheCommandsUseMusicMovedWithTheProject) {
  test::TempDir before, after;
  test::WriteFileBytes(before.File("tone.wav"), test::ToneWav(44100, 16, 2, 44100));
  test::WriteFileBytes(before.File("w.txt"), "one two\n");
  ASSERT_EQ(test::RunCli({"new", "-o", before.File("p.lfp"), "--music", before.File("tone.wav"), "--lyrics",
                          before.File("w.txt")})
                .exitCode,
            0);
  for (const char* name : {"p.lfp", "tone.wav"}) fs::rename(before.File(name), after.File(name));
  const auto compiled = test::RunCli({"compile", after.File("p.lfp"), "-o", after.File("p.cdg")});
  EXPECT_EQ(compiled.exitCode, 0) << compiled.err;
  EXPECT_NE(compiled.err.find("using " + after.File("tone.wav") + " beside the project"), std::string::npos)
      << compiled.err;
  ASSERT_EQ(test::RunCli({"set", after.File("p.lfp"), "title=Moved"}).exitCode, 0);
  EXPECT_NE(test::RunCli({"info", after.File("p.lfp")}).out.find(after.File("tone.wav")), std::string::npos);
}

}  // namespace
}  // namespace lf
