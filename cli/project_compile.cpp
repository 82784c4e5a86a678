#include "cli/project_compile.h"

#include "cli/command.h"
#include "core/platform/paths.h"

namespace lf::cli {

namespace {

// Music that cannot be used is an input error, told in the music error text.
// A working copy that cannot be written is an output error.
[[noreturn]] void ThrowMusicFailure(const std::string& music, const Outcome& failed) {
  const ExitCode code = failed.reason == Reason::WriteFailed ? kExitOutput : kExitInput;
  if (failed.text.empty()) throw CliError(code, failed.detail);
  throw CliError(code, music + ": " + OneLine(failed.text, "; "));
}

MusicPreparationContext PrivateFolder(const std::string& folder, bool wavWhereItLies = false) {
  MusicPreparationContext context;
  context.workingFolder = folder;
  context.wavWhereItLies = wavWhereItLies;
  return context;
}

}  // namespace

MusicState PrepareProjectMusic(Song& song, const std::string& folder, bool wavWhereItLies) {
  MusicState state;
  if (const Outcome prepared = PrepareSongMusic(song, PrivateFolder(folder, wavWhereItLies), state); !prepared)
    ThrowMusicFailure(song.MusicPath(), prepared);
  return state;
}

void CheckMusicFile(const std::string& path) {
  ScopedTempFolder folder("lyricforge-check");
  MusicState state;
  if (const Outcome prepared = PrepareMusic(path, state, PrivateFolder(folder.Path())); !prepared)
    ThrowMusicFailure(path, prepared);
}

SongBuild CompileProject(Song& song, const std::string& folder) {
  // The stream is all a compile gives: a WAV is read where it lies, neither
  // copied nor lengthened on disk.
  if (!song.MusicPath().empty()) PrepareProjectMusic(song, folder, true);
  SongBuild build = CompileSongStream(song);
  if (!build) throw CliError(kExitFailure, build.detail);
  build.result.endOffset = build.UsedBytes();
  return build;
}

}  // namespace lf::cli
