// lyricforge-cli export as a black box, checked with FFmpeg's own tools.
#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <regex>

#include "core/platform/paths.h"
#include "tests/support/wav_fixture.h"

namespace lf {
namespace {

namespace fs = std::filesystem;
const std::string kCli = LYRICFORGE_CLI_PATH;

std::string Shell(const std::string& command, int* status) { return test::RunCommand(command + " 2>&1", status); }

class ExportCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    int status = -1;
    Shell(kCli + " synth-demo -o " + m_dir.File("music.wav") + " --lrc " + m_dir.File("lyrics.lrc"), &status);
    ASSERT_EQ(status, 0);
    MakeProject(m_dir.File("music.wav"));
  }
  void MakeProject(const std::string& music) {
    int status = -1;
    Shell(kCli + " new --force -o " + Project() + " --music " + music + " --lyrics " + m_dir.File("lyrics.lrc"),
          &status);
    ASSERT_EQ(status, 0);
    Shell(kCli + " set " + Project() + " artist=Traditional 'title=Twinkle, Twinkle, Little Star'", &status);
    ASSERT_EQ(status, 0);
  }
  std::string Project() const { return m_dir.File("song.lfp"); }
  std::string Export(const std::string& options, int* status) {
    return Shell(kCli + " export " + Project() + " " + options, status);
  }

  ScopedTempFolder m_dir{"export-cli-test"};
};

TEST_F(ExportCliTest, Mp3gPlaysInFfmpegWithItsTags) {
  int status = -1;
  const std::string mp3 = m_dir.File("out.mp3");
  std::string output = Export("--format mp3g --bitrate 192 --lrc simple -o " + mp3, &status);
  ASSERT_EQ(status, 0) << output;

  const std::string tags = Shell(
      "ffprobe -v error -show_entries format_tags=title,artist:stream=codec_name,bit_rate,sample_rate "
      "-of default=nw=1 " +
          mp3,
      &status);
  ASSERT_EQ(status, 0) << tags;
  EXPECT_NE(tags.find("TAG:title=Twinkle, Twinkle, Little Star"), std::string::npos) << tags;
  EXPECT_NE(tags.find("TAG:artist=Traditional"), std::string::npos) << tags;
  EXPECT_NE(tags.find("codec_name=mp3"), std::string::npos) << tags;
  EXPECT_NE(tags.find("bit_rate=192000"), std::string::npos) << tags;

  // The graphics: exactly the audio's length at 7,200 bytes a second,
  // decoded by FFmpeg's CD+G decoder.
  const std::string cdg = m_dir.File("out.cdg");
  const auto cdgBytes = fs::file_size(cdg);
  const std::string durationMs = Shell(kCli + " duration " + mp3, &status);
  ASSERT_EQ(status, 0) << durationMs;
  EXPECT_EQ(cdgBytes, std::stoull(durationMs) * 7200 / 1000 / 24 * 24);  // whole packets only
  const double seconds = std::stod(Shell("ffprobe -v error -show_entries format=duration -of csv=p=0 " + mp3, &status));
  EXPECT_LE(double(cdgBytes), seconds * 7200 + 24 * 20);  // the probe and our cut differ by a few packets at most
  EXPECT_GE(double(cdgBytes), seconds * 7200 - 24 * 20);
  output = Shell("ffmpeg -v error -f cdg -i " + cdg + " -f null -", &status);
  EXPECT_EQ(status, 0) << output;
  const std::string frames =
      Shell("ffprobe -v error -f cdg -count_frames -show_entries stream=nb_read_frames -of csv=p=0 " + cdg, &status);
  EXPECT_GT(std::stol(frames), 100);

  const std::string lrc = test::ReadFileBytes(m_dir.File("out.lrc"));
  // On the exported audio's timeline: the first line at 2 s of music after a 9,996-frame lead-in
  // (2.2267 s, to the nearest hundredth).
  EXPECT_NE(lrc.find("[00:02.23]Twinkle, twinkle, little star,\n"), std::string::npos) << lrc;
  EXPECT_EQ(lrc.find("[offset:"), std::string::npos) << lrc;
}

// Without --bitrate, the rate last chosen in the export dialog applies.
TEST_F(ExportCliTest, StoredBitRateIsTheDefault) {
  fs::create_directories(m_dir.File("config/Orvandel"));
  test::WriteFileBytes(m_dir.File("config/Orvandel/Lyricforge.conf"), "[Settings]\nExportRatioMP3=160\n");
  int status = -1;
  const std::string mp3 = m_dir.File("stored.mp3");
  std::string output = Shell(
      "XDG_CONFIG_HOME=" + m_dir.File("config") + " " + kCli + " export " + Project() + " --format mp3g -o " + mp3,
      &status);
  ASSERT_EQ(status, 0) << output;
  const std::string probe = Shell("ffprobe -v error -show_entries stream=bit_rate -of default=nw=1 " + mp3, &status);
  EXPECT_NE(probe.find("bit_rate=160000"), std::string::npos) << probe;
}

TEST_F(ExportCliTest, WmagZipHoldsBothFiles) {
  int status = -1;
  const std::string zipPath = m_dir.File("pack.zip");
  const std::string output = Export("--format wmag --bitrate 96 --zip --lrc enhanced -o " + zipPath, &status);
  ASSERT_EQ(status, 0) << output;
  EXPECT_FALSE(fs::exists(m_dir.File("pack.wma")));
  EXPECT_FALSE(fs::exists(m_dir.File("pack.cdg")));

  int err = 0;
  zip_t* z = zip_open(zipPath.c_str(), ZIP_RDONLY, &err);
  ASSERT_NE(z, nullptr);
  EXPECT_EQ(zip_get_num_entries(z, 0), 3);
  zip_stat_t st;
  ASSERT_EQ(zip_stat(z, "pack.wma", 0, &st), 0);
  const std::string wma = m_dir.File("unpacked.wma");
  {
    std::string bytes(st.size, '\0');
    zip_file_t* f = zip_fopen(z, "pack.wma", 0);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(zip_fread(f, bytes.data(), bytes.size()), zip_int64_t(bytes.size()));
    zip_fclose(f);
    test::WriteFileBytes(wma, bytes);
  }
  EXPECT_EQ(zip_stat(z, "pack.cdg", 0, &st), 0);
  EXPECT_GT(st.size, 7200u);
  EXPECT_EQ(zip_stat(z, "pack.lrc", 0, &st), 0);
  zip_close(z);

  const std::string probe =
      Shell("ffprobe -v error -show_entries format_tags=title,artist,author:stream=codec_name -of default=nw=1 " + wma,
            &status);
  EXPECT_NE(probe.find("codec_name=wmav2"), std::string::npos) << probe;
  EXPECT_NE(probe.find("Twinkle, Twinkle, Little Star"), std::string::npos) << probe;
}

// "start":N,"end":M of every word that `lines --json` lists.
std::vector<std::pair<long, long>> WordTimes(const std::string& json) {
  std::vector<std::pair<long, long>> times;
  const std::regex word("\"start\":(\\d+),\"end\":(\\d+),\"flags\"");  // lines carry no flags
  for (auto it = std::sregex_iterator(json.begin(), json.end(), word); it != std::sregex_iterator(); ++it)
    times.emplace_back(std::stol((*it)[1]), std::stol((*it)[2]));
  return times;
}

// The lead-in (silent frames before the music) that compiling `project` gives.
long LeadIn(const std::string& project, const std::string& cdg) {
  int status = -1;
  const std::string json = Shell(kCli + " compile " + project + " -o " + cdg + " --json", &status);
  std::smatch m;
  EXPECT_TRUE(std::regex_search(json, m, std::regex("\"leadIn\":(\\d+)"))) << json;
  return m.empty() ? -1 : std::stol(m[1]);
}

// A project imported from the enhanced LRC an export wrote has the same word
// times as the exported project, on the exported audio's timeline (later by
// the lead-in), to the millisecond.
TEST_F(ExportCliTest, EnhancedLrcImportsBackWithTheSameTimes) {
  int status = -1;
  const std::string output = Export("--format mp3g --lrc enhanced -o " + m_dir.File("out.mp3"), &status);
  ASSERT_EQ(status, 0) << output;
  Shell(kCli + " new -o " + m_dir.File("back.lfp") + " --lyrics " + m_dir.File("out.lrc"), &status);
  ASSERT_EQ(status, 0);
  const long leadIn = LeadIn(Project(), m_dir.File("check.cdg"));
  const auto original = WordTimes(Shell(kCli + " lines --json " + Project(), &status));
  const auto back = WordTimes(Shell(kCli + " lines --json " + m_dir.File("back.lfp"), &status));
  ASSERT_EQ(original.size(), 32u);
  ASSERT_EQ(back.size(), original.size());
  for (size_t i = 0; i < back.size(); ++i) {
    EXPECT_NEAR(back[i].first, original[i].first + leadIn, 44) << "word " << i;  // 44.1 frames a millisecond
    EXPECT_NEAR(back[i].second, original[i].second + leadIn, 44) << "word " << i;
  }
}

// Export MP3+G with LRC, make a new project of the exported MP3 and LRC and
// export that: every word sweeps within one packet of where it swept on the
// first export's audio. The second stream runs on the first export's audio
// with its own lead-in before it.
TEST_F(ExportCliTest, ExportedMp3AndLrcMakeTheSameSongAgain) {
  int status = -1;
  std::string output = Export("--format mp3g --lrc enhanced -o " + m_dir.File("first.mp3"), &status);
  ASSERT_EQ(status, 0) << output;
  const std::string again = m_dir.File("again.lfp");
  output =
      Shell(kCli + " new -o " + again + " --music " + m_dir.File("first.mp3") + " --lyrics " + m_dir.File("first.lrc"),
            &status);
  ASSERT_EQ(status, 0) << output;
  output = Shell(kCli + " export " + again + " --format mp3g --lrc enhanced -o " + m_dir.File("second.mp3"), &status);
  ASSERT_EQ(status, 0) << output;

  const long firstLeadIn = LeadIn(Project(), m_dir.File("a.cdg"));
  const long secondLeadIn = LeadIn(again, m_dir.File("b.cdg"));
  const auto first = WordTimes(Shell(kCli + " lines --json " + Project(), &status));
  const auto second = WordTimes(Shell(kCli + " lines --json " + again, &status));
  ASSERT_EQ(first.size(), 32u);
  ASSERT_EQ(second.size(), first.size());
  for (size_t i = 0; i < first.size(); ++i) {
    // Packet slots of each word's sweep, measured on the first export's audio.
    const double firstSlot = double(first[i].first + firstLeadIn) / 147;
    const double secondSlot = double(second[i].first + secondLeadIn) / 147 - double(secondLeadIn) / 147;
    EXPECT_NEAR(secondSlot, firstSlot, 1.0) << "word " << i;
  }
}

TEST_F(ExportCliTest, BinIsRefusedForMusicThatIsNotCdAudio) {
  test::WriteFileBytes(m_dir.File("48k.wav"), test::ToneWav(48000, 16, 2, 48000));
  MakeProject(m_dir.File("48k.wav"));
  int status = -1;
  const std::string out = m_dir.File("song.bin");
  std::string output = Export("--format bin -o " + out, &status);
  EXPECT_NE(status, 0);
  EXPECT_NE(output.find("BIN is not allowed because"), std::string::npos) << output;
  EXPECT_NE(output.find("the Audio Sample Rate is not 44,100"), std::string::npos) << output;
  EXPECT_FALSE(fs::exists(out));

  test::WriteFileBytes(m_dir.File("mono.wav"), test::ToneWav(44100, 16, 1, 44100));
  MakeProject(m_dir.File("mono.wav"));
  output = Export("--format bin -o " + out, &status);
  EXPECT_NE(status, 0);
  EXPECT_NE(output.find("the Audio is not Stereo (2 Channels)"), std::string::npos) << output;
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(ExportCliTest, BinOfCdAudioIsWholeSectors) {
  int status = -1;
  const std::string out = m_dir.File("song.bin");
  const std::string output = Export("--format bin -o " + out, &status);
  ASSERT_EQ(status, 0) << output;
  EXPECT_EQ(fs::file_size(out) % 2448, 0u);
  EXPECT_GT(fs::file_size(out), 28u * 75 * 2448);  // the music, lead-in and credits
}

TEST_F(ExportCliTest, FailuresSayWhyAndLeaveNoFile) {
  int status = -1;
  std::string output = Export("--format mp3g -o " + m_dir.File("missing/out.mp3"), &status);
  EXPECT_EQ(status, 4);
  EXPECT_NE(output.find("does not exist"), std::string::npos) << output;
  EXPECT_FALSE(fs::exists(m_dir.File("missing")));

  // Never over the project's own music, not even through the .cdg beside it.
  const std::string musicBefore = test::ReadFileBytes(m_dir.File("music.wav"));
  output = Export("--format mp3g -o " + m_dir.File("music.wav"), &status);
  EXPECT_NE(status, 0);
  EXPECT_EQ(test::ReadFileBytes(m_dir.File("music.wav")), musicBefore);

  output = Export("--format mp3g --bitrate 100 -o " + m_dir.File("x.mp3"), &status);
  EXPECT_EQ(status, 2) << output;
  // 144 kbit/s is in the dialog's list but MP3 has it only below 32 kHz; LAME would take 128.
  output = Export("--format mp3g --bitrate 144 -o " + m_dir.File("x.mp3"), &status);
  EXPECT_EQ(status, 2) << output;
  EXPECT_NE(output.find("is one of 320, 256, 224, 192, 160, 128, 112, not '144'"), std::string::npos) << output;
  output = Export("--format bin --zip -o " + m_dir.File("x.bin"), &status);
  EXPECT_EQ(status, 2) << output;
  EXPECT_FALSE(fs::exists(m_dir.File("x.mp3")));
  EXPECT_FALSE(fs::exists(m_dir.File("x.bin")));
}

// The lyric and subtitle files: each written under its extension, the
// exported audio's timeline later by the lead-in, the simple LRC the audio
// export's own, and options of other formats refused.
TEST_F(ExportCliTest, LyricFilesTakeTheirFormatTimingAndNoOtherOptions) {
  int status = -1;
  for (const char* format : {"ass", "ultrastar", "ttml", "vtt", "srt", "lrc"}) {
    const std::string base = m_dir.File(std::string("words-") + format);
    const std::string output = Export(std::string("--format ") + format + " -o " + base, &status);
    EXPECT_EQ(status, 0) << format << ": " << output;
    const std::string written = test::ReadFileBytes(output.substr(0, output.find('\n')));
    EXPECT_NE(written.find("twinkle"), std::string::npos) << format;
  }
  const auto firstWordTag = [&](const std::string& timing) {
    const std::string path = m_dir.File("t-" + timing + ".lrc");
    Export("--format lrc --timing " + timing + " -o " + path, &status);
    EXPECT_EQ(status, 0);
    std::smatch m;
    const std::string text = test::ReadFileBytes(path);
    EXPECT_TRUE(std::regex_search(text, m, std::regex(R"(<(\d+):(\d+)\.(\d+)>Twinkle)"))) << text;
    return std::stol(m[1]) * 60000 + std::stol(m[2]) * 1000 + std::stol(m[3]);
  };
  const std::string json = Shell(kCli + " compile " + Project() + " -o " + m_dir.File("x.cdg") + " --json", &status);
  std::smatch leadIn;
  ASSERT_TRUE(std::regex_search(json, leadIn, std::regex(R"("leadIn(?:Frames)?"\s*:\s*(\d+))"))) << json;
  EXPECT_EQ(firstWordTag("music"), 2000);
  EXPECT_NEAR(double(firstWordTag("export")), 2000 + std::stod(leadIn[1]) * 1000 / 44100, 1.0);

  Export("--format mp3g --lrc simple -o " + m_dir.File("pair.mp3"), &status);
  ASSERT_EQ(status, 0);
  Export("--format lrc --lrc simple --timing export -o " + m_dir.File("simple.lrc"), &status);
  ASSERT_EQ(status, 0);
  EXPECT_EQ(test::ReadFileBytes(m_dir.File("simple.lrc")), test::ReadFileBytes(m_dir.File("pair.lrc")));

  for (const char* refused : {"--format vtt --sweep", "--format bin --timing music", "--format ass --lrc simple",
                              "--format srt --bitrate 128", "--format ttml --zip", "--format lrc --timing later"}) {
    const std::string output = Export(std::string(refused) + " -o " + m_dir.File("refused"), &status);
    EXPECT_EQ(status, 2) << refused << ": " << output;
    EXPECT_FALSE(fs::exists(m_dir.File("refused.vtt")) || fs::exists(m_dir.File("refused.ass")));
  }
}

// UltraStar notes at a pitch given, or at the pitch the music sings each
// word: the demo's melody, C4 C4 G4 G4 A4 A4 G4 for "Twinkle, twinkle, little
// star", F4 F4 E4 E4 D4 D4 C4 for "How I wonder what you are".
TEST_F(ExportCliTest, UltraStarNotesTakeTheirPitchFromTheMusicOrAsGiven) {
  const auto pitches = [&](const std::string& pitch) {
    int status = -1;
    const std::string path = m_dir.File("notes-" + pitch + ".txt");
    const std::string output = Export("--format ultrastar --pitch " + pitch + " -o " + path, &status);
    EXPECT_EQ(status, 0) << output;
    std::vector<int> found;
    const std::string text = test::ReadFileBytes(path);
    const std::regex note(R"(^: \d+ \d+ (-?\d+) )", std::regex::multiline);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), note); it != std::sregex_iterator(); ++it)
      found.push_back(std::stoi((*it)[1]));
    found.resize(std::min<size_t>(found.size(), 10));
    return found;
  };
  EXPECT_EQ(pitches("music"), (std::vector<int>{0, 7, 9, 7, 5, 5, 4, 2, 2, 0}));
  EXPECT_EQ(pitches("-3"), std::vector<int>(10, -3));
  int status = -1;
  for (const char* refused :
       {"--format ass --pitch music", "--format ultrastar --pitch high", "--format lrc --pitch 2"}) {
    const std::string output = Export(std::string(refused) + " -o " + m_dir.File("refused"), &status);
    EXPECT_EQ(status, 2) << refused << ": " << output;
  }
}

}  // namespace
}  // namespace lf
