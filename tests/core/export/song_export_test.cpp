#include "core/export/song_export.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "core/audio/wav_file.h"
#include "core/platform/message_sink.h"
#include "core/platform/paths.h"
#include "core/platform/staged_output.h"
#include "core/playback/rw_renderer.h"
#include "core/playback/stream_decode.h"
#include "core/song/song.h"
#include "tests/support/wav_fixture.h"

namespace lf {
namespace {

namespace fs = std::filesystem;
const std::string kCli = LYRICFORGE_CLI_PATH;
constexpr double kFirstNoteSeconds = 2.0;  // where the demo music's first note starts

std::string Shell(const std::string& command, int* status) { return test::RunCommand(command + " 2>&1", status); }

// The demo song as a project, its music copied as the working file (the
// compiler may lengthen that copy, never the project's music).
class SongExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    int status = -1;
    Shell(kCli + " synth-demo -o " + Music() + " --lrc " + m_dir.File("demo.lrc"), &status);
    ASSERT_EQ(status, 0);
    Shell(kCli + " new -o " + Project() + " --music " + Music() + " --lyrics " + m_dir.File("demo.lrc"), &status);
    ASSERT_EQ(status, 0);
  }

  std::string Music() const { return m_dir.File("music.wav"); }
  std::string Project() const { return m_dir.File("demo.lfp"); }

  std::unique_ptr<Song> LoadSong(const std::string& workingSource) {
    auto song = std::make_unique<Song>(Project());
    EXPECT_TRUE(song->LoadProject());
    const std::string working = m_dir.File("working.wav");
    fs::copy_file(workingSource, working, fs::copy_options::overwrite_existing);
    song->Music().SetWorkingMusicPath(working);
    song->Music().AllocateRwMemory(true);
    song->Lyrics().SetArtist("Traditional");
    song->Lyrics().SetTitle("Twinkle, Twinkle, Little Star");
    return song;
  }

  ScopedTempFolder m_dir{"song-export-test"};
  ScopedMessageRecorder m_recorder;
  RecordingMessageSink* m_sink = &m_recorder.Sink();
};

// The first slot whose tile leaves a pixel of the sweep colour; -1 if none.
long FirstSweptSlot(const std::string& cdg) {
  const std::string bytes = test::ReadFileBytes(cdg);
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  CdgRenderer renderer;
  for (size_t slot = 0; slot < bytes.size() / kPacketSize; ++slot) {
    const uint8_t* at = data + slot * kPacketSize;
    DecodeStreamPrefix(renderer, at, kPacketSize, 1);
    const CdgPacket p = PacketAt(at);
    const uint8_t code = p.InstructionCode();
    if (!p.IsGraphics() ||
        (code != uint8_t(CdgInstruction::TileBlockNormal) && code != uint8_t(CdgInstruction::TileBlockXor)) ||
        p.TileRow() < 0) {
      continue;
    }
    for (int y = 0; y < kTileHeight; ++y)
      for (int x = 0; x < kTileWidth; ++x) {
        const int px = p.TileColumn() * kTileWidth + x, py = p.TileRow() * kTileHeight + y;
        if (px < kScreenWidth && py < kScreenHeight && renderer.PixelAt(px, py) == ColorIndexSweep) return long(slot);
      }
  }
  return -1;
}

// The first sample frame of 16-bit stereo `pcm` louder than the attack threshold.
long OnsetFrame(const uint8_t* pcm, size_t bytes) {
  for (size_t i = 0; i + 1 < bytes; i += 2)
    if (std::abs(int16_t(pcm[i] | (pcm[i + 1] << 8))) > 1500) return long(i / 4);
  return -1;
}

// Seconds into the decoded audio where the first note starts.
double AudioOnsetSeconds(const std::string& audio, const ScopedTempFolder& dir) {
  int status = -1;
  const std::string wav = dir.File("decoded.wav");
  Shell("ffmpeg -v error -y -i " + audio + " -ac 1 -ar 44100 -c:a pcm_s16le " + wav, &status);
  EXPECT_EQ(status, 0);
  WavInFile in(wav);
  std::vector<int16_t> s(in.SampleCount());
  s.resize(size_t(std::max(0, in.ReadSamples(s.data(), int(s.size())))));
  for (size_t i = 0; i < s.size(); ++i)
    if (std::abs(s[i]) > 1500) return double(i) / 44100;  // well above encoder noise, early in the attack
  return -1;
}

void ExpectSweepInStepWithAudio(Song& song, const ScopedTempFolder& dir, const std::string& out) {
  NullProgress progress;
  const ExportOutcome outcome = ExportSong(song, {ExportType::Mp3G, out, 128, false, LrcStyle::None, {}, {}},
                                           DefaultAudioExportServices(), progress);
  ASSERT_TRUE(outcome.Ok()) << outcome.detail;
  const KaraokeWord* first = song.Lyrics().Word(0);
  ASSERT_NE(first, nullptr);
  ASSERT_EQ(first->m_startTime, int(kFirstNoteSeconds * 44100));

  // The graphics: the first word's sweep starts at its start + lead-in + the sweep advance share.
  const int share = song.Look().Settings().sweepAdvance * 441 / 2;
  const long expected = (first->m_startTime + outcome.leadIn + share) / 147;
  const long slot = FirstSweptSlot(ReplaceExtension(out, ".cdg"));
  EXPECT_NEAR(slot, expected, 1) << "lead-in " << outcome.leadIn;

  // The audio: the first note sounds after the lead-in (an attack is a few ms).
  const double onset = AudioOnsetSeconds(out, dir);
  EXPECT_NEAR(onset, kFirstNoteSeconds + outcome.leadIn / 44100.0, 0.03);
}

// A BIN carries the song in step: its subcode is the stream, its audio the
// music after the lead-in; the first word's sweep starts at the word's time
// in that audio plus the sweep advance share.
void ExpectBinInStep(Song& song, const ScopedTempFolder& dir) {
  NullProgress progress;
  const std::string out = dir.File("song.bin");
  const ExportOutcome outcome =
      ExportSong(song, {ExportType::Bin, out, 128, false, LrcStyle::None, {}, {}}, {}, progress);
  ASSERT_TRUE(outcome.Ok()) << outcome.detail;
  const std::string bin = test::ReadFileBytes(out);
  ASSERT_EQ(bin.size() % kBinSectorSize, 0u);
  std::string audio, subcode;
  for (size_t at = 0; at < bin.size(); at += kBinSectorSize) {
    audio.append(bin, at, kBinAudioBytes);
    subcode.append(bin, at + kBinAudioBytes, kBinSectorSize - kBinAudioBytes);
  }
  ASSERT_GE(subcode.size(), size_t(outcome.endOffset));
  const std::string cdg = dir.File("subcode.cdg");
  test::WriteFileBytes(cdg, subcode);

  const long onset = OnsetFrame(reinterpret_cast<const uint8_t*>(audio.data()), audio.size());
  const long noteFrame = long(kFirstNoteSeconds * 44100) + outcome.leadIn;
  EXPECT_GE(onset, noteFrame);
  EXPECT_LT(onset, noteFrame + 441);  // within the 12 ms attack

  const KaraokeWord* first = song.Lyrics().Word(0);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->m_startTime, long(kFirstNoteSeconds * 44100));
  const int share = song.Look().Settings().sweepAdvance * 441 / 2;
  EXPECT_NEAR(FirstSweptSlot(cdg), (noteFrame + share) / 147, 1) << "lead-in " << outcome.leadIn;
}

}  // namespace

TEST_F(SongExportTest, BinKeepsTheSweepInStepWithTheMusic) {
  auto song = LoadSong(Music());
  ExpectBinInStep(*song, m_dir);
  EXPECT_EQ(m_sink->Count(), 0);
}

TEST_F(SongExportTest, BinKeepsTheSweepInStepBehindATitlePage) {
  auto song = LoadSong(Music());
  PageRecord* title = song->Look().PageByKind(101);
  ASSERT_NE(title, nullptr);
  title->m_enabled = 1;
  title->m_holdTime = 300;
  ExpectBinInStep(*song, m_dir);
}

TEST_F(SongExportTest, Mp3gKeepsTheSweepInStepWithTheMusic) {
  auto song = LoadSong(Music());
  ExpectSweepInStepWithAudio(*song, m_dir, m_dir.File("song.mp3"));
}

TEST_F(SongExportTest, Mp3gKeepsTheSweepInStepBehindATitlePage) {
  auto song = LoadSong(Music());
  PageRecord* title = song->Look().PageByKind(101);
  ASSERT_NE(title, nullptr);
  title->m_enabled = 1;
  ExpectSweepInStepWithAudio(*song, m_dir, m_dir.File("song.mp3"));
}

TEST_F(SongExportTest, BinIsRefusedForMusicThatIsNotCdAudio) {
  struct Case {
    int rate, channels;
    const char* text;
  };
  for (const Case& c : {Case{48000, 2, "BIN is not allowed because\nthe Audio Sample Rate is not 44,100.\n"},
                        Case{44100, 1, "BIN is not allowed because\nthe Audio is not Stereo (2 Channels).\n"}}) {
    const std::string wav = m_dir.File("other.wav");
    test::WriteFileBytes(wav, test::ToneWav(uint32_t(c.rate), 16, c.channels, uint32_t(c.rate)));
    auto song = LoadSong(wav);
    NullProgress progress;
    const std::string out = m_dir.File("refused.bin");
    const ExportOutcome outcome =
        ExportSong(*song, {ExportType::Bin, out, 128, false, LrcStyle::None, {}, {}}, {}, progress);
    EXPECT_EQ(outcome.reason, Reason::BadInput);
    EXPECT_EQ(outcome.text, c.text);
    EXPECT_EQ(outcome.caption, "BIN not allowed");
    EXPECT_FALSE(fs::exists(out));
  }
}

}  // namespace lf
