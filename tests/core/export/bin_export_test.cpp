#include "core/export/bin_export.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "core/audio/wav_file.h"
#include "core/platform/message_sink.h"
#include "core/platform/paths.h"

namespace lf {
namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// A stereo 16-bit WAV whose samples count up, so any slip shows.
std::vector<int16_t> WriteRampWav(const std::string& path, int frames, int rate = 44100, int channels = 2,
                                  int bits = 16) {
  std::vector<int16_t> samples(size_t(frames) * size_t(channels));
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = int16_t(i * 37 + 1);
  WavOutFile out(path, uint32_t(rate), bits, channels);
  out.WriteSamples(samples.data(), int(samples.size()));
  return samples;
}

std::vector<uint8_t> MakeStream(int bytes) {
  std::vector<uint8_t> s(static_cast<size_t>(bytes));
  for (int i = 0; i < bytes; ++i) s[size_t(i)] = uint8_t(i % 24 == 0 ? 9 : (i / 24) % 200 + 1);
  return s;
}

class BinExportTest : public ::testing::Test {
 protected:
  ScopedTempFolder m_dir{"bin-export-test"};
  ScopedMessageRecorder m_recorder;
  RecordingMessageSink* m_sink = &m_recorder.Sink();
};

TEST_F(BinExportTest, SectorsCarryLeadInMusicAndTheWholeStream) {
  const std::string wav = m_dir.File("music.wav");
  const int frames = 44100 + 1234;  // not a whole number of sectors
  auto samples = WriteRampWav(wav, frames);
  const int leadIn = 9996;
  auto stream = MakeStream(200 * 1000);
  const int endOffset = 150 * 1000 + 24 * 7;  // the credits run past the music

  BinExportJob job{m_dir.File("song.bin"), wav, stream.data(), int(stream.size()), endOffset, leadIn};
  std::vector<int> percents;
  FunctionProgress progress([&](int p) { percents.push_back(p); });
  ASSERT_TRUE(ExportBin(job, progress).Ok());
  EXPECT_EQ(m_sink->Count(), 0);
  ASSERT_FALSE(percents.empty());
  EXPECT_EQ(percents.back(), 100);
  EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));

  auto bin = ReadAll(job.outputPath);
  ASSERT_EQ(bin.size() % kBinSectorSize, 0u);
  const size_t sectors = bin.size() / kBinSectorSize;
  std::vector<uint8_t> audio, sub;
  for (size_t i = 0; i < sectors; ++i) {
    const uint8_t* s = bin.data() + i * kBinSectorSize;
    audio.insert(audio.end(), s, s + kBinAudioBytes);
    sub.insert(sub.end(), s + kBinAudioBytes, s + kBinSectorSize);
  }
  // Subcode read back in order is the packet stream, at least up to its end offset.
  ASSERT_GE(sub.size(), size_t(endOffset));
  EXPECT_TRUE(std::equal(sub.begin(), sub.begin() + endOffset, stream.begin()));
  // Audio: the lead-in of silence, then the WAV's samples byte for byte, then silence.
  const size_t leadBytes = size_t(leadIn) * 4;
  ASSERT_GE(audio.size(), leadBytes + samples.size() * 2);
  for (size_t i = 0; i < leadBytes; ++i) ASSERT_EQ(audio[i], 0) << i;
  EXPECT_EQ(0, std::memcmp(audio.data() + leadBytes, samples.data(), samples.size() * 2));
  for (size_t i = leadBytes + samples.size() * 2; i < audio.size(); ++i) ASSERT_EQ(audio[i], 0) << i;
  // The credits tail ends with the stream: less than one block of 13 sectors over.
  EXPECT_LT(sub.size(), size_t(endOffset) + kBinBlockSubcodeBytes + 96);
  // No temporary file is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.Path()), {}), 2);
}

TEST_F(BinExportTest, CancelDeletesThePartialFileAndKeepsAnOldOne) {
  const std::string wav = m_dir.File("music.wav");
  WriteRampWav(wav, 44100 * 3);
  auto stream = MakeStream(100000);
  const std::string out = m_dir.File("song.bin");
  {
    std::ofstream old(out);
    old << "old";
  }
  std::string caption;
  int reports = 0;
  struct CancelAfterTwo : ProgressSink {
    int* reports;
    std::string* caption;
    void Report(int) override { ++*reports; }
    bool CancelRequested() const override { return *reports >= 2; }
    void SetCaption(const std::string& c) override { *caption = c; }
  } progress;
  progress.reports = &reports;
  progress.caption = &caption;
  BinExportJob job{out, wav, stream.data(), int(stream.size()), 100000, 0};
  EXPECT_EQ(ExportBin(job, progress).reason, Reason::Cancelled);
  EXPECT_EQ(caption, "Process canceled by user...");
  EXPECT_EQ(ReadAll(out).size(), 3u);  // the old file is untouched
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.Path()), {}), 2);
}

TEST_F(BinExportTest, MusicThatCannotBeReadToItsEndFailsAndKeepsTheOldFile) {
  const std::string wav = m_dir.File("music.wav");
  WriteRampWav(wav, 44100 * 3);
  auto stream = MakeStream(100000);
  const std::string out = m_dir.File("song.bin");
  {
    std::ofstream old(out);
    old << "old";
  }
  // The music shrinks to its header once the export has begun reading it.
  FunctionProgress progress([&](int) { std::filesystem::resize_file(wav, 44); });
  BinExportJob job{out, wav, stream.data(), int(stream.size()), 100000, 0};
  const auto outcome = ExportBin(job, progress);
  EXPECT_EQ(outcome.reason, Reason::Failed);
  EXPECT_EQ(outcome.text, "Unable to create BIN file.");
  EXPECT_NE(outcome.detail.find("cannot read"), std::string::npos) << outcome.detail;
  EXPECT_EQ(ReadAll(out).size(), 3u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.Path()), {}), 2);
}

TEST_F(BinExportTest, UnwritableOrMissingFolderIsReportedAndWritesNothing) {
  const std::string wav = m_dir.File("music.wav");
  WriteRampWav(wav, 1000);
  auto stream = MakeStream(4800);
  NullProgress progress;
  BinExportJob job{m_dir.File("no/such/folder/song.bin"), wav, stream.data(), 4800, 4800, 0};
  auto outcome = ExportBin(job, progress);
  EXPECT_EQ(outcome.reason, Reason::WriteFailed);
  EXPECT_NE(outcome.detail.find("does not exist"), std::string::npos);
  EXPECT_EQ(outcome.text, "Unable to create BIN file.");
  EXPECT_EQ(outcome.caption, "Error");
  EXPECT_EQ(m_sink->Count(), 0) << "showing it is the front end's part";

  if (geteuid() != 0) {  // root writes anywhere
    const std::string ro = m_dir.File("ro");
    std::filesystem::create_directory(ro);
    chmod(ro.c_str(), 0555);
    job.outputPath = ro + "/song.bin";
    EXPECT_EQ(ExportBin(job, progress).reason, Reason::WriteFailed);
    EXPECT_FALSE(std::filesystem::exists(job.outputPath));
  }
}

TEST_F(BinExportTest, MusicThatIsNotCdAudioIsRefused) {
  NullProgress progress;
  auto stream = MakeStream(4800);
  for (auto [rate, channels, bits] : {std::tuple{48000, 2, 16}, std::tuple{44100, 1, 16}}) {
    const std::string wav = m_dir.File("music.wav");
    WriteRampWav(wav, 1000, rate, channels, bits);
    BinExportJob job{m_dir.File("song.bin"), wav, stream.data(), 4800, 4800, 0};
    auto outcome = ExportBin(job, progress);
    EXPECT_EQ(outcome.reason, Reason::BadInput);
    EXPECT_EQ(outcome.detail, BinNotAllowedText(rate, channels, bits));
    EXPECT_FALSE(std::filesystem::exists(job.outputPath));
  }
}

}  // namespace
}  // namespace lf
