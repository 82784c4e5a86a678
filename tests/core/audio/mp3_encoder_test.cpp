#include "core/audio/mp3_encoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "core/platform/message_sink.h"
#include "core/platform/paths.h"
#include "core/platform/progress.h"
#include "core/platform/settings.h"
#include "tests/support/media_probe.h"
#include "tests/support/wav_fixture.h"

namespace lf {
namespace {

namespace fs = std::filesystem;
using test::ProbeFields;
using test::ReadFileBytes;
using test::WriteFileBytes;

// One MP3 frame at 44.1 kHz: the encoder works in whole frames, so lengths
// can only be compared to that precision.
constexpr double kMp3FrameSeconds = 1152.0 / 44100.0;

double Rms(const std::vector<int16_t>& pcm, std::size_t from, std::size_t to) {
  double sum = 0;
  to = std::min(to, pcm.size());
  if (from >= to) return 0;
  for (std::size_t i = from; i < to; ++i) sum += double(pcm[i]) * pcm[i];
  return std::sqrt(sum / double(to - from));
}

class Mp3EncoderTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SetMp3EncoderLibraryName("libmp3lame.so.0");
    SetAppSettings(std::make_unique<MemorySettings>());
  }
  RecordingMessageSink& Sink() { return m_recorder.Sink(); }
  std::string Put(const std::string& name, const std::string& bytes) {
    WriteFileBytes(m_dir.File(name), bytes);
    return m_dir.File(name);
  }
  // Only the files the test made itself: no temporary leftovers.
  std::vector<std::string> Listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_dir.Path())) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  ScopedTempFolder m_dir{"mp3-test"};
  ScopedMessageRecorder m_recorder;
};

TEST_F(Mp3EncoderTest, TagsAndLengthWithLeadInAndTail) {
  // Several lengths, so the last frame's padding falls short of and past the
  // encoder delay.
  struct Case {
    uint32_t music;
    int64_t leadIn;
    int64_t tail;
  };
  const Case cases[] = {
      {44100, 44100, 22050}, {50000, 1000, 700}, {30000, 0, 0}, {66150, 12345, 3000}, {46080, 0, 1152}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.music);
    const std::string wav = Put("tone.wav", test::ToneWav(44100, 16, 2, c.music, 1000.0));
    const std::string mp3 = m_dir.File("tone.mp3");
    std::string error;
    ASSERT_TRUE(EncodeWavToMp3(wav, mp3, 128, nullptr, "Night Tone", "The Testers", c.leadIn, 0, c.tail, &error))
        << error;
    const auto f = ProbeFields(mp3,
                               "format=duration,format_name:format_tags=title,artist:stream=codec_name,"
                               "sample_rate,channels,bit_rate");
    EXPECT_EQ(f.at("format_name"), "mp3");
    EXPECT_EQ(f.at("codec_name"), "mp3");
    EXPECT_EQ(f.at("sample_rate"), "44100");
    EXPECT_EQ(f.at("channels"), "2");
    EXPECT_EQ(f.at("bit_rate"), "128000");
    EXPECT_EQ(f.at("TAG:title"), "Night Tone");
    EXPECT_EQ(f.at("TAG:artist"), "The Testers");
    const double expected = double(c.leadIn + c.music + c.tail) / 44100.0;
    // The encoder adds at least a frame of delay and padding; with a frame
    // of silent tail to give back, the file keeps to one frame.
    const double tolerance = c.tail >= 1152 ? kMp3FrameSeconds : 2 * kMp3FrameSeconds;
    EXPECT_NEAR(std::stod(f.at("duration")), expected, tolerance);

    // A gapless decoder gets the audio back where it was put.
    const std::vector<int16_t> pcm = test::DecodeToPcm(mp3);
    const double decodedFrames = double(pcm.size()) / 2;
    EXPECT_NEAR(decodedFrames, double(c.leadIn + c.music + c.tail), 1152);
    const std::size_t lead = static_cast<std::size_t>(c.leadIn) * 2;
    if (c.leadIn > 2000) {
      EXPECT_LT(Rms(pcm, 0, lead - 2000), 30.0);  // silence
    }
    EXPECT_GT(Rms(pcm, lead + 2000, lead + 2 * c.music - 2000), 8000.0);  // the tone
  }
}

TEST_F(Mp3EncoderTest, MonoEightBitAndHeaderlessSources) {
  const std::string mono = Put("mono8.wav", test::ToneWav(22050, 8, 1, 33075, 500.0));
  std::string error;
  ASSERT_TRUE(EncodeWavToMp3(mono, m_dir.File("mono.mp3"), 64, nullptr, "", "", 22050, 0, 0, &error)) << error;
  auto f = ProbeFields(m_dir.File("mono.mp3"), "format=duration:stream=sample_rate,channels");
  EXPECT_EQ(f.at("sample_rate"), "22050");
  EXPECT_EQ(f.at("channels"), "2");
  EXPECT_NEAR(std::stod(f.at("duration")), 2.5, (1152.0 + 576.0) / 22050.0);  // no tail to give back
  std::vector<int16_t> pcm = test::DecodeToPcm(m_dir.File("mono.mp3"));
  ASSERT_GT(pcm.size(), 100000u);
  EXPECT_LT(Rms(pcm, 0, 40000), 30.0);  // the lead-in is silence, not a DC click
  for (std::size_t i = 50000; i < 50100; i += 2) EXPECT_NEAR(pcm[i], pcm[i + 1], 200);  // both channels alike

  // No RIFF header: the whole file is 44.1 kHz 16-bit stereo.
  const std::string raw = Put("tone.pcm", test::PcmBytes(test::SineSamples(44100, 2, 88200, 440.0), 16));
  ASSERT_TRUE(EncodeWavToMp3(raw, m_dir.File("raw.mp3"), 128, nullptr, "", "", 0, 0, 22050, &error)) << error;
  f = ProbeFields(m_dir.File("raw.mp3"), "format=duration:stream=sample_rate");
  EXPECT_EQ(f.at("sample_rate"), "44100");
  EXPECT_NEAR(std::stod(f.at("duration")), 2.5, kMp3FrameSeconds);
}

TEST_F(Mp3EncoderTest, NonLatinTitlesSurvive) {
  const std::string wav = Put("t.wav", test::ToneWav(44100, 16, 2, 11025));
  const std::string mp3 = m_dir.File("t.mp3");
  ASSERT_TRUE(EncodeWavToMp3(wav, mp3, 128, nullptr, "Caf\xC3\xA9 \xD0\x96", "K\xC3\xBCnstler", 0, 0, 0));
  const auto f = ProbeFields(mp3, "format_tags=title,artist");
  EXPECT_EQ(f.at("TAG:title"), "Caf\xC3\xA9 \xD0\x96");
  EXPECT_EQ(f.at("TAG:artist"), "K\xC3\xBCnstler");

  // Accented Latin text alone, with no other character to force a rich tag.
  ASSERT_TRUE(EncodeWavToMp3(wav, mp3, 128, nullptr, "Caf\xC3\xA9 Song", "Ren\xC3\xA9", 0, 0, 0));
  const auto latin = ProbeFields(mp3, "format_tags=title,artist");
  EXPECT_EQ(latin.at("TAG:title"), "Caf\xC3\xA9 Song");
  EXPECT_EQ(latin.at("TAG:artist"), "Ren\xC3\xA9");
}

TEST_F(Mp3EncoderTest, ProgressClimbsToOneHundred) {
  const std::string wav = Put("p.wav", test::ToneWav(44100, 16, 2, 441000));
  std::vector<int> seen;
  FunctionProgress progress([&](int p) { seen.push_back(p); });
  ASSERT_TRUE(EncodeWavToMp3(wav, m_dir.File("p.mp3"), 128, &progress, "", "", 44100, 0, 44100));
  ASSERT_GE(seen.size(), 10u);
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  EXPECT_EQ(std::adjacent_find(seen.begin(), seen.end()), seen.end());  // each value once
  EXPECT_GT(seen.front(), 0);
  EXPECT_EQ(seen.back(), 100);

  // Cancelling stops the work and leaves no file.
  FunctionProgress cancelling([](int) {}, [] { return true; });
  std::string error;
  EXPECT_FALSE(EncodeWavToMp3(wav, m_dir.File("c.mp3"), 128, &cancelling, "", "", 0, 0, 0, &error));
  EXPECT_NE(error.find("cancelled"), std::string::npos);
  EXPECT_FALSE(fs::exists(m_dir.File("c.mp3")));
}

TEST_F(Mp3EncoderTest, BadInputFailsCleanlyAndKeepsTheOldTarget) {
  std::string liar = test::ToneWav(44100, 16, 2, 4410);
  liar[42] = '\x7F';  // the data chunk claims far more than the file holds
  const std::string good = test::ToneWav(44100, 16, 2, 44100);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"text.wav", "Just some words, not audio.\n"},
      {"truncated.wav", good.substr(0, good.size() / 2)},
      {"header-only.wav", good.substr(0, 30)},
      {"liar.wav", liar},
      {"s24.wav", test::ToneWav(44100, 24, 2, 4410)},
      {"six.wav", test::ToneWav(44100, 16, 6, 4410)},
      {"empty.wav", ""},
      {"empty.pcm", ""},
      {"silent.wav", test::ToneWav(44100, 16, 2, 0)},
  };
  const std::string target = m_dir.File("out.mp3");
  WriteFileBytes(target, "an earlier export");
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    std::string error;
    EXPECT_FALSE(EncodeWavToMp3(Put(name, bytes), target, 128, nullptr, "t", "a", 100, 0, 100, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadFileBytes(target), "an earlier export");
  }
  std::string error;
  EXPECT_FALSE(EncodeWavToMp3(m_dir.File("missing.wav"), target, 128, nullptr, "", "", 0, 0, 0, &error));
  EXPECT_NE(error.find("missing.wav"), std::string::npos);
  EXPECT_FALSE(
      EncodeWavToMp3(Put("ok.wav", good), m_dir.File("no/folder/x.mp3"), 128, nullptr, "", "", 0, 0, 0, &error));
  EXPECT_EQ(Listing().size(), cases.size() + 2);  // the inputs and out.mp3, nothing half-written
  EXPECT_EQ(Sink().Count(), 0);                   // encoding never puts up a message
}

TEST_F(Mp3EncoderTest, LoadingTalksToTheUserOnlyWhenTheLibraryIsMissingOrIncomplete) {
  EXPECT_TRUE(LoadMp3Encoder());
  EXPECT_TRUE(IsMp3EncoderBound());
  EXPECT_EQ(Sink().Count(), 0);

  SetMp3EncoderLibraryName("libmp3lame-not-here.so.0");
  Sink().checkBoxAnswer = true;
  EXPECT_FALSE(LoadMp3Encoder());
  EXPECT_EQ(Sink().last.caption, "MP3 Encoder Not Found");
  EXPECT_EQ(Sink().LastText().rfind("We were unable to download the file: \"OrvandelGetLame.exe\".", 0), 0u);
  EXPECT_EQ(Sink().last.checkBox, "&Don't show me this again.");
  EXPECT_EQ(AppSettings().Int("Default", "HideMP3Message", 0), 1);
  EXPECT_FALSE(LoadMp3Encoder());  // asked not to be told again
  EXPECT_EQ(Sink().Count(), 1);
  std::string error;
  EXPECT_FALSE(EncodeWavToMp3(Put("a.wav", test::ToneWav(44100, 16, 2, 100)), m_dir.File("a.mp3"), 128, nullptr, "", "",
                              0, 0, 0, &error));
  EXPECT_FALSE(fs::exists(m_dir.File("a.mp3")));

  // A library without the encoder's functions.
  SetMp3EncoderLibraryName("libz.so.1");
  Sink().checkBoxAnswer = false;
  EXPECT_FALSE(LoadMp3Encoder());
  EXPECT_EQ(Sink().last.caption, "MP3 Support Not Found");
  EXPECT_EQ(Sink().last.icon, MessageIcon::Warning);
  EXPECT_EQ(AppSettings().Int("Default", "HideMP3VersionMessage", 1), 0);

  UnloadMp3Encoder();
  EXPECT_FALSE(BindMp3Encoder());
  EXPECT_EQ(Sink().LastText(), "Error: MP3 Support not initialized.");
  EXPECT_EQ(Sink().last.icon, MessageIcon::Error);
}

}  // namespace
}  // namespace lf
