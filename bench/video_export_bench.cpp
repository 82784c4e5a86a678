// A four-minute song (10 verses of the demo) exported as MP4 at 720p, 30
// frames a second: our ExportVideo next to the ffmpeg tool encoding the same
// frames, read raw from a pipe (the 300 x 216 screens, enlarged and padded by
// its own filters), with the same audio and the same x264 and AAC settings.
// Counters: ours_s and ffmpeg_s (wall seconds per export), ratio = ours /
// ffmpeg, the same in CPU seconds (cpu_ratio), and song_s, the song's length
// (goal: ours_s below song_s / 8, ratio at most 1.3).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "core/audio/pcm_source.h"
#include "core/export/video_export.h"
#include "core/platform/paths.h"
#include "core/playback/cdg_decoder.h"
#include "core/playback/rw_renderer.h"
#include "support/versus_tool.h"

namespace {

std::string Run(const std::string& command) {
  std::string out;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    if (pclose(pipe) != 0) out.clear();
  }
  return out;
}

std::string ReadAll(const std::string& path) {
  std::string bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    char buffer[65536];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, f)) bytes.append(buffer, n);
    std::fclose(f);
  }
  return bytes;
}

struct Material {
  lf::ScopedTempFolder folder{"video-bench"};
  std::string wav = folder.File("song.wav"), frames = folder.File("frames.rgb");
  std::string stream;
  lf::VideoExportJob job;
  int64_t frameCount = 0;
  double seconds = 0;

  Material() {
    const std::string cli = LYRICFORGE_CLI_PATH, quiet = " 2>/dev/null";
    const std::string project = folder.File("song.lfp"), cdg = folder.File("song.cdg");
    Run(cli + " synth-demo --verses 10 -o " + wav + " --lrc " + folder.File("song.lrc") + quiet);
    Run(cli + " new -o " + project + " --music " + wav + " --lyrics " + folder.File("song.lrc") + quiet);
    const std::string report = Run(cli + " compile " + project + " -o " + cdg + " --json" + quiet);
    std::smatch leadIn;
    std::regex_search(report, leadIn, std::regex("\"leadIn\":(\\d+)"));
    stream = ReadAll(cdg);
    job.workingWavPath = job.musicPath = wav;
    job.title = "Twinkle";
    job.leadIn = leadIn.empty() ? 0 : std::stoi(leadIn[1]);
    job.stream = reinterpret_cast<const uint8_t*>(stream.data());
    job.streamSize = int(stream.size());
    lf::PcmSource music;
    music.Open(wav, nullptr);
    const int64_t audioFrames = job.leadIn + int64_t(music.DataBytes() / uint64_t(music.Format().BlockAlign()));
    seconds = double(audioFrames) / music.Format().sampleRate;
    frameCount = lf::VideoFrameCount(audioFrames, music.Format().sampleRate, job.video.fps);
    WriteFrames();
  }

  // The screens the video shows, raw RGB, for the tool's pipe.
  void WriteFrames() {
    std::FILE* out = std::fopen(frames.c_str(), "wb");
    lf::CdgRenderer renderer;
    lf::CdgDecoder decoder;
    size_t slot = 0;
    std::vector<uint8_t> rgb(size_t(lf::kScreenWidth) * lf::kScreenHeight * 3);
    for (int64_t frame = 0; out && frame < frameCount; ++frame) {
      slot = decoder.DecodeSlots(job.stream, stream.size(), slot, lf::SlotsBeforeFrame(frame, job.video.fps), renderer);
      const std::vector<lf::Colorref> screen = renderer.DisplayColors();
      for (size_t i = 0; i < screen.size(); ++i) {
        rgb[3 * i] = lf::RedOf(screen[i]);
        rgb[3 * i + 1] = lf::GreenOf(screen[i]);
        rgb[3 * i + 2] = lf::BlueOf(screen[i]);
      }
      std::fwrite(rgb.data(), 1, rgb.size(), out);
    }
    if (out) std::fclose(out);
  }

  std::string ToolCommand(const std::string& output) const {
    const lf::VideoLayout l = lf::LayOutVideo(lf::VideoArea::Screen, job.video.width, job.video.height);
    const std::string filter = "scale=" + std::to_string(l.PictureWidth()) + ":" + std::to_string(l.PictureHeight()) +
                               ":flags=neighbor,pad=" + std::to_string(l.width) + ":" + std::to_string(l.height) + ":" +
                               std::to_string(l.left) + ":" + std::to_string(l.top);
    return "cat " + frames + " | ffmpeg -v error -y -f rawvideo -pix_fmt rgb24 -s 300x216 -r " +
           std::to_string(job.video.fps) + " -i pipe:0 -i " + wav + " -vf " + filter +
           " -af adelay=" + std::to_string(job.leadIn) + "S:all=1 -c:v libx264 -preset " + job.video.preset + " -crf " +
           std::to_string(job.video.crf) + " -pix_fmt yuv420p -c:a aac -b:a 192k -movflags +faststart -shortest " +
           output;
  }
};

Material& OpenSong() {
  static Material material;
  return material;
}

void BM_Mp4ExportVersusFfmpegPipe(benchmark::State& state) {
  Material& song = OpenSong();
  lf::VideoExportJob job = song.job;
  job.outputPath = song.folder.File("ours.mp4");
  lf::bench::RunVersusTool(
      state,
      [&](std::string& error) {
        lf::NullProgress progress;
        const lf::ExportOutcome outcome = lf::ExportVideo(job, progress);
        error = outcome.detail;
        return outcome.Ok();
      },
      song.ToolCommand(song.folder.File("ffmpeg.mp4")), "ffmpeg");
  state.counters["song_s"] = song.seconds;
  state.counters["frames"] = double(song.frameCount);
}
BENCHMARK(BM_Mp4ExportVersusFfmpegPipe)->Iterations(2)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
