// lyricforge-cli export --loudness: songs of very different levels come out
// equally loud by FFmpeg's own EBU R 128 meter, never over the true-peak
// ceiling, with their tags.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <map>
#include <regex>

#include "tests/support/cli_runner.h"
#include "tests/support/media_probe.h"
#include "tests/support/wav_fixture.h"

namespace lf {
namespace {

using test::RunCli;

constexpr int kRate = 44100;
constexpr int kSeconds = 8;
constexpr double kTarget = -14.0;

struct Meter {
  double lufs = 0, truePeak = 0;
};

// FFmpeg's ebur128 filter over the whole file (or raw CD audio).
Meter Measure(const std::string& path, const std::string& inputOptions = "") {
  int status = -1;
  const std::string out =
      test::RunCommand("ffmpeg -nostats -hide_banner " + inputOptions + " -i " + test::ShellQuote(path) +
                           " -filter_complex ebur128=peak=true -f null - 2>&1",
                       &status);
  EXPECT_EQ(status, 0) << out;
  std::smatch i, peak;
  const std::string summary = out.substr(std::min(out.size(), out.rfind("Summary:")));
  EXPECT_TRUE(std::regex_search(summary, i, std::regex(R"(I:\s+(-?[\d.]+) LUFS)"))) << out;
  EXPECT_TRUE(std::regex_search(summary, peak, std::regex(R"(True peak:\s+Peak:\s+(-?[\d.]+|-inf) dBFS)"))) << out;
  return {i.empty() ? 0 : std::stod(i[1]), peak.empty() ? 0 : std::stod(peak[1])};
}

// A chord of three tones at amplitude `a`, with `clicks` single-sample peaks of 0.95 full scale.
std::vector<int16_t> Chord(double a, int clicks) {
  std::vector<int16_t> s(size_t(kRate) * kSeconds * 2);
  for (size_t f = 0; f < s.size() / 2; ++f) {
    const double t = double(f) / kRate;
    const double v =
        a * (std::sin(2 * M_PI * 220 * t) + 0.6 * std::sin(2 * M_PI * 330 * t) + 0.4 * std::sin(2 * M_PI * 550 * t)) /
        2.0;
    s[2 * f] = s[2 * f + 1] = int16_t(std::lround(v * 32767));
  }
  for (int c = 0; c < clicks; ++c) s[size_t(kRate) * (1 + c) * 2] = s[size_t(kRate) * (1 + c) * 2 + 1] = 31129;
  return s;
}

// A source measuring `lufs`: the chord written, measured, and written again scaled onto the level.
void WriteSource(const std::string& path, double lufs, int clicks) {
  auto write = [&](double a) {
    test::WriteFileBytes(path, test::MakeRiffWave({{"fmt ", test::FmtBody(2, kRate, 16)},
                                                   {"data", test::PcmBytes(Chord(a, clicks), 16)}}));
  };
  write(0.1);
  write(0.1 * std::pow(10, (lufs - Measure(path).lufs) / 20));
  ASSERT_NEAR(Measure(path).lufs, lufs, 0.2);
}

// The audio of a BIN file: 2,352 of every 2,448 bytes.
std::string BinAudio(const std::string& bin) {
  const std::string bytes = test::ReadFileBytes(bin);
  std::string audio;
  for (size_t at = 0; at + 2448 <= bytes.size(); at += 2448) audio.append(bytes, at, 2352);
  return audio;
}

// The file's tags as ffprobe reads them, names in lower case.
std::map<std::string, std::string> Tags(const std::string& path) {
  std::map<std::string, std::string> tags;
  for (const auto& [key, value] : test::ProbeFields(path, "format_tags")) {
    std::string name = key.substr(key.find(':') + 1);
    for (char& ch : name) ch = char(std::tolower(static_cast<unsigned char>(ch)));
    tags[name] = value;
  }
  return tags;
}

TEST(LoudnessExport, SongsOfAnyLevelComeOutAtTheTargetUnderTheCeiling) {
  struct Case {
    double sourceLufs;
    int clicks;  // near-full-scale peaks that leave no room to raise the level
    const char* format;
    const char* extension;
  };
  const Case cases[] = {
      {-8, 0, "mp3g", "mp3"}, {-20, 0, "wmag", "wma"}, {-30, 0, "mp4", "mp4"}, {-20, 3, "bin", "bin"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    test::TempDir dir;
    WriteSource(dir.File("music.wav"), c.sourceLufs, c.clicks);
    test::WriteFileBytes(dir.File("words.lrc"), "[00:01.00]one two three\n[00:03.00]four five six\n");
    const std::string project = dir.File("song.lfp");
    ASSERT_EQ(
        RunCli({"new", "-o", project, "--music", dir.File("music.wav"), "--lyrics", dir.File("words.lrc")}).exitCode,
        0);
    ASSERT_EQ(RunCli({"set", project, "artist=The Testers", "title=Level Best"}).exitCode, 0);
    const std::string out = dir.File(std::string("out.") + c.extension);
    // 192 kbit/s: at 128 LAME itself takes half a LU off these tones (measured on the `lame` tool alone).
    std::vector<std::string> args{"export", project, "--format", c.format, "--loudness", "-14", "-o", out};
    if (std::string(c.format) == "mp3g") args.insert(args.end() - 2, {"--bitrate", "192"});
    const auto run = RunCli(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;

    if (c.clicks == 0) {
      const Meter m = Measure(out);
      EXPECT_NEAR(m.lufs, kTarget, 0.5);
      EXPECT_LE(m.truePeak, -1.0);
      const auto tags = Tags(out);
      EXPECT_EQ(tags.count("title") ? tags.at("title") : "", "Level Best");
      EXPECT_EQ(tags.count("artist")   ? tags.at("artist")
                : tags.count("author") ? tags.at("author")
                                       : "",
                "The Testers");
    } else {
      // Raising it 6 dB would push the clicks over the ceiling: the gain stops there instead.
      const std::string raw = dir.File("bin.raw");
      test::WriteFileBytes(raw, BinAudio(out));
      const Meter m = Measure(raw, "-f s16le -ar 44100 -ac 2");
      EXPECT_LE(m.truePeak, -1.0);
      EXPECT_GT(m.truePeak, -1.5);
      EXPECT_LT(m.lufs, kTarget - 4);
    }
  }
  EXPECT_EQ(RunCli({"export", "x.lfp", "--format", "mp3g", "--loudness", "-3", "-o", "x.mp3"}).exitCode, 2);
}

}  // namespace
}  // namespace lf
