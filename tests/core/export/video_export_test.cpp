// The MP4 export, checked with FFmpeg's own tools: what it decodes must be
// the renderer's screen, enlarged and centred, at each frame's time, with
// the MP3+G export's audio beside it.
#include "core/export/video_export.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>

#include "core/audio/padded_pcm.h"
#include "core/export/video_canvas.h"
#include "core/platform/message_sink.h"
#include "core/platform/paths.h"
#include "core/playback/cdg_decoder.h"
#include "core/playback/png_writer.h"
#include "core/playback/rw_renderer.h"
#include "core/playback/stream_decode.h"
#include "core/song/sample_time.h"
#include "tests/support/cli_runner.h"
#include "tests/support/media_probe.h"
#include "tests/support/wav_fixture.h"

namespace lf {
namespace {

namespace fs = std::filesystem;
using test::ShellQuote;

constexpr int kRate = 44100;
constexpr double kMusicSeconds = 5.5;
constexpr double kToneStart = 0.5;  // the first word; silence before it

// Two pages of short lines, a word every 0.3 s.
constexpr const char* kLyrics =
    "[00:00.50]<00:00.50>One <00:00.80>two<00:01.10>\n"
    "[00:01.20]<00:01.20>Three <00:01.50>four<00:01.80>\n"
    "[00:01.90]<00:01.90>Five <00:02.20>six<00:02.50>\n"
    "[00:02.60]<00:02.60>Seven <00:02.90>eight<00:03.20>\n"
    "[00:03.40]<00:03.40>Nine <00:03.70>ten<00:04.00>\n"
    "[00:04.10]<00:04.10>Eleven <00:04.40>end<00:04.80>\n";

// Twenty frame times, whole frames at 25 and 30 a second: both pages, words
// before, inside and after their sweep, up to the music's end.
const std::vector<double> kFrameTimes{0.0, 0.2, 0.6, 0.8, 1.0, 1.2, 1.4, 1.6, 2.0, 2.2,
                                      2.6, 3.0, 3.2, 3.4, 3.6, 4.0, 4.2, 4.4, 4.8, 5.2};

struct Rgb {
  std::vector<uint8_t> bytes;  // width x height x 3
  int width = 0, height = 0;
};

// The renderer's screen at `seconds` as a frame of `layout` would show it.
Rgb ExpectedFrame(const std::string& project, double seconds, const VideoLayout& layout, const std::string& dir) {
  const std::string png = dir + "/expected.png";
  const test::CliResult render = test::RunCli({"render", project, "--at", std::to_string(seconds), "-o", png});
  EXPECT_EQ(render.exitCode, 0) << render.err;
  std::vector<Colorref> screen;
  int w = 0, h = 0;
  std::string error;
  EXPECT_TRUE(ReadPng(png, screen, w, h, error)) << error;
  Rgb frame{std::vector<uint8_t>(size_t(layout.width) * layout.height * 3, 0), layout.width, layout.height};
  for (int y = 0; y < layout.PictureHeight(); ++y)
    for (int x = 0; x < layout.PictureWidth(); ++x) {
      const Colorref c = screen[size_t(layout.sourceTop + y / layout.scale) * size_t(w) +
                                size_t(layout.sourceLeft + x / layout.scale)];
      uint8_t* p = &frame.bytes[(size_t(layout.top + y) * layout.width + size_t(layout.left + x)) * 3];
      p[0] = RedOf(c), p[1] = GreenOf(c), p[2] = BlueOf(c);
    }
  return frame;
}

// The pictures at frame times `indices` (ascending) of a video of `fps`
// frames a second, decoded by ffmpeg as RGB: a player shows a frame until the
// next one's time, so a picture sent once stands for each time it lasts.
std::vector<Rgb> DecodedFrames(const std::string& mp4, int fps, const std::vector<int>& indices, int width, int height,
                               const std::string& crop = "") {
  std::string select;
  for (int i : indices) select += (select.empty() ? "" : "+") + std::string("eq(n\\,") + std::to_string(i) + ")";
  const std::string filter =
      "fps=" + std::to_string(fps) + ",select='" + select + "'" + (crop.empty() ? "" : "," + crop);
  const std::string bytes = test::RunCommand("ffmpeg -v error -i " + ShellQuote(mp4) + " -vf \"" + filter +
                                             "\" -vsync 0 -f rawvideo -pix_fmt rgb24 - 2>/dev/null");
  std::vector<Rgb> frames;
  const size_t size = size_t(width) * height * 3;
  for (size_t at = 0; at + size <= bytes.size(); at += size)
    frames.push_back({std::vector<uint8_t>(bytes.begin() + long(at), bytes.begin() + long(at + size)), width, height});
  return frames;
}

struct Difference {
  double mean = 0;      // over every pixel and channel of the frame
  int wrongPixels = 0;  // screen pixels whose enlarged block looks nearer another colour of the screen
};

int Distance(const uint8_t* a, const double* b) {
  return int(std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]));
}

// Each screen pixel is a scale x scale block; 4:2:0 chroma smears its edges
// (yellow on blue loses up to 11 levels over a tile at scale 3, in FFmpeg's
// own pipeline too), so a block is judged by its mean colour: it must lie
// nearest the colour the renderer drew there, among the colours on the screen.
Difference Compare(const Rgb& decoded, const Rgb& expected, const VideoLayout& layout) {
  Difference d;
  double total = 0;
  for (size_t i = 0; i < decoded.bytes.size() && i < expected.bytes.size(); ++i)
    total += std::abs(int(decoded.bytes[i]) - int(expected.bytes[i]));
  d.mean = total / double(expected.bytes.size());
  auto at = [&](const Rgb& f, int x, int y) {
    return &f.bytes[(size_t(layout.top + y) * layout.width + size_t(layout.left + x)) * 3];
  };
  std::vector<std::array<uint8_t, 3>> palette;
  for (int y = 0; y < layout.PictureHeight(); y += layout.scale)
    for (int x = 0; x < layout.PictureWidth(); x += layout.scale) {
      const uint8_t* c = at(expected, x, y);
      const std::array<uint8_t, 3> colour{c[0], c[1], c[2]};
      if (std::find(palette.begin(), palette.end(), colour) == palette.end()) palette.push_back(colour);
    }
  for (int y = 0; y < layout.PictureHeight(); y += layout.scale)
    for (int x = 0; x < layout.PictureWidth(); x += layout.scale) {
      double mean[3] = {0, 0, 0};
      for (int dy = 0; dy < layout.scale; ++dy)
        for (int dx = 0; dx < layout.scale; ++dx)
          for (int k = 0; k < 3; ++k) mean[k] += at(decoded, x + dx, y + dy)[k] / double(layout.scale * layout.scale);
      const int own = Distance(at(expected, x, y), mean);
      for (const auto& other : palette)
        if (Distance(other.data(), mean) < own) {
          ++d.wrongPixels;
          break;
        }
    }
  return d;
}

// The codec's loss only: close on average, and every screen pixel still its own colour.
void ExpectFramesMatchTheRenderer(const std::string& mp4, const std::string& project, const VideoLayout& layout,
                                  int fps, const std::string& dir) {
  std::vector<int> indices;
  for (double t : kFrameTimes) indices.push_back(int(std::lround(t * fps)));
  const std::vector<Rgb> frames = DecodedFrames(mp4, fps, indices, layout.width, layout.height);
  ASSERT_EQ(frames.size(), indices.size());
  for (size_t i = 0; i < frames.size(); ++i) {
    SCOPED_TRACE("at " + std::to_string(kFrameTimes[i]) + " s");
    const Difference d = Compare(frames[i], ExpectedFrame(project, kFrameTimes[i], layout, dir), layout);
    EXPECT_LT(d.mean, 2.0);
    EXPECT_EQ(d.wrongPixels, 0);
  }
}

class VideoExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto samples = test::SineSamples(kRate, 2, uint32_t(kMusicSeconds * kRate), 440.0);
    std::fill(samples.begin(), samples.begin() + long(kToneStart * kRate) * 2, int16_t(0));
    test::WriteFileBytes(
        Music(), test::MakeRiffWave({{"fmt ", test::FmtBody(2, kRate, 16)}, {"data", test::PcmBytes(samples, 16)}}));
    test::WriteFileBytes(m_dir.File("lyrics.lrc"), kLyrics);
    const std::vector<std::string> create{
        "new", "-o", Project(), "--music", Music(), "--lyrics", m_dir.File("lyrics.lrc")};
    ASSERT_EQ(test::RunCli(create).exitCode, 0);
    ASSERT_EQ(test::RunCli({"set", Project(), "artist=The Testers", "title=Short Song"}).exitCode, 0);
  }

  std::string Music() const { return m_dir.File("music.wav"); }
  std::string Project() const { return m_dir.File("song.lfp"); }

  // The project compiled by the command-line tool: its stream and lead-in.
  VideoExportJob CompiledJob(const std::string& output) {
    const test::CliResult compiled = test::RunCli({"compile", Project(), "-o", m_dir.File("song.cdg"), "--json"});
    EXPECT_EQ(compiled.exitCode, 0) << compiled.err;
    std::smatch m;
    EXPECT_TRUE(std::regex_search(compiled.out, m, std::regex("\"leadIn\":(\\d+)")));
    m_stream = test::ReadFileBytes(m_dir.File("song.cdg"));
    VideoExportJob job;
    job.outputPath = output;
    job.workingWavPath = job.musicPath = Music();
    job.title = "Short Song";
    job.leadIn = m.empty() ? 0 : std::stoi(m[1]);
    job.stream = reinterpret_cast<const uint8_t*>(m_stream.data());
    job.streamSize = int(m_stream.size());
    return job;
  }

  std::vector<std::string> FolderNames() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_dir.Path())) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  ScopedTempFolder m_dir{"video-export-test"};
  std::string m_stream;
};

TEST(VideoLayoutTest, WholeFactorCentredOnEvenOffsets) {
  struct Case {
    VideoArea area;
    int width, height, scale, left, top;
  };
  const Case cases[] = {
      {VideoArea::Screen, 1280, 720, 3, 190, 36},  {VideoArea::Screen, 1920, 1080, 5, 210, 0},
      {VideoArea::Screen, 3840, 2160, 10, 420, 0}, {VideoArea::Visible, 3840, 2160, 11, 336, 24},
      {VideoArea::Visible, 1280, 720, 3, 208, 72}, {VideoArea::Visible, 1920, 1080, 5, 240, 60},
      {VideoArea::Screen, 320, 240, 1, 10, 12},    {VideoArea::Visible, 290, 194, 1, 0, 0},
      {VideoArea::Screen, 299, 216, 0, 0, 0},      {VideoArea::Screen, 640, 215, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    const VideoLayout layout = LayOutVideo(c.area, c.width, c.height);
    EXPECT_EQ(layout.scale, c.scale);
    EXPECT_EQ(layout.Fits(), c.scale > 0);
    if (!layout.Fits()) continue;
    EXPECT_EQ(layout.left, c.left);
    EXPECT_EQ(layout.top, c.top);
  }
}

TEST(VideoCanvasTest, RedrawsOnlyBandsWithAChangedTile) {
  const VideoLayout layout = LayOutVideo(VideoArea::Visible, 640, 480);  // scale 2, bands from screen row 12
  VideoCanvas canvas(layout);
  std::vector<Colorref> screen(size_t(kScreenWidth) * kScreenHeight, MakeRgb(0, 0, 128));
  EXPECT_EQ(canvas.Update(screen).size(), 16u);  // the first picture is all new
  EXPECT_TRUE(canvas.Update(screen).empty());
  screen[size_t(40) * kScreenWidth + 100] = MakeRgb(255, 255, 0);  // screen row 40: band 2
  screen[size_t(5) * kScreenWidth + 100] = MakeRgb(255, 0, 0);     // the border above: not shown
  EXPECT_EQ(canvas.Update(screen), std::vector<int>{2});
  // Picture pixel of screen (100, 40): ((100 - 6) x 2, (40 - 12) x 2), a 2 x 2 block.
  const auto* pixels = reinterpret_cast<const Colorref*>(canvas.Pixels());
  const int width = layout.PictureWidth();
  for (int dy = 0; dy < 2; ++dy)
    for (int dx = -1; dx < 3; ++dx)
      EXPECT_EQ(pixels[size_t(56 + dy) * size_t(width) + size_t(188 + dx)],
                dx == 0 || dx == 1 ? MakeRgb(255, 255, 0) : MakeRgb(0, 0, 128));
}

TEST(PaddedPcmTest, LeadInMusicTailAndAShortFileMadeUpWithSilence) {
  ScopedTempFolder dir("padded-pcm-test");
  test::WriteFileBytes(dir.File("m.wav"), test::ToneWav(kRate, 16, 2, 1000));
  PcmSource source;
  ASSERT_TRUE(source.Open(dir.File("m.wav"), nullptr));
  PaddedPcm pcm(source, 300, 200);
  EXPECT_EQ(pcm.TotalFrames(), 1500);
  std::vector<int16_t> all(2 * 1600, 7);
  size_t got = 0;
  while (size_t n = pcm.Read(reinterpret_cast<uint8_t*>(all.data() + 2 * got), 256)) got += n;
  EXPECT_EQ(got, 1500u);
  auto silent = [&](size_t from, size_t to) {
    return std::all_of(all.begin() + long(2 * from), all.begin() + long(2 * to), [](int16_t s) { return s == 0; });
  };
  EXPECT_TRUE(silent(0, 300));
  EXPECT_FALSE(silent(300, 1300));
  EXPECT_TRUE(silent(1300, 1500));
}

// The whole pipeline through the command-line tool at its defaults (720p, 30 frames a second).
TEST_F(VideoExportTest, CliMp4IsH264AndAacWithTagsShowingTheRendererFrames) {
  const std::string mp4 = m_dir.File("song.mp4");
  const test::CliResult result = test::RunCli({"export", Project(), "--format", "mp4", "-o", mp4});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const auto probe = test::ProbeFields(mp4,
                                       "format=duration:format_tags=title,artist:stream=codec_name,width,height,"
                                       "r_frame_rate");
  EXPECT_EQ(probe.at("TAG:title"), "Short Song");
  EXPECT_EQ(probe.at("TAG:artist"), "The Testers");
  const std::string streams = test::RunCommand(
      "ffprobe -v error -show_entries stream=codec_name,width,height,"
      "r_frame_rate -of csv=p=0 " +
      ShellQuote(mp4));
  EXPECT_EQ(streams, "h264,1280,720,30/1\naac,0/0\n");
  // The compiler lengthens the music to the end of the stream (8.9 s here).
  EXPECT_NEAR(std::stod(probe.at("duration")), 8.94, 0.1);
  ExpectFramesMatchTheRenderer(mp4, Project(), LayOutVideo(VideoArea::Screen, 1280, 720), 30, m_dir.Path());
}

// The AAC stream takes the bit rate asked for. FFmpeg's encoder spends less
// than it is given on the test's plain tones (about half), so the check is
// that four times the rate gives well over twice the bytes, and never more
// than was asked.
TEST_F(VideoExportTest, CliMp4AudioTakesTheAskedBitRate) {
  std::vector<double> measured;
  for (const int kbps : {64, 256}) {
    const std::string mp4 = m_dir.File("rate" + std::to_string(kbps) + ".mp4");
    const test::CliResult result = test::RunCli({"export", Project(), "--format", "mp4", "--preset", "ultrafast",
                                                 "--audio-bitrate", std::to_string(kbps), "-o", mp4});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    measured.push_back(std::stod(test::RunCommand(
        "ffprobe -v error -select_streams a -show_entries stream=bit_rate -of csv=p=0 " + ShellQuote(mp4))));
    EXPECT_LT(measured.back(), kbps * 1100.0) << kbps;
  }
  EXPECT_GT(measured[1], 2 * measured[0]) << measured[0] << " " << measured[1];
}

// A word's first sweep packet shows in the first frame after its slot, and
// the sound sits where the MP3+G export puts it, as long as it is there.
TEST_F(VideoExportTest, CliMp4SweepAndSoundLineUpWithTheMp3g) {
  const std::string mp4 = m_dir.File("song.mp4"), mp3 = m_dir.File("song.mp3");
  ASSERT_EQ(test::RunCli({"export", Project(), "--format", "mp4", "-o", mp4}).exitCode, 0);
  ASSERT_EQ(test::RunCli({"export", Project(), "--format", "mp3g", "-o", mp3}).exitCode, 0);

  const std::vector<int16_t> videoSound = test::DecodeToPcm(mp4), mp3Sound = test::DecodeToPcm(mp3);
  auto onset = [](const std::vector<int16_t>& pcm) {
    const auto it = std::find_if(pcm.begin(), pcm.end(), [](int16_t s) { return std::abs(s) > 2000; });
    return long(it - pcm.begin()) / 2;
  };
  EXPECT_NEAR(double(onset(videoSound)), double(onset(mp3Sound)), 0.002 * kRate);  // 2 ms
  EXPECT_NEAR(double(videoSound.size() / 2), double(mp3Sound.size() / 2), 1024);   // one AAC frame

  // The first sweep packet after the page is drawn ("Three", at 1.2 s).
  const std::string cdg = test::ReadFileBytes(m_dir.File("song.cdg"));
  const auto* stream = reinterpret_cast<const uint8_t*>(cdg.data());
  CdgRenderer renderer;
  CdgDecoder decoder;
  size_t slot = decoder.DecodeSlots(stream, cdg.size(), 0, SlotsBefore(1.0), renderer);
  int row = -1, column = -1;
  for (; slot < cdg.size() / kPacketSize && row < 0; ++slot) {
    const CdgPacket packet = PacketAt(stream + slot * kPacketSize);
    decoder.Decode(packet, renderer);
    const bool tile = packet.InstructionCode() == uint8_t(CdgInstruction::TileBlockXor) ||
                      packet.InstructionCode() == uint8_t(CdgInstruction::TileBlockNormal);
    if (!packet.IsGraphics() || !tile) continue;
    for (int y = 0; y < kTileHeight && row < 0; ++y)
      for (int x = 0; x < kTileWidth && row < 0; ++x)
        if (renderer.PixelAt(packet.TileColumn() * kTileWidth + x, packet.TileRow() * kTileHeight + y) ==
            ColorIndexSweep)
          row = packet.TileRow(), column = packet.TileColumn();
  }
  ASSERT_GE(row, 0);
  const size_t sweepSlot = slot - 1;

  // That tile's block in every frame around it; the first one that changes.
  const VideoLayout layout = LayOutVideo(VideoArea::Screen, 1280, 720);
  const int first = int(sweepSlot * 30 / kPacketsPerSecond) - 6;
  std::vector<int> indices;
  for (int i = first; i < first + 12; ++i) indices.push_back(i);
  const int bw = kTileWidth * layout.scale, bh = kTileHeight * layout.scale;
  const std::string crop = "crop=" + std::to_string(bw) + ":" + std::to_string(bh) + ":" +
                           std::to_string(layout.left + column * bw) + ":" + std::to_string(layout.top + row * bh);
  const std::vector<Rgb> blocks = DecodedFrames(mp4, 30, indices, bw, bh, crop);
  ASSERT_EQ(blocks.size(), indices.size());
  int changed = -1;
  for (size_t i = 1; i < blocks.size() && changed < 0; ++i) {
    double diff = 0;
    for (size_t b = 0; b < blocks[i].bytes.size(); ++b) diff += std::abs(blocks[i].bytes[b] - blocks[i - 1].bytes[b]);
    if (diff / double(blocks[i].bytes.size()) > 4) changed = indices[i];
  }
  // The first frame whose time lies after the slot.
  const int expected = int(sweepSlot * 30 / kPacketsPerSecond) + 1;
  EXPECT_NEAR(changed, expected, 1) << "sweep slot " << sweepSlot;
}

// Keyframes at most the interval apart, from the first frame to the end; a
// picture that stays is sent once unless every frame time is asked for, and
// the video lasts as long either way.
TEST_F(VideoExportTest, CliMp4KeyframesAtMostTheIntervalApartAndUnchangedPicturesSentOnce) {
  struct Case {
    std::vector<std::string> options;
    int fps;
    double interval;
    bool everyFrame;
  };
  const Case cases[] = {
      {{"--size", "1080p", "--fps", "60"}, 60, 2.0, false},
      {{"--fps", "25", "--keyframe-interval", "1", "--constant-fps", "--preset", "ultrafast"}, 25, 1.0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options[1]);
    const std::string mp4 = m_dir.File("keys.mp4");
    std::vector<std::string> args{"export", Project(), "--format", "mp4", "-o", mp4};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const test::CliResult result = test::RunCli(args);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::istringstream packets(test::RunCommand(
        "ffprobe -v error -select_streams v -show_entries packet=pts_time,flags -of csv=p=0 " + ShellQuote(mp4)));
    std::vector<double> times, keys;
    for (std::string line; std::getline(packets, line);) {
      const size_t comma = line.find(',');
      times.push_back(std::stod(line.substr(0, comma)));
      if (line.find('K', comma) != std::string::npos) keys.push_back(times.back());
    }
    std::sort(times.begin(), times.end());
    ASSERT_FALSE(keys.empty());
    EXPECT_EQ(keys.front(), 0.0);
    // The video's own length (its stream comes first): as long as the sound's.
    const double duration = std::stod(test::ProbeFields(mp4, "stream=duration").at("duration"));
    EXPECT_NEAR(duration, 8.94, 0.1);
    keys.push_back(duration);
    for (size_t i = 1; i < keys.size(); ++i) EXPECT_LE(keys[i] - keys[i - 1], c.interval + 1e-6) << "at " << keys[i];
    const auto frameTimes = size_t(std::lround(duration * c.fps));
    if (c.everyFrame) {
      EXPECT_EQ(times.size(), frameTimes);
    } else {
      EXPECT_LT(times.size(), frameTimes * 9 / 10);  // the title and the pauses between lines hold still
      ExpectFramesMatchTheRenderer(mp4, Project(), LayOutVideo(VideoArea::Screen, 1920, 1080), c.fps, m_dir.Path());
    }
  }
}

TEST_F(VideoExportTest, VisibleAreaAt25FramesShowsTheRendererFrames) {
  VideoExportJob job = CompiledJob(m_dir.File("visible.mp4"));
  job.video.area = VideoArea::Visible;
  job.video.width = 640;
  job.video.height = 480;
  job.video.fps = 25;
  int last = -1;
  FunctionProgress progress([&](int percent) {
    EXPECT_GT(percent, last);
    last = percent;
  });
  ASSERT_TRUE(ExportVideo(job, progress).Ok());
  EXPECT_EQ(last, 100);
  ExpectFramesMatchTheRenderer(job.outputPath, Project(), LayOutVideo(VideoArea::Visible, 640, 480), 25, m_dir.Path());
}

// A failure or a cancel: the outcome says so, nothing is left at the final
// name nor under a temporary one, and the music is as it was.
TEST_F(VideoExportTest, FailuresAndCancelLeaveNothingBehind) {
  const std::string musicBefore = test::ReadFileBytes(Music());
  struct Case {
    const char* name;
    std::string output;
    Reason reason;
    std::string detail;  // a part of the reason given
  };
  const Case cases[] = {
      {"missing folder", m_dir.File("none/out.mp4"), Reason::WriteFailed, "does not exist"},
      {"folder refusing files", "/proc/lyricforge-test.mp4", Reason::WriteFailed, "/proc"},
      {"full disk", m_dir.File("full.mp4"), Reason::WriteFailed, "File too large"},
      {"cancel", m_dir.File("cancel.mp4"), Reason::Cancelled, "cancelled"},
      {"the music itself", Music(), Reason::WriteFailed, "music"},
  };
  VideoExportJob job = CompiledJob("");
  job.video.width = 320;
  job.video.height = 240;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<std::string> before = FolderNames();
    job.outputPath = c.output;
    int reports = 0;
    FunctionProgress progress([&](int) { ++reports; }, [&] { return std::string(c.name) == "cancel" && reports > 20; });
    rlimit saved{};
    const bool full = std::string(c.name) == "full disk";
    if (full) {
      // The file system refuses to grow the file past 64 KB, as a full disk would.
      getrlimit(RLIMIT_FSIZE, &saved);
      signal(SIGXFSZ, SIG_IGN);
      rlimit small = saved;
      small.rlim_cur = 64 * 1024;
      setrlimit(RLIMIT_FSIZE, &small);
    }
    const ExportOutcome outcome = ExportVideo(job, progress);
    if (full) setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(outcome.reason, c.reason);
    EXPECT_NE(outcome.detail.find(c.detail), std::string::npos) << outcome.detail;
    if (c.output != Music()) {
      EXPECT_FALSE(fs::exists(c.output));
    }
    EXPECT_EQ(FolderNames(), before);
    EXPECT_EQ(test::ReadFileBytes(Music()), musicBefore);
  }
}

TEST_F(VideoExportTest, CliRefusesUnknownVideoOptionsOnOneLine) {
  const std::vector<std::vector<std::string>> cases{
      {"--format", "mp4", "--size", "4k"},
      {"--format", "mp4", "--crf", "0"},
      {"--format", "mp4", "--keyframe-interval", "0"},
      {"--format", "mp4", "--keyframe-interval", "11"},
      {"--format", "mp3g", "--keyframe-interval", "2"},
      {"--format", "mp4", "--fps", "24"},
      {"--format", "mp4", "--crf", "52"},
      {"--format", "mp4", "--preset", "turbo"},
      {"--format", "mp3g", "--size", "720p"},
      {"--format", "mp4", "--bitrate", "128"},
      {"--format", "mp4", "--audio-bitrate", "16"},
      {"--format", "mp4", "--audio-bitrate", "321"},
      {"--format", "mp4", "--audio-bitrate", "96k"},
      {"--format", "wmag", "--audio-bitrate", "96"},
  };
  for (const auto& options : cases) {
    std::vector<std::string> args{"export", Project(), "-o", m_dir.File("x.mp4")};
    args.insert(args.end(), options.begin(), options.end());
    const test::CliResult result = test::RunCli(args);
    SCOPED_TRACE(options[2] + " " + options[3]);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find(options[2]), std::string::npos) << result.err;
    EXPECT_EQ(result.err.rfind("lyricforge-cli export: " + options[2], 0), 0u) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_FALSE(fs::exists(m_dir.File("x.mp4")));
    // Lossless H.264 is refused with the reason, not as a number out of range.
    if (options[2] == "--crf" && options[3] == "0") {
      EXPECT_NE(result.err.find("browsers"), std::string::npos) << result.err;
    }
  }
}

}  // namespace
}  // namespace lf
