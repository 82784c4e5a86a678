// `lyricforge-cli export` reads a WAV where it lies instead of copying it: the
// BIN, or the MP3 and its CD+G, must be what a working copy of the music
// gives, byte for byte, and the music file must stay as it was, also when the
// credits run past its end (where a working copy is lengthened with silence).
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "core/export/song_export.h"
#include "core/platform/paths.h"
#include "core/song/song.h"
#include "core/song/song_build.h"
#include "tests/support/wav_fixture.h"

namespace lf {
namespace {

const std::string kCli = LYRICFORGE_CLI_PATH;

std::string Shell(const std::string& command, int* status) { return test::RunCommand(command + " 2>&1", status); }

struct MusicSource {
  const char* name;
  const char* file;             // made from the demo song's WAV with ffmpeg
  const char* ffmpegOptions;    // how
  bool creditsPastMusic;        // the compiler lengthens the music
  uintmax_t cutTo = 0;          // then cut to this many bytes, the header left claiming more
  bool wordsPastMusic = false;  // the export refuses it rather than lengthen the music to the words
};

void PrintTo(const MusicSource& source, std::ostream* os) { *os << source.name; }

// The demo song's credits run past its music's end.
const MusicSource kSources[] = {
    {"Wav", "music.wav", "-c:a copy", true},
    {"WavEndingBeforeTheWords", "short.wav", "-t 20 -c:a copy", true, 0, true},
    {"WavCutMidSample", "cut.wav", "-t 20 -c:a copy", true, 1'000'001, true},
    {"WavOutlastingTheCredits", "long.wav", "-af apad=pad_dur=60", false},
    {"Mp3", "music.mp3", "-c:a libmp3lame -b:a 128k", true},
};

class ExportMusicSourceTest : public ::testing::TestWithParam<MusicSource> {
 protected:
  ScopedTempFolder m_dir{"export-music-source-test"};
};

// What the export pipeline makes from a working copy of the project's music:
// the bytes of each of `outputs` (the first is the one the export is asked for).
std::vector<std::string> ExportFromWorkingCopy(const std::string& project, const std::string& folder, ExportType type,
                                               const std::vector<std::string>& outputs, bool creditsPastMusic) {
  Song song(project);
  EXPECT_TRUE(song.LoadProject());
  MusicPreparationContext context;
  context.workingFolder = folder;
  MusicState state;
  EXPECT_TRUE(PrepareSongMusic(song, context, state).Ok());
  EXPECT_FALSE(song.Music().WorkingMusicReadOnly());
  NullProgress progress;
  SongExportRequest request;
  request.type = type;
  request.outputPath = outputs.front();
  const ExportOutcome outcome = ExportSong(song, request, DefaultAudioExportServices(), progress);
  EXPECT_TRUE(outcome.Ok()) << outcome.detail;
  EXPECT_EQ(song.Music().MusicLength() > state.workingDataBytes, creditsPastMusic)
      << "lengthened: " << song.Music().MusicLength();
  std::vector<std::string> bytes;
  for (const std::string& out : outputs) bytes.push_back(test::ReadFileBytes(out));
  return bytes;
}

struct Format {
  ExportType type;
  const char* name;                  // for --format
  std::vector<const char*> outputs;  // the files it writes, the asked-for one first
};

const Format kFormats[] = {{ExportType::Bin, "bin", {"song.bin"}},
                           {ExportType::Mp3G, "mp3g", {"song.mp3", "song.cdg"}}};

TEST_P(ExportMusicSourceTest, ExportsEqualTheWorkingCopysAndLeaveTheMusicAsItWas) {
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

  for (const Format& format : kFormats) {
    SCOPED_TRACE(format.name);
    std::vector<std::string> cliOutputs, copyOutputs;
    for (const char* name : format.outputs) {
      cliOutputs.push_back(m_dir.File(std::string("cli-") + name));
      copyOutputs.push_back(m_dir.File(std::string("copy-") + name));
    }
    const std::string output =
        Shell(kCli + " export " + project + " --format " + format.name + " -o " + cliOutputs.front(), &status);
    EXPECT_TRUE(test::ReadFileBytes(music) == musicBefore) << "the export wrote the project's music";
    if (source.wordsPastMusic) {
      EXPECT_EQ(status, 3) << output;
      EXPECT_NE(output.find("after the music ends"), std::string::npos) << output;
      for (const std::string& out : cliOutputs) EXPECT_FALSE(std::filesystem::exists(out)) << out;
      continue;
    }
    ASSERT_EQ(status, 0) << output;

    const std::string folder = m_dir.File(std::string("work-") + format.name);
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    const std::vector<std::string> reference =
        ExportFromWorkingCopy(project, folder, format.type, copyOutputs, source.creditsPastMusic);
    for (size_t i = 0; i < cliOutputs.size(); ++i) {
      const std::string bytes = test::ReadFileBytes(cliOutputs[i]);
      ASSERT_FALSE(bytes.empty()) << cliOutputs[i];
      EXPECT_EQ(bytes.size(), reference[i].size()) << cliOutputs[i];
      EXPECT_TRUE(bytes == reference[i]) << cliOutputs[i] << " differs from what a working copy gives";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Sources, ExportMusicSourceTest, ::testing::ValuesIn(kSources),
                         [](const ::testing::TestParamInfo<MusicSource>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace lf
