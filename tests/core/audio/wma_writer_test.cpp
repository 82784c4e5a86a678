#include "core/audio/wma_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "core/platform/message_sink.h"
#include "core/platform/paths.h"
#include "core/platform/progress.h"
#include "tests/support/media_probe.h"
#include "tests/support/wav_fixture.h"

namespace lf {
namespace {

namespace fs = std::filesystem;
using test::ProbeFields;
using test::ReadFileBytes;
using test::WriteFileBytes;

class WmaWriterTest : public ::testing::Test {
 protected:
  void SetUp() override { WmaAttributes().clear(); }
  RecordingMessageSink& Sink() { return m_recorder.Sink(); }
  std::string Put(const std::string& name, const std::string& bytes) {
    WriteFileBytes(m_dir.File(name), bytes);
    return m_dir.File(name);
  }

  ScopedTempFolder m_dir{"wma-test"};
  ScopedMessageRecorder m_recorder;
};

TEST_F(WmaWriterTest, ProfilesGiveWmav2InAsfWithTitleAndAuthor) {
  const std::string wav = Put("tone.wav", test::ToneWav(44100, 16, 2, 44100, 1000.0));
  const int expectedKbps[] = {96, 128, 160, 192};
  for (int profile = 23; profile <= 26; ++profile) {
    SCOPED_TRACE(profile);
    AddWmaAttribute("Title", kWmaAttributeString, "Night Tone");
    AddWmaAttribute("Author", kWmaAttributeString, "The Testers");
    const std::string wma = m_dir.File("tone.wma");
    std::string error;
    ASSERT_EQ(EncodeWavToWma(wma, wav, profile, nullptr, 22050, 11025, &error), 0) << error;
    EXPECT_TRUE(WmaAttributes().empty());
    const auto f = ProbeFields(wma,
                               "format=format_name,duration:format_tags:stream=codec_name,sample_rate,"
                               "channels,bit_rate");
    EXPECT_EQ(f.at("format_name"), "asf");
    EXPECT_EQ(f.at("codec_name"), "wmav2");
    EXPECT_EQ(f.at("sample_rate"), "44100");
    EXPECT_EQ(f.at("channels"), "2");
    EXPECT_EQ(f.at("bit_rate"), std::to_string(expectedKbps[profile - 23] * 1000));
    EXPECT_EQ(f.at("TAG:title"), "Night Tone");
    // FFmpeg's ASF reader names the Author attribute "artist".
    EXPECT_EQ(f.count("TAG:artist") ? f.at("TAG:artist") : f.at("TAG:author"), "The Testers");
    // Whole encoder frames of 2,048 samples, and ASF keeps milliseconds.
    EXPECT_NEAR(std::stod(f.at("duration")), 1.75, 2 * 2048.0 / 44100);
  }
  std::string error;
  EXPECT_EQ(EncodeWavToWma(m_dir.File("x.wma"), wav, 22, nullptr, 0, 0, &error), 1);
  EXPECT_NE(error.find("22"), std::string::npos);
  EXPECT_FALSE(fs::exists(m_dir.File("x.wma")));
}

TEST_F(WmaWriterTest, SilenceSitsBeforeAndAfterTheMusic) {
  // 8-bit mono at 22,050 Hz: resampled to 44.1 kHz stereo, lead-in silent.
  const std::string wav = Put("u8.wav", test::ToneWav(22050, 8, 1, 22050, 500.0));
  ASSERT_EQ(EncodeWavToWma(m_dir.File("u8.wma"), wav, 24, nullptr, 22050, 22050), 0);
  const std::vector<int16_t> pcm = test::DecodeToPcm(m_dir.File("u8.wma"));
  ASSERT_GT(pcm.size(), 2u * 44100 * 2);
  auto rms = [&](std::size_t from, std::size_t to) {
    double sum = 0;
    for (std::size_t i = from; i < to; ++i) sum += double(pcm[i]) * pcm[i];
    return std::sqrt(sum / double(to - from));
  };
  EXPECT_LT(rms(0, 2 * 40000), 100.0);  // lead-in: one second of silence
  // The music starts where the lead-in ends, not a codec frame early.
  std::size_t onset = 0;
  while (onset < pcm.size() && std::abs(pcm[onset]) < 2000) ++onset;
  EXPECT_NEAR(double(onset / 2), 44100.0, 64.0);
  EXPECT_GT(rms(2 * 50000, 2 * 80000), 5000.0);                                     // the tone
  EXPECT_LT(rms(2 * 94000, std::min<std::size_t>(pcm.size(), 2 * 130000)), 100.0);  // tail
}

TEST_F(WmaWriterTest, ProgressInEvenStepsToOneHundred) {
  const std::string wav = Put("p.wav", test::ToneWav(44100, 16, 2, 44100 * 7 + 300));
  std::vector<int> seen;
  FunctionProgress progress([&](int p) { seen.push_back(p); });
  ASSERT_EQ(EncodeWavToWma(m_dir.File("p.wma"), wav, 24, &progress, 0, 0), 0);
  std::vector<int> expected;
  for (int p = 2; p <= 100; p += 2) expected.push_back(p);
  EXPECT_EQ(seen, expected);
}

TEST_F(WmaWriterTest, BadInputFailsCleanlyAndKeepsTheOldTarget) {
  std::string liar = test::ToneWav(44100, 16, 2, 4410);
  liar[42] = '\x7F';
  const std::string good = test::ToneWav(44100, 16, 2, 44100);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"text.wav", "Just some words.\n"},
      {"raw.pcm", test::PcmBytes(test::SineSamples(44100, 2, 4410, 440), 16)},
      {"truncated.wav", good.substr(0, good.size() / 3)},
      {"liar.wav", liar},
      {"s24.wav", test::ToneWav(44100, 24, 2, 4410)},
      {"six.wav", test::ToneWav(44100, 16, 6, 4410)},
      {"empty.wav", ""},
  };
  const std::string target = m_dir.File("out.wma");
  WriteFileBytes(target, "an earlier export");
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    AddWmaAttribute("Title", kWmaAttributeString, "stale");
    std::string error;
    EXPECT_EQ(EncodeWavToWma(target, Put(name, bytes), 24, nullptr, 100, 100, &error), 1);
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(WmaAttributes().empty());  // never carried into the next export
    EXPECT_EQ(ReadFileBytes(target), "an earlier export");
  }
  std::string error;
  EXPECT_EQ(EncodeWavToWma(target, m_dir.File("missing.wav"), 24, nullptr, 0, 0, &error), 1);
  EXPECT_NE(error.find("missing.wav"), std::string::npos) << error;
  EXPECT_EQ(Sink().Count(), 0);  // the failure is told by what the call returns, not shown besides
  EXPECT_EQ(std::distance(fs::directory_iterator(m_dir.Path()), fs::directory_iterator()),
            static_cast<long>(cases.size() + 1));
}

}  // namespace
}  // namespace lf
