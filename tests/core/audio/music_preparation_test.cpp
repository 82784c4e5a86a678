// Music preparation and the media-duration query, on synthetic music.
#include "core/audio/music_preparation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "core/audio/wav_file.h"
#include "core/platform/progress.h"
#include "tests/support/cli_runner.h"
#include "tests/support/media_fixture.h"
#include "tests/support/wav_fixture.h"

namespace fs = std::filesystem;

namespace lf {
namespace {

using test::MakeEncodedTone;
using test::TempDir;
using test::WriteToneWav;

const char* const kAllFormatLines =
    "Sample Rate must be 44,100\nBits per Sample must be 8 or 16\nMusic must be Stereo or Mono\n";

class MusicPreparationTest : public ::testing::Test {
 protected:
  MusicPreparationContext Context() {
    MusicPreparationContext c;
    c.workingFolder = work.Path();
    c.formatChanged = [this](int rate, int spp) { told.push_back({rate, spp}); };
    return c;
  }
  std::string Working() const { return WorkingMusicFilePath(work.Path()); }
  // Nothing half-written may be left in the working folder.
  void ExpectNoPartialFiles() const {
    for (const auto& entry : fs::directory_iterator(work.Path()))
      EXPECT_EQ(entry.path().filename(), kWorkingMusicFileName) << entry.path();
  }

  TempDir media;
  TempDir work;
  MusicState state;
  std::vector<std::pair<int, int>> told;
};

TEST_F(MusicPreparationTest, WavFilesAreCopiedWithTheirOwnFormat) {
  const std::string upper = media.File("SONG.WAV");
  // A plain PCM WAV (16-bit here; 24-bit and other WAVs are converted) is copied as it is.
  WriteToneWav(upper, 1.0, 48000, 2, 16);
  ASSERT_TRUE(PrepareMusic(upper, state, Context()));
  EXPECT_EQ(state.extension, "wav");
  EXPECT_EQ(state.workingFilePath, Working());
  EXPECT_EQ(state.sampleRate, 48000);
  EXPECT_EQ(state.bitsPerSample, 16);
  EXPECT_EQ(state.channelCount, 2);
  EXPECT_EQ(state.samplesPerPacket, 160);
  EXPECT_EQ(state.musicFilePath, upper);
  EXPECT_EQ(state.musicFolder, media.Path() + "/");
  EXPECT_TRUE(state.musicErrorText.empty());
  EXPECT_EQ(test::ReadFileBytes(Working()), test::ReadFileBytes(upper));
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0], std::make_pair(48000, 160));

  // The letters "wav" at the end take the copy path even without a dot.
  const std::string noDot = media.File("tonewav");
  WriteToneWav(noDot, 0.5);
  ASSERT_TRUE(PrepareMusic(noDot, state, Context()));
  EXPECT_EQ(state.sampleRate, 44100);
  EXPECT_EQ(state.workingDataBytes, 22050 * 4);
  ExpectNoPartialFiles();
}

TEST_F(MusicPreparationTest, CompressedMusicDecodesInItsOwnFormat) {
  const std::string mp3 = media.File("mono.mp3");
  ASSERT_TRUE(MakeEncodedTone(mp3, 2.0, 22050, 1));
  std::vector<int> reports;
  FunctionProgress progress([&](int p) { reports.push_back(p); });
  std::vector<std::string> captions;
  MusicPreparationContext context = Context();
  context.progress = &progress;
  context.openProgress = [&](const std::string& caption) { captions.push_back(caption); };
  ASSERT_TRUE(PrepareMusic(mp3, state, context)) << state.musicErrorText;
  EXPECT_EQ(captions, std::vector<std::string>{"Decompressing Audio..."});
  EXPECT_EQ(state.extension, "mp3");
  EXPECT_EQ(state.sampleRate, 22050);
  EXPECT_EQ(state.bitsPerSample, 16);
  EXPECT_EQ(state.channelCount, 1);
  EXPECT_EQ(state.samplesPerPacket, 73);
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(reports.back(), 100);

  WavInFile in(state.workingFilePath);
  ASSERT_TRUE(in.IsOpen());
  EXPECT_EQ(in.SampleRate(), 22050u);
  EXPECT_EQ(in.ChannelCount(), 1);
  EXPECT_EQ(static_cast<int64_t>(in.DataBytes()), state.workingDataBytes);
  EXPECT_EQ(static_cast<int64_t>(fs::file_size(state.workingFilePath)), state.workingDataBytes + 44);
  EXPECT_NEAR(static_cast<double>(state.workingDataBytes), 2.0 * 22050 * 2, 22050 * 2 * 0.05);
  ExpectNoPartialFiles();
}

TEST_F(MusicPreparationTest, EveryContainerTheDecoderKnowsIsPrepared) {
  for (const auto& [name, options] : std::vector<std::pair<std::string, std::string>>{
           {"a.wma", "-c:a wmav2"}, {"a.m4a", ""}, {"a.ogg", "-c:a libvorbis"}}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(MakeEncodedTone(media.File(name), 1.0, 44100, 2, options));
    ASSERT_TRUE(PrepareMusic(media.File(name), state, Context())) << state.musicErrorText;
    EXPECT_EQ(state.sampleRate, 44100);
    EXPECT_EQ(state.channelCount, 2);
    EXPECT_NEAR(static_cast<double>(state.workingDataBytes), 44100 * 4, 44100 * 4 * 0.05);
  }
}

TEST_F(MusicPreparationTest, BadInputGetsThePartsMessages) {
  const Outcome missing = PrepareMusic(media.File("missing.mp3"), state, Context());
  EXPECT_EQ(missing.reason, Reason::NotFound);
  EXPECT_EQ(missing.text, "File not found\n");
  EXPECT_EQ(state.musicErrorText, "File not found\n");
  EXPECT_TRUE(state.workingFilePath.empty());

  // A file that holds no audio never reaches the output format: zero format, all three lines.
  test::WriteFileBytes(media.File("words.mp3"), "Row, row, row your boat\ngently down the stream\n");
  test::WriteFileBytes(media.File("empty.mp3"), "");
  test::WriteFileBytes(media.File("empty.wav"), "");
  test::WriteFileBytes(media.File("words.wav"), "Row, row, row your boat\n");
  for (const std::string name : {"words.mp3", "empty.mp3", "empty.wav", "words.wav"}) {
    SCOPED_TRACE(name);
    const Outcome refused = PrepareMusic(media.File(name), state, Context());
    EXPECT_EQ(refused.reason, Reason::BadInput);
    EXPECT_EQ(refused.text, kAllFormatLines);
    EXPECT_EQ(state.musicErrorText, kAllFormatLines);
    EXPECT_TRUE(state.workingFilePath.empty());
    EXPECT_TRUE(state.musicFilePath.empty());
    EXPECT_TRUE(state.musicFolder.empty());
    EXPECT_FALSE(fs::exists(Working()));
  }
  ExpectNoPartialFiles();
}

// A bad second choice keeps the first music: its working file byte for byte
// and its state, with only the error text set; a good one replaces it.
TEST_F(MusicPreparationTest, ASecondPreparationReplacesTheFirstWorkingFileOnlyWhenItSucceeds) {
  WriteToneWav(media.File("one.wav"), 1.0);
  test::WriteFileBytes(media.File("words.mp3"), "not music");
  test::WriteFileBytes(media.File("empty.wav"), "");
  test::WriteFileBytes(media.File("1hz.wav"),
                       test::MakeRiffWave({{"fmt ", test::FmtBody(2, 1, 16)}, {"data", std::string(256, '\0')}}));
  struct Case {
    const char* name;
    Reason reason;
    const char* text;
  };
  const Case bad[] = {
      {"missing.mp3", Reason::NotFound, "File not found\n"},
      {"words.mp3", Reason::BadInput, kAllFormatLines},
      {"empty.wav", Reason::BadInput, kAllFormatLines},
      {"1hz.wav", Reason::BadInput, "Sample Rate must be 44,100\n"},
  };
  for (const Case& c : bad) {
    SCOPED_TRACE(c.name);
    state = MusicState{};
    ASSERT_TRUE(PrepareMusic(media.File("one.wav"), state, Context()));
    const MusicState first = state;
    const std::string firstBytes = test::ReadFileBytes(Working());
    told.clear();

    const Outcome refused = PrepareMusic(media.File(c.name), state, Context());
    EXPECT_EQ(refused.reason, c.reason);
    EXPECT_EQ(state.musicErrorText, c.text);
    EXPECT_EQ(test::ReadFileBytes(Working()), firstBytes);
    EXPECT_EQ(state.workingFilePath, first.workingFilePath);
    EXPECT_EQ(state.musicFilePath, first.musicFilePath);
    EXPECT_EQ(state.musicFolder, first.musicFolder);
    EXPECT_EQ(state.extension, first.extension);
    EXPECT_EQ(state.sampleRate, first.sampleRate);
    EXPECT_EQ(state.workingDataBytes, first.workingDataBytes);
    EXPECT_EQ(state.samplesPerPacket, first.samplesPerPacket);
    EXPECT_TRUE(told.empty());
    ExpectNoPartialFiles();
  }
  WriteToneWav(media.File("two.wav"), 2.0, 22050, 1, 16);
  ASSERT_TRUE(PrepareMusic(media.File("two.wav"), state, Context()));
  EXPECT_EQ(state.musicFilePath, media.File("two.wav"));
  EXPECT_TRUE(state.musicErrorText.empty());
  EXPECT_EQ(test::ReadFileBytes(Working()), test::ReadFileBytes(media.File("two.wav")));
}

TEST_F(MusicPreparationTest, DamagedFilesKeepWhatCanBeRead) {
  // A truncated MP3 gives the music up to the cut.
  const std::string mp3 = media.File("whole.mp3");
  ASSERT_TRUE(MakeEncodedTone(mp3, 4.0));
  std::string bytes = test::ReadFileBytes(mp3);
  test::WriteFileBytes(media.File("cut.mp3"), bytes.substr(0, bytes.size() / 2));
  ASSERT_TRUE(PrepareMusic(media.File("cut.mp3"), state, Context())) << state.musicErrorText;
  EXPECT_GT(state.workingDataBytes, 44100 * 4 * 1);
  EXPECT_LT(state.workingDataBytes, 44100 * 4 * 3);

  // A WAV whose data chunk claims more than the file holds: copied as it is,
  // and its duration is that of the data really there.
  std::string wav = test::ToneWav(44100, 16, 2, 44100);
  wav.resize(44 + 44100 * 2);  // half the data is gone; the header still says 1 s
  test::WriteFileBytes(media.File("liar.wav"), wav);
  ASSERT_TRUE(PrepareMusic(media.File("liar.wav"), state, Context()));
  EXPECT_EQ(state.workingDataBytes, 44100 * 2);
  EXPECT_EQ(GetMediaDuration(media.File("liar.wav"), true), 500);
}

TEST_F(MusicPreparationTest, MediaDuration) {
  test::WriteFileBytes(media.File("song.bin"), std::string(183600, '\0'));
  EXPECT_EQ(GetMediaDuration(media.File("song.bin"), true), 1000);
  EXPECT_EQ(GetMediaDuration(media.File("song.bin"), false), 1);
  WriteToneWav(media.File("tone.WAV"), 2.5);
  EXPECT_EQ(GetMediaDuration(media.File("tone.WAV"), true), 2500);
  EXPECT_EQ(GetMediaDuration(media.File("tone.WAV"), false), 2);
  for (const auto& [name, options] : std::vector<std::pair<std::string, std::string>>{
           {"tone.mp3", ""}, {"tone.wma", "-c:a wmav2"}, {"tone.m4a", ""}}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(MakeEncodedTone(media.File(name), 3.0, 44100, 2, options));
    // Containers state their length with the encoder's padding included.
    EXPECT_NEAR(GetMediaDuration(media.File(name), true), 3000, 100);
  }
  ASSERT_TRUE(MakeEncodedTone(media.File("tone.ogg"), 1.0, 44100, 2, "-c:a libvorbis"));
  EXPECT_EQ(GetMediaDuration(media.File("tone.ogg"), true), 0);  // not a kind it measures
  EXPECT_EQ(GetMediaDuration(media.File("missing.mp3"), true), 0);
  test::WriteFileBytes(media.File("words.mp3"), "la la la");
  EXPECT_EQ(GetMediaDuration(media.File("words.mp3"), true), 0);
}

}  // namespace
}  // namespace lf
