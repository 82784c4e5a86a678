// A four-minute song (10 verses of the demo) exported as MP4: our
// ExportVideo next to the ffmpeg tool turning the same song's MP3+G export
// (the .cdg through its own CD+G decoder, and the .mp3) into the same video:
// the screen enlarged to the same picture by whole pixels and centred, at the
// same frame rate, with the same x264 preset and quality, and AAC sound.
// Cases: 720p at 30 frames a second, 1080p at 60, 2160p at 30.
// Counters: ours_s and ffmpeg_s (wall seconds per export), ratio = ours /
// ffmpeg (the median of each iteration's pair), the same in CPU seconds
// (cpu_ratio), song_s, the song's length, frames and sent, the frame times
// and the frames our export encoded (a picture that stays is sent once).
// Goal: ratio at most 0.35 at 720p30.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "core/audio/pcm_source.h"
#include "core/export/video_export.h"
#include "core/platform/paths.h"
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

// The demo's verses: 10 (four minutes) unless LYRICFORGE_BENCH_VERSES asks
// for a shorter song on a busy machine.
std::string Verses() {
  const char* asked = std::getenv("LYRICFORGE_BENCH_VERSES");
  return asked && *asked ? asked : "10";
}

struct Material {
  lf::ScopedTempFolder folder{"video-bench"};
  std::string wav = folder.File("song.wav"), mp3 = folder.File("song.mp3"), cdg = folder.File("song.cdg");
  std::string stream;
  lf::VideoExportJob job;
  double seconds = 0;

  Material() {
    const std::string cli = LYRICFORGE_CLI_PATH, quiet = " 2>/dev/null";
    const std::string project = folder.File("song.lfp");
    Run(cli + " synth-demo --verses " + Verses() + " -o " + wav + " --lrc " + folder.File("song.lrc") + quiet);
    Run(cli + " new -o " + project + " --music " + wav + " --lyrics " + folder.File("song.lrc") + quiet);
    const std::string report =
        Run(cli + " compile " + project + " -o " + folder.File("compiled.cdg") + " --json" + quiet);
    Run(cli + " export " + project + " --format mp3g -o " + mp3 + quiet);  // writes song.cdg beside it
    std::smatch leadIn;
    std::regex_search(report, leadIn, std::regex("\"leadIn\":(\\d+)"));
    stream = ReadAll(folder.File("compiled.cdg"));
    job.workingWavPath = job.musicPath = wav;
    job.title = "Twinkle";
    job.leadIn = leadIn.empty() ? 0 : std::stoi(leadIn[1]);
    job.stream = reinterpret_cast<const uint8_t*>(stream.data());
    job.streamSize = int(stream.size());
    lf::PcmSource music;
    music.Open(wav, nullptr);
    const int64_t audioFrames = job.leadIn + int64_t(music.DataBytes() / uint64_t(music.Format().BlockAlign()));
    seconds = double(audioFrames) / music.Format().sampleRate;
  }

  // The ffmpeg tool making the video `video` asks for from the MP3+G export.
  std::string ToolCommand(const lf::VideoOptions& video, const std::string& output) const {
    const lf::VideoLayout l = lf::LayOutVideo(lf::VideoArea::Screen, video.width, video.height);
    const std::string filter = "scale=" + std::to_string(l.PictureWidth()) + ":" + std::to_string(l.PictureHeight()) +
                               ":flags=neighbor,pad=" + std::to_string(l.width) + ":" + std::to_string(l.height) + ":" +
                               std::to_string(l.left) + ":" + std::to_string(l.top);
    return "ffmpeg -v error -y -i " + cdg + " -i " + mp3 + " -vf " + filter + " -r " + std::to_string(video.fps) +
           " -c:v libx264 -preset " + video.preset + " -crf " + std::to_string(video.crf) +
           " -pix_fmt yuv420p -c:a aac -b:a 192k -movflags +faststart " + output;
  }
};

Material& OpenSong() {
  static Material material;
  return material;
}

// The frames a finished MP4 holds, as ffprobe counts them.
double FramesIn(const std::string& mp4) {
  const std::string count =
      Run("ffprobe -v error -select_streams v -show_entries stream=nb_frames -of csv=p=0 " + mp4 + " 2>/dev/null");
  return count.empty() ? 0 : std::stod(count);
}

// state.range(0) x state.range(1) at state.range(2) frames a second.
void BM_Mp4ExportVersusFfmpegPipe(benchmark::State& state) {
  Material& song = OpenSong();
  lf::VideoExportJob job = song.job;
  job.video.width = int(state.range(0));
  job.video.height = int(state.range(1));
  job.video.fps = int(state.range(2));
  job.outputPath = song.folder.File("ours.mp4");
  lf::bench::RunVersusTool(
      state,
      [&](std::string& error) {
        lf::NullProgress progress;
        const lf::ExportOutcome outcome = lf::ExportVideo(job, progress);
        error = outcome.detail;
        return outcome.Ok();
      },
      song.ToolCommand(job.video, song.folder.File("ffmpeg.mp4")), "ffmpeg");
  state.counters["song_s"] = song.seconds;
  state.counters["frames"] = FramesIn(song.folder.File("ffmpeg.mp4"));
  state.counters["sent"] = FramesIn(job.outputPath);
}
BENCHMARK(BM_Mp4ExportVersusFfmpegPipe)
    ->ArgNames({"w", "h", "fps"})
    ->Args({1280, 720, 30})
    ->Args({1920, 1080, 60})
    ->Args({3840, 2160, 30})
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

}  // namespace
