// Music files as a hostile user makes them: layouts that change mid-stream,
// declared formats no song can carry, names FFmpeg would take for URLs, and
// scripts that would make FFmpeg open other files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "core/audio/music_preparation.h"
#include "tests/support/cli_runner.h"
#include "tests/support/media_fixture.h"
#include "tests/support/wav_fixture.h"

namespace fs = std::filesystem;

namespace lf {
namespace {

using test::TempDir;

struct Prepared {
  bool ok = false;
  MusicState state;
};

Prepared Prepare(const std::string& path, const TempDir& work) {
  MusicPreparationContext context;
  context.workingFolder = work.Path();
  Prepared p;
  p.ok = PrepareMusic(path, p.state, context).Ok();
  return p;
}

std::string WavDeclaring(uint32_t rate, uint16_t channels) {
  return test::MakeRiffWave(
      {{"fmt ", test::FmtBody(channels, rate, 16)}, {"data", std::string(size_t(channels) * 2 * 64, '\0')}});
}

TEST(HostileMusic, FormatsNoSongCanCarryAreRefusedWithTheMusicErrorText) {
  TempDir media, work;
  struct Case {
    const char* name;
    uint32_t rate;
    uint16_t channels;
    const char* text;
  };
  const Case cases[] = {
      {"1hz.wav", 1, 2, "Sample Rate must be 44,100\n"},
      {"299hz.wav", 299, 2, "Sample Rate must be 44,100\n"},
      {"huge-rate.wav", 1u << 30, 2, "Sample Rate must be 44,100\n"},
      {"many-channels.wav", 44100, 65535, "Music must be Stereo or Mono\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::WriteFileBytes(media.File(c.name), WavDeclaring(c.rate, c.channels));
    const Prepared p = Prepare(media.File(c.name), work);
    EXPECT_FALSE(p.ok);
    EXPECT_EQ(p.state.musicErrorText, c.text);
    EXPECT_TRUE(p.state.workingFilePath.empty());
    EXPECT_FALSE(fs::exists(WorkingMusicFilePath(work.Path())));
  }
  // The edges of what is carried are still music.
  test::WriteFileBytes(media.File("8k.wav"), WavDeclaring(8000, 1));
  EXPECT_TRUE(Prepare(media.File("8k.wav"), work).ok);
}

TEST(HostileMusic, AStereoMp3FollowedByAMonoOneDecodesWhole) {
  TempDir media, work;
  ASSERT_TRUE(test::MakeEncodedTone(media.File("stereo.mp3"), 1.0, 44100, 2));
  ASSERT_TRUE(test::MakeEncodedTone(media.File("mono.mp3"), 1.0, 44100, 1));
  test::WriteFileBytes(media.File("both.mp3"),
                       test::ReadFileBytes(media.File("stereo.mp3")) + test::ReadFileBytes(media.File("mono.mp3")));
  const Prepared p = Prepare(media.File("both.mp3"), work);
  ASSERT_TRUE(p.ok) << p.state.musicErrorText;
  EXPECT_EQ(p.state.channelCount, 2);
  // Both seconds arrive, the mono one spread over both channels.
  EXPECT_NEAR(double(p.state.workingDataBytes), 2.0 * 44100 * 4, 44100 * 4 * 0.1);
}

TEST(HostileMusic, NamesAreLocalFilesAndScriptsOpenNothing) {
  TempDir media, work;
  ASSERT_TRUE(test::MakeEncodedTone(media.File("tone.mp3"), 0.5, 44100, 2));
  const std::string tone = test::ReadFileBytes(media.File("tone.mp3"));
  for (const char* name : {"a:b.mp3", "file:odd.mp3", "pic%d.mp3", "what?.mp3"}) {
    SCOPED_TRACE(name);
    test::WriteFileBytes(media.File(name), tone);
    const Prepared p = Prepare(media.File(name), work);
    EXPECT_TRUE(p.ok) << p.state.musicErrorText;
    EXPECT_EQ(p.state.sampleRate, 44100);
  }
  // A relative name with a colon is a file in the current folder, not a protocol.
  const fs::path before = fs::current_path();
  fs::current_path(media.Path());
  const Prepared relative = Prepare("a:b.mp3", work);
  fs::current_path(before);
  EXPECT_TRUE(relative.ok) << relative.state.musicErrorText;

  // Lists that name other files are never followed, whatever they are called.
  const std::string scripts[] = {
      "ffconcat version 1.0\nfile '" + media.File("tone.mp3") + "'\n",
      "#EXTM3U\n#EXTINF:1,\n" + media.File("tone.mp3") + "\n",
  };
  for (const std::string& script : scripts) {
    test::WriteFileBytes(media.File("list.mp3"), script);
    const Prepared p = Prepare(media.File("list.mp3"), work);
    EXPECT_FALSE(p.ok) << script;
    EXPECT_EQ(p.state.workingDataBytes, 0);
  }
}

TEST(HostileMusic, OnlyRegularFilesAreMusic) {
  TempDir media, work;
  const std::string fifo = media.File("pipe.mp3");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {fifo, std::string("/dev/zero"), media.Path()}) {
    const Prepared p = Prepare(path, work);  // returns at once: nothing waits for a writer
    EXPECT_FALSE(p.ok) << path;
    EXPECT_EQ(p.state.musicErrorText, "File not found\n") << path;
    EXPECT_EQ(GetMediaDuration(path, true), 0) << path;
  }
}

TEST(HostileMusic, CommandsRefuseUncarriedMusicInOneLineInsteadOfCrashing) {
  TempDir dir;
  test::WriteFileBytes(dir.File("slow.wav"), WavDeclaring(1, 2));
  test::WriteFileBytes(dir.File("words.txt"), "one two\n");
  ASSERT_TRUE(test::MakeEncodedTone(dir.File("s.mp3"), 1.0, 44100, 2));
  ASSERT_TRUE(test::MakeEncodedTone(dir.File("m.mp3"), 1.0, 44100, 1));
  test::WriteFileBytes(dir.File("sm.mp3"),
                       test::ReadFileBytes(dir.File("s.mp3")) + test::ReadFileBytes(dir.File("m.mp3")));

  const auto prepare = test::RunCli({"prepare", dir.File("slow.wav")});
  EXPECT_NE(prepare.exitCode, 0);
  EXPECT_EQ(prepare.err.find("samples per packet"), std::string::npos);
  EXPECT_NE(prepare.err.find("Sample Rate must be 44,100"), std::string::npos) << prepare.err;

  for (const char* music : {"slow.wav", "sm.mp3"}) {
    SCOPED_TRACE(music);
    const std::string project = dir.File(std::string(music) + ".lfp");
    // The music is replaced after the project took it, as a file changed behind its back.
    const std::string bytes = test::ReadFileBytes(dir.File(music));
    test::WriteFileBytes(dir.File(music), test::ToneWav(44100, 16, 2, 4410));
    ASSERT_EQ(
        test::RunCli({"new", "-o", project, "--lyrics", dir.File("words.txt"), "--music", dir.File(music)}).exitCode,
        0);
    test::WriteFileBytes(dir.File(music), bytes);
    const bool good = std::string(music) == "sm.mp3";
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"compile", project, "-o", dir.File("out.cdg")},
          std::vector<std::string>{"render", project, "--at", "1", "-o", dir.File("out.png")}}) {
      const auto r = test::RunCli(command);
      EXPECT_EQ(r.exitCode, good ? 0 : 3) << command[0] << ": " << r.err;
      EXPECT_LE(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
  }
}

}  // namespace
}  // namespace lf
