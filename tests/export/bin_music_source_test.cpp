// `lyricforge-cli export --format bin` reads a WAV where it lies instead of
// copying it: the BIN must be the one a working copy of the music gives, byte
// for byte, and the music file must stay as it was, also when the credits run
// past its end (where a working copy is lengthened with silence).
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/song/song_build.h"
#include "engine/song/song_settings.h"
#include "export/song_export.h"
#include "platform/paths.h"
#include "support/wav_fixture.h"

namespace lf {
namespace {

const std::string kCli = LYRICFORGE_CLI_PATH;

std::string Shell(const std::string& command, int* status) { return test::RunCommand(command + " 2>&1", status); }

struct MusicSource {
  const char* name;
  const char* file;           // made from the demo song's WAV with ffmpeg
  const char* ffmpegOptions;  // how
  bool creditsPastMusic;      // the compiler lengthens the music
  uintmax_t cutTo = 0;        // then cut to this many bytes, the header left claiming more
};

void PrintTo(const MusicSource& source, std::ostream* os) { *os << source.name; }

// The demo song's credits run past its music's end.
const MusicSource kSources[] = {
    {"Wav", "music.wav", "-c:a copy", true},
    {"WavEndingBeforeTheWords", "short.wav", "-t 20 -c:a copy", true},
    {"WavCutMidSample", "cut.wav", "-t 20 -c:a copy", true, 1'000'001},
    {"WavOutlastingTheCredits", "long.wav", "-af apad=pad_dur=60", false},
    {"Mp3", "music.mp3", "-c:a libmp3lame -b:a 128k", true},
};

class BinMusicSourceTest : public ::testing::TestWithParam<MusicSource> {
 protected:
  ScopedTempFolder m_dir{"bin-music-source-test"};
};

// The BIN the export pipeline makes from a working copy of the project's music.
std::string BinFromWorkingCopy(const std::string& project, const std::string& folder, const std::string& out,
                               bool creditsPastMusic) {
  MSongSettings song(project);
  EXPECT_TRUE(song.LoadProject());
  MusicPreparationContext context;
  context.workingFolder = folder;
  MusicState state;
  EXPECT_TRUE(PrepareSongMusic(song, context, state).Ok());
  EXPECT_FALSE(song.WorkingMusicReadOnly());
  NullProgress progress;
  SongExportRequest request;
  request.type = ExportType::Bin;
  request.outputPath = out;
  const ExportOutcome outcome = ExportSong(song, request, DefaultAudioExportServices(), progress);
  EXPECT_TRUE(outcome.Ok()) << outcome.detail;
  EXPECT_EQ(song.MusicLength() > state.workingDataBytes, creditsPastMusic) << "lengthened: " << song.MusicLength();
  return test::ReadFileBytes(out);
}

TEST_P(BinMusicSourceTest, BinEqualsTheWorkingCopysAndLeavesTheMusicAsItWas) {
  const MusicSource& source = GetParam();
  int status = -1;
  const std::string demo = m_dir.File("demo.wav"), lyrics = m_dir.File("demo.lrc");
  Shell(kCli + " synth-demo --verses 2 -o " + demo + " --lrc " + lyrics, &status);
  ASSERT_EQ(status, 0);
  const std::string music = m_dir.File(source.file), project = m_dir.File("song.lfp");
  Shell("ffmpeg -v error -y -i " + demo + " " + source.ffmpegOptions + " " + music, &status);
  ASSERT_EQ(status, 0);
  if (source.cutTo) std::filesystem::resize_file(music, source.cutTo);
  Shell(kCli + " new -o " + project + " --music " + music + " --lyrics " + lyrics, &status);
  ASSERT_EQ(status, 0);
  const std::string musicBefore = test::ReadFileBytes(music);

  const std::string cliBin = m_dir.File("cli.bin");
  const std::string output = Shell(kCli + " export " + project + " --format bin -o " + cliBin, &status);
  ASSERT_EQ(status, 0) << output;
  EXPECT_TRUE(test::ReadFileBytes(music) == musicBefore) << "the export wrote the project's music";

  const std::string folder = m_dir.File("work");
  ASSERT_TRUE(std::filesystem::create_directory(folder));
  const std::string reference = BinFromWorkingCopy(project, folder, m_dir.File("copy.bin"), source.creditsPastMusic);
  const std::string bin = test::ReadFileBytes(cliBin);
  ASSERT_FALSE(bin.empty());
  EXPECT_EQ(bin.size(), reference.size());
  EXPECT_TRUE(bin == reference) << "the BIN differs from the one a working copy gives";
}

INSTANTIATE_TEST_SUITE_P(Sources, BinMusicSourceTest, ::testing::ValuesIn(kSources),
                         [](const ::testing::TestParamInfo<MusicSource>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lf
