#include "core/export/audio_export.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/export/cdg_file.h"
#include "core/platform/message_sink.h"
#include "core/platform/paths.h"

namespace lf {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> FolderNames(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// An encoder double that records its request and writes a recognisable file,
// and a duration probe that answers a fixed playing time.
struct FakeAudio {
  AudioExportServices Services() {
    return {[this](const EncodeRequest& r, ProgressSink& p, std::string&) {
              last = r;
              p.Report(100);
              if (!succeed) return false;
              std::ofstream(r.target) << "audio:" << r.title;
              return true;
            },
            [this](const std::string&) { return durationMs; }};
  }
  EncodeRequest last;
  bool succeed = true;
  int64_t durationMs = 1000;
};

class AudioExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < int(m_stream.size()); ++i) m_stream[size_t(i)] = uint8_t(i % 253 + 1);
    m_job.type = ExportType::Mp3G;
    m_job.outputPath = m_dir.File("song.mp3");
    m_job.workingWavPath = m_dir.File("work.wav");
    m_job.musicPath = m_dir.File("music.mp3");
    m_job.title = "Title";
    m_job.artist = "Artist";
    m_job.leadIn = 9996;
    m_job.tail = 441;
    m_job.stream = m_stream.data();
    m_job.streamSize = int(m_stream.size());
    std::ofstream(m_job.musicPath) << "the user's music";
  }

  ScopedTempFolder m_dir{"audio-export-test"};
  std::vector<uint8_t> m_stream = std::vector<uint8_t>(20000);
  AudioExportJob m_job;
  FakeAudio m_audio;
  ScopedMessageRecorder m_recorder;
  RecordingMessageSink* m_sink = &m_recorder.Sink();
};

TEST(CdgFileTest, TheStreamIsCutToTheAudio) {
  EXPECT_EQ(CdgBytesToWrite(20000, 1000), 7200);
  EXPECT_EQ(CdgBytesToWrite(20000, 0), 20000);      // unknown duration: everything
  EXPECT_EQ(CdgBytesToWrite(20000, 60000), 20000);  // never more than the stream
  EXPECT_EQ(CdgBytesToWrite(1000000, 1001), 7200);  // 7.2 bytes a millisecond, down to whole packets
  EXPECT_EQ(CdgBytesToWrite(1000000, 1004), 7224);
  EXPECT_EQ(CdgBytesToWrite(1000000, 1003), 7200);
}

TEST_F(AudioExportTest, WritesAudioAndCdgBesideIt) {
  NullProgress progress;
  ASSERT_TRUE(ExportAudio(m_job, m_audio.Services(), progress).Ok());
  EXPECT_EQ(m_audio.last.leadIn, 9996);
  EXPECT_EQ(m_audio.last.tail, 441);
  EXPECT_EQ(m_audio.last.artist, "Artist");
  EXPECT_EQ(ReadText(m_dir.File("song.mp3")), "audio:Title");
  const std::string cdg = ReadText(m_dir.File("song.cdg"));
  ASSERT_EQ(cdg.size(), 7200u);
  EXPECT_EQ(0, std::memcmp(cdg.data(), m_stream.data(), cdg.size()));
  EXPECT_EQ(FolderNames(m_dir.Path()), (std::vector<std::string>{"music.mp3", "song.cdg", "song.mp3"}));
  EXPECT_EQ(m_sink->Count(), 0);
}

TEST_F(AudioExportTest, ZipHoldsBothFilesByTheirBaseNamesAndNoLooseFilesStay) {
  m_job.type = ExportType::WmaG;
  m_job.zip = true;
  m_job.outputPath = m_dir.File("pack.zip");
  NullProgress progress;
  ASSERT_TRUE(ExportAudio(m_job, m_audio.Services(), progress).Ok());
  EXPECT_EQ(FolderNames(m_dir.Path()), (std::vector<std::string>{"music.mp3", "pack.zip"}));

  int err = 0;
  zip_t* z = zip_open(m_job.outputPath.c_str(), ZIP_RDONLY, &err);
  ASSERT_NE(z, nullptr);
  ASSERT_EQ(zip_get_num_entries(z, 0), 2);
  zip_stat_t st;
  ASSERT_EQ(zip_stat(z, "pack.wma", 0, &st), 0);
  EXPECT_EQ(st.size, std::string("audio:Title").size());
  ASSERT_EQ(zip_stat(z, "pack.cdg", 0, &st), 0);
  ASSERT_EQ(st.size, 7200u);
  std::vector<uint8_t> cdg(7200);
  zip_file_t* f = zip_fopen(z, "pack.cdg", 0);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(zip_fread(f, cdg.data(), cdg.size()), 7200);
  zip_fclose(f);
  zip_close(z);
  EXPECT_TRUE(std::equal(cdg.begin(), cdg.end(), m_stream.begin()));
}

TEST_F(AudioExportTest, FailuresAreReportedAndLeaveNothing) {
  NullProgress progress;
  m_audio.succeed = false;
  auto outcome = ExportAudio(m_job, m_audio.Services(), progress);
  EXPECT_EQ(outcome.reason, Reason::WriteFailed);
  EXPECT_EQ(outcome.text, "Unable to create MP3 file.");
  EXPECT_EQ(m_sink->Count(), 0) << "showing it is the front end's part";
  EXPECT_EQ(FolderNames(m_dir.Path()), (std::vector<std::string>{"music.mp3"}));

  m_audio.succeed = true;
  m_job.outputPath = m_dir.File("missing/song.mp3");
  outcome = ExportAudio(m_job, m_audio.Services(), progress);
  EXPECT_EQ(outcome.reason, Reason::WriteFailed);
  EXPECT_NE(outcome.detail.find("does not exist"), std::string::npos);
  EXPECT_FALSE(fs::exists(m_dir.File("missing")));
}

TEST_F(AudioExportTest, NeverOverwritesTheProjectsMusic) {
  NullProgress progress;
  m_job.outputPath = m_job.musicPath;
  EXPECT_EQ(ExportAudio(m_job, m_audio.Services(), progress).reason, Reason::WriteFailed);
  EXPECT_EQ(ReadText(m_job.musicPath), "the user's music");
  // Nor through the .cdg beside it.
  m_job.musicPath = m_dir.File("song.cdg");
  std::ofstream(m_job.musicPath) << "music named .cdg";
  m_job.outputPath = m_dir.File("song.mp3");
  EXPECT_EQ(ExportAudio(m_job, m_audio.Services(), progress).reason, Reason::WriteFailed);
  EXPECT_EQ(ReadText(m_job.musicPath), "music named .cdg");
  EXPECT_FALSE(fs::exists(m_dir.File("song.mp3")));
}

}  // namespace
}  // namespace lf
