// lyricforge-cli prepare MUSIC [--json]: music preparation into a private
// working folder; prints the working file's format, or the music error text.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/json.h"
#include "core/audio/music_preparation.h"
#include "core/platform/paths.h"
#include "core/platform/progress.h"

namespace lf::cli {

namespace {

int RunPrepare(const std::vector<std::string>& arguments) {
  Args args(arguments, {"--json"}, {});
  const std::string& music = args.Positional(0, "MUSIC");
  const bool json = args.Flag("--json");

  ScopedTempFolder folder("lyricforge-prepare");
  const bool terminal = isatty(STDERR_FILENO);
  FunctionProgress progress([terminal](int percent) {
    if (terminal) std::fprintf(stderr, "\rDecompressing Audio... %3d%%", percent);
  });
  MusicPreparationContext context;
  context.workingFolder = folder.Path();
  context.progress = &progress;
  context.closeProgress = [terminal] {
    if (terminal) std::fprintf(stderr, "\n");
  };
  MusicState state;
  const Outcome prepared = PrepareMusic(music, state, context);
  if (!prepared) {
    if (json) {
      JsonWriter w;
      w.BeginObject().Field("ok", false).Field("music", music).Field("error", prepared.text).EndObject();
      std::printf("%s\n", w.Text().c_str());
    }
    const ExitCode code = prepared.reason == Reason::NotFound      ? kExitInput
                          : prepared.reason == Reason::WriteFailed ? kExitOutput
                                                                   : kExitFailure;
    throw CliError(code, OneLine(prepared.text, "; "));
  }
  const int64_t durationMs = GetMediaDuration(state.workingFilePath, true);
  if (json) {
    JsonWriter w;
    w.BeginObject()
        .Field("ok", true)
        .Field("music", state.musicFilePath)
        .Field("extension", state.extension)
        .Field("sampleRate", state.sampleRate)
        .Field("bitsPerSample", state.bitsPerSample)
        .Field("channels", state.channelCount)
        .Field("dataBytes", state.workingDataBytes)
        .Field("durationMs", durationMs)
        .Field("samplesPerPacket", state.samplesPerPacket)
        .EndObject();
    std::printf("%s\n", w.Text().c_str());
  } else {
    std::printf("music: %s\n", state.musicFilePath.c_str());
    std::printf("format: %d Hz, %d bits, %d channels\n", state.sampleRate, state.bitsPerSample, state.channelCount);
    std::printf("data bytes: %lld\n", static_cast<long long>(state.workingDataBytes));
    std::printf("duration: %lld ms\n", static_cast<long long>(durationMs));
    std::printf("samples per packet: %d\n", state.samplesPerPacket);
  }
  return kExitOk;
}

}  // namespace

LF_CLI_COMMAND(prepare, "prepare", "prepare MUSIC [--json]", RunPrepare);

}  // namespace lf::cli
