#include "core/audio/wav_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>

#include "core/platform/paths.h"
#include "tests/support/wav_fixture.h"

namespace lf {
namespace {

using test::FmtBody;
using test::MakeRiffWave;
using test::PcmBytes;
using test::ReadFileBytes;
using test::RiffChunk;
using test::WriteFileBytes;

uint32_t Le32At(const std::string& bytes, std::size_t offset) {
  return ReadLe32(reinterpret_cast<const uint8_t*>(bytes.data() + offset));
}

class WavFileTest : public ::testing::Test {
 protected:
  std::string Put(const std::string& name, const std::string& bytes) {
    const std::string path = m_dir.File(name);
    WriteFileBytes(path, bytes);
    return path;
  }
  ScopedTempFolder m_dir{"wavfile-test"};
};

TEST_F(WavFileTest, WriterLaysOutTheFiftySixByteHeader) {
  const std::string path = m_dir.File("out.wav");
  std::vector<int16_t> samples(1000);
  for (int i = 0; i < 1000; ++i) samples[i] = static_cast<int16_t>(i * 37 - 18000);
  {
    WavOutFile out(path, 44100, 16, 2);
    ASSERT_TRUE(out.Good());
    out.WriteSamples(samples.data(), 600);
    out.WriteSamples(samples.data() + 600, 400);
    out.WriteSamples(samples.data(), 0);  // nothing
  }
  const std::string bytes = ReadFileBytes(path);
  ASSERT_EQ(bytes.size(), 2056u);
  EXPECT_EQ(bytes.substr(0, 4), "RIFF");
  EXPECT_EQ(Le32At(bytes, 4), 2048u);
  EXPECT_EQ(bytes.substr(36, 4), "fact");
  EXPECT_EQ(Le32At(bytes, 40), 4u);
  EXPECT_EQ(Le32At(bytes, 44), 500u);
  EXPECT_EQ(bytes.substr(48, 4), "data");
  EXPECT_EQ(Le32At(bytes, 52), 2000u);

  WavInFile in(path);
  ASSERT_TRUE(in.IsOpen()) << in.LastError();
  EXPECT_EQ(in.SampleRate(), 44100u);
  EXPECT_EQ(in.ChannelCount(), 2);
  EXPECT_EQ(in.BitsPerSample(), 16);
  EXPECT_EQ(in.SampleCount(), 500u);
  std::vector<int16_t> back(2000);
  EXPECT_EQ(in.ReadSamples(back.data(), 2000), 1000);  // stops at the end of the data
  back.resize(1000);
  EXPECT_EQ(back, samples);
  EXPECT_EQ(in.ReadSamples(back.data(), 10), 0);

  // An independent reader agrees on the format and the length.
  const std::string probe = test::RunCommand(
      "ffprobe -v error -show_entries stream=codec_name,channels,sample_rate,duration_ts -of compact=p=0:nk=1 '" +
      path + "'");
  EXPECT_EQ(probe, "pcm_s16le|44100|2|500\n");
}

TEST_F(WavFileTest, EightBitSamplesMapToSixteenBitSteps) {
  const std::string path =
      Put("u8.wav", MakeRiffWave({{"fmt ", FmtBody(1, 22050, 8)}, {"data", std::string("\x80\x00\xFF\x81\x7F", 5)}}));
  WavInFile in(path);
  ASSERT_TRUE(in.IsOpen());
  int16_t v[8] = {};
  EXPECT_EQ(in.ReadSamples(v, 8), 5);
  EXPECT_EQ(v[0], 0);
  EXPECT_EQ(v[1], -32768);
  EXPECT_EQ(v[2], 32512);
  EXPECT_EQ(v[3], 256);
  EXPECT_EQ(v[4], -256);

  // And back: the writer truncates toward zero before adding the offset.
  const std::string outPath = m_dir.File("u8-out.wav");
  {
    WavOutFile out(outPath, 22050, 8, 1);
    const int16_t values[] = {0, -32768, 32767, 255, -255, 256};
    out.WriteSamples(values, 6);
  }
  const std::string bytes = ReadFileBytes(outPath);
  ASSERT_EQ(bytes.size(), 56u + 6u);
  EXPECT_EQ(bytes.substr(56), std::string("\x80\x00\xFF\x80\x80\x81", 6));
}

TEST_F(WavFileTest, SkipsForeignChunksAndLongFormatChunks) {
  const std::string data = PcmBytes({1, 2, 3, 4}, 16);
  std::string fmt18 = FmtBody(2, 48000, 16) + std::string(2, '\0');
  std::string fmt40 = FmtBody(2, 48000, 16, 0xFFFE) + std::string(24, 'x');
  const std::vector<std::vector<RiffChunk>> layouts = {
      {{"fmt ", fmt18}, {"data", data}},
      {{"LIST", "INFOsome text"}, {"fmt ", fmt40}, {"fact", std::string("\x02\0\0\0", 4)}, {"data", data}},
      {{"fmt ", FmtBody(2, 48000, 16)}, {"junk", "odd", true}, {"data", data}},   // padded odd chunk
      {{"fmt ", FmtBody(2, 48000, 16)}, {"junk", "odd", false}, {"data", data}},  // writer forgot the pad
  };
  for (std::size_t i = 0; i < layouts.size(); ++i) {
    SCOPED_TRACE(i);
    WavInFile in(Put("chunks.wav", MakeRiffWave(layouts[i])));
    ASSERT_TRUE(in.IsOpen()) << in.LastError();
    EXPECT_EQ(in.SampleRate(), 48000u);
    EXPECT_EQ(in.DataBytes(), 8u);
    int16_t v[4] = {};
    ASSERT_EQ(in.ReadSamples(v, 4), 4);
    EXPECT_EQ(v[3], 4);
  }
  // The extensible format keeps its fact count.
  WavInFile ext(Put("ext.wav", MakeRiffWave(layouts[1])));
  EXPECT_EQ(ext.FormatTag(), 0xFFFE);
  EXPECT_EQ(ext.SampleCount(), 2u);
}

TEST_F(WavFileTest, RejectsWhatIsNotAWavFile) {
  const std::string good = test::ToneWav(44100, 16, 2, 100);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"empty", ""},
      {"text", "This is a text file and not audio at all.\n"},
      {"label above z", MakeRiffWave({{"fmt ", FmtBody(2, 44100, 16)}, {"{bad", "xx"}, {"data", "abcd"}})},
      {"label below space", MakeRiffWave({{"fmt ", FmtBody(2, 44100, 16)},
                                          {"\x1f"
                                           "bad",
                                           "xx"},
                                          {"data", "ab"}})},
      {"data before fmt", MakeRiffWave({{"data", "abcd"}, {"fmt ", FmtBody(2, 44100, 16)}})},
      {"no fmt", MakeRiffWave({{"data", "abcd"}})},
      {"empty fmt", MakeRiffWave({{"fmt ", ""}, {"data", "abcd"}})},
      {"chunk past the end", MakeRiffWave({{"fmt ", FmtBody(2, 44100, 16)}}) + "LIST\xff\xff\0\0abc"},
      {"RIFF but not WAVE", "RIFF\x04\0\0\0AVI LIST"},
  };
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    WavInFile in(Put("bad.wav", bytes));
    EXPECT_FALSE(in.IsOpen());
    EXPECT_EQ(in.LastError(), "Input file is corrupt or not a WAV file");
    int16_t v[4];
    EXPECT_EQ(in.ReadSamples(v, 4), 0);
  }
  // Every cut inside the headers is rejected, never read past.
  for (std::size_t cut = 0; cut < 44; ++cut) {
    SCOPED_TRACE(cut);
    WavInFile in(Put("cut.wav", good.substr(0, cut)));
    EXPECT_FALSE(in.IsOpen());
  }
}

TEST_F(WavFileTest, MissingFileLeavesAnEmptyFormat) {
  const std::string path = m_dir.File("nowhere.wav");
  WavInFile in(path);
  EXPECT_FALSE(in.IsOpen());
  EXPECT_EQ(in.LastError(), "Error : Unable to open file \"" + path + "\" for reading.");
  EXPECT_EQ(in.SampleRate(), 0u);
  EXPECT_EQ(in.SampleCount(), 0u);
  EXPECT_EQ(in.DurationMs(), 0u);

  WavOutFile out(m_dir.File("no/such/folder.wav"), 44100, 16, 2);
  EXPECT_FALSE(out.Good());
  EXPECT_NE(out.LastError().find("for writing."), std::string::npos);
  const int16_t v[2] = {1, 2};
  out.WriteSamples(v, 2);  // harmless
}

TEST_F(WavFileTest, DataLengthLongerThanTheFileYieldsOnlyWhatIsThere) {
  std::string bytes = MakeRiffWave({{"fmt ", FmtBody(2, 44100, 16)}, {"data", PcmBytes({7, 8, 9, 10}, 16)}});
  bytes[40] = '\x40';  // the data chunk claims 64 bytes but holds 8
  WavInFile in(Put("liar.wav", bytes));
  ASSERT_TRUE(in.IsOpen());
  EXPECT_EQ(in.DataBytes(), 64u);
  EXPECT_EQ(in.DataBytesInFile(), 8u);
  EXPECT_TRUE(in.IsDataTruncated());
  int16_t v[32] = {};
  EXPECT_EQ(in.ReadSamples(v, 32), 4);
  EXPECT_EQ(v[3], 10);
  EXPECT_EQ(in.ReadSamples(v, 32), 0);

  // An odd trailing byte never becomes half a sample.
  std::string odd = MakeRiffWave({{"fmt ", FmtBody(1, 44100, 16)}, {"data", std::string("\x01\x02\x03", 3)}});
  WavInFile oddIn(Put("odd.wav", odd));
  EXPECT_EQ(oddIn.ReadSamples(v, 32), 1);
  EXPECT_EQ(oddIn.ReadSamples(v, 32), 0);
}

// Seeking lands on a whole frame; a frame past the data held lands at its end.
TEST_F(WavFileTest, SeekToFrameReadsOnFromThatFrame) {
  std::vector<int16_t> ramp;  // stereo frames (i, -i)
  for (int16_t i = 0; i < 100; ++i) ramp.insert(ramp.end(), {i, static_cast<int16_t>(-i)});
  std::string claimsMore = MakeRiffWave({{"fmt ", FmtBody(2, 44100, 16)}, {"data", PcmBytes(ramp, 16)}});
  claimsMore[40] = '\x00';  // the data chunk claims 100 KiB more than the 400 bytes it holds
  claimsMore[42] = '\x01';
  std::vector<int16_t> monoRamp;  // 8-bit samples keep the high byte: steps of 256
  for (int i = 0; i < 100; ++i) monoRamp.push_back(static_cast<int16_t>(i * 256));
  const std::string eightBit = MakeRiffWave({{"fmt ", FmtBody(1, 8000, 8)}, {"data", PcmBytes(monoRamp, 8)}});
  struct Case {
    const char* name;
    std::string bytes;
    uint64_t frame;
    int expectedFirst;  // the sample then read, or -1 for none left
  };
  const Case cases[] = {
      {"start.wav", MakeRiffWave({{"fmt ", FmtBody(2, 44100, 16)}, {"data", PcmBytes(ramp, 16)}}), 0, 0},
      {"middle.wav", MakeRiffWave({{"fmt ", FmtBody(2, 44100, 16)}, {"data", PcmBytes(ramp, 16)}}), 37, 37},
      {"last.wav", MakeRiffWave({{"fmt ", FmtBody(2, 44100, 16)}, {"data", PcmBytes(ramp, 16)}}), 99, 99},
      {"past.wav", MakeRiffWave({{"fmt ", FmtBody(2, 44100, 16)}, {"data", PcmBytes(ramp, 16)}}), 500, -1},
      {"claims.wav", claimsMore, 60, 60},
      {"claimsPast.wav", claimsMore, 5000, -1},
      {"eight.wav", eightBit, 50, 50 * 256},
  };
  for (const Case& c : cases) {
    WavInFile in(Put(c.name, c.bytes));
    ASSERT_TRUE(in.IsOpen()) << c.name;
    ASSERT_TRUE(in.SeekToFrame(c.frame)) << c.name;
    int16_t v[2] = {};
    const int got = in.ReadSamples(v, 2);
    if (c.expectedFirst < 0) {
      EXPECT_EQ(got, 0) << c.name;
      continue;
    }
    ASSERT_GT(got, 0) << c.name;
    EXPECT_EQ(v[0], c.expectedFirst) << c.name;
    if (in.ChannelCount() == 2) {
      EXPECT_EQ(v[1], -c.expectedFirst) << c.name;
    }
  }
  EXPECT_FALSE(WavInFile(m_dir.File("none.wav")).SeekToFrame(0));
}

TEST_F(WavFileTest, WidthsAndChannelCounts) {
  // 24-bit opens (the format is the caller's business) but delivers nothing.
  WavInFile wide(Put("s24.wav", test::ToneWav(44100, 24, 2, 100)));
  ASSERT_TRUE(wide.IsOpen());
  EXPECT_EQ(wide.BitsPerSample(), 24);
  int16_t v[64];
  EXPECT_EQ(wide.ReadSamples(v, 64), 0);
  EXPECT_NE(wide.LastError().find("24 bit sample format"), std::string::npos);

  WavInFile six(Put("six.wav", test::ToneWav(48000, 16, 6, 480)));
  ASSERT_TRUE(six.IsOpen());
  EXPECT_EQ(six.ChannelCount(), 6);
  EXPECT_EQ(six.SampleCount(), 480u);
  EXPECT_EQ(six.DurationMs(), 10u);

  WavInFile second(Put("sec.wav", test::ToneWav(44100, 16, 2, 44100)));
  EXPECT_EQ(second.DataBytes(), 176400u);
  EXPECT_EQ(second.DurationMs(), 1000u);
}

TEST_F(WavFileTest, DamagedHeadersNeverLeadPastTheFile) {
  const std::string good = MakeRiffWave({{"LIST", "INFOabc"},
                                         {"fmt ", FmtBody(2, 44100, 16) + std::string(2, '\0')},
                                         {"fact", std::string("\x10\0\0\0", 4)},
                                         {"data", PcmBytes(test::SineSamples(44100, 2, 64, 440), 16)}});
  std::mt19937 rng(1234);  // fixed, so a failure repeats
  for (int round = 0; round < 200; ++round) {
    std::string bytes = good;
    const int flips = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < flips; ++i) bytes[rng() % 90] = static_cast<char>(rng());
    if (rng() % 3 == 0) bytes.resize(rng() % bytes.size());
    const std::string path = Put("fuzz.wav", bytes);
    WavInFile in(path);
    if (!in.IsOpen()) continue;
    EXPECT_LE(in.DataOffset() + in.DataBytesInFile(), bytes.size());
    std::size_t total = 0;
    int16_t buffer[37];
    for (int got; (got = in.ReadSamples(buffer, 37)) > 0;) total += static_cast<std::size_t>(got);
    const std::size_t width = in.BitsPerSample() == 8 ? 1 : 2;
    EXPECT_LE(total * width, in.DataBytesInFile()) << "round " << round;
  }
}

TEST_F(WavFileTest, CanonicalHeaderIsPatchedWithTheRealSizes) {
  const std::string path = m_dir.File("canon.wav");
  std::FILE* f = std::fopen(path.c_str(), "w+b");
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(WriteCanonicalWavHeader(f, 44100, 16, 2));
  const std::string silence(10000, '\0');
  ASSERT_EQ(std::fwrite(silence.data(), 1, silence.size(), f), silence.size());
  std::fflush(f);
  std::string bytes = ReadFileBytes(path);
  EXPECT_EQ(Le32At(bytes, 40), 5292000u);  // thirty seconds, until patched
  EXPECT_EQ(Le32At(bytes, 4), 5292036u);
  ASSERT_TRUE(PatchWavSizes(f, 10000));
  std::fclose(f);

  bytes = ReadFileBytes(path);
  ASSERT_EQ(bytes.size(), 10044u);
  EXPECT_EQ(Le32At(bytes, 4), 10036u);
  EXPECT_EQ(Le32At(bytes, 40), 10000u);
  EXPECT_EQ(Le32At(bytes, 28), 176400u);  // byte rate
  WavInFile in(path);
  ASSERT_TRUE(in.IsOpen());
  EXPECT_EQ(in.DataBytes(), 10000u);
  EXPECT_FALSE(in.IsDataTruncated());
}

}  // namespace
}  // namespace lf
