// Preparing a four-minute MP3 (decoding it into the working WAV file) next to
// `ffmpeg -i x.mp3 x.wav`, timed in the same run. Counters: ours_s and
// ffmpeg_s (wall seconds per preparation), ratio = ours / ffmpeg, and the
// same in CPU seconds (cpu_ratio), which a busy machine disturbs less.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "core/audio/music_preparation.h"
#include "core/platform/paths.h"
#include "support/versus_tool.h"

namespace {

constexpr int kSeconds = 240;

struct Material {
  lf::ScopedTempFolder folder{"prepare-bench"};
  std::string mp3 = folder.File("song.mp3");
  bool ok = false;
  Material() {
    // A chord that moves under a slow tremolo, at 192 kbit/s: real work for the decoder.
    const std::string command =
        "ffmpeg -nostdin -v error -y -f lavfi -i \"aevalsrc='0.3*sin(2*PI*(220+20*floor(t/4))*t)+"
        "0.2*sin(2*PI*330*t)*(0.6+0.4*sin(2*PI*0.5*t))|0.25*sin(2*PI*(277+15*floor(t/3))*t)':s=44100:d=" +
        std::to_string(kSeconds) + "\" -b:a 192k '" + mp3 + "'";
    ok = std::system(command.c_str()) == 0;
  }
};

Material& OpenSong() {
  static Material material;
  return material;
}

void BM_PrepareMp3VersusFfmpegTool(benchmark::State& state) {
  const Material& song = OpenSong();
  if (!song.ok) {
    state.SkipWithError("the ffmpeg tool could not make the test song");
    return;
  }
  lf::MusicPreparationContext context;
  context.workingFolder = song.folder.Path();
  const std::string theirs = song.folder.File("ffmpeg.wav");
  lf::bench::RunVersusTool(
      state,
      [&](std::string& error) {
        lf::MusicState music;
        if (lf::PrepareMusic(song.mp3, music, context)) return true;
        error = music.musicErrorText;
        return false;
      },
      "ffmpeg -nostdin -v error -y -i '" + song.mp3 + "' '" + theirs + "'", "ffmpeg");
  state.counters["audio_s"] = kSeconds;
}
BENCHMARK(BM_PrepareMp3VersusFfmpegTool)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
