#include "cli/project_compile.h"

#include <algorithm>

#include "audio/music_preparation.h"
#include "cli/command.h"
#include "platform/paths.h"

namespace lf::cli {

namespace {

// Room for every word plus the same spare time a music-sized buffer has.
uint32_t LyricsOnlyBufferSize(const MSongSettings& song) {
  constexpr int64_t kSpareSeconds = 180;
  int64_t lastEnd = 0;
  for (int i = 0; i < song.WordCount(); ++i) lastEnd = std::max<int64_t>(lastEnd, song.Word(i)->m_endTime);
  const int64_t packets = PacketSlotAt(lastEnd, song.SampleRate()) + kSpareSeconds * kPacketsPerSecond;
  return static_cast<uint32_t>(std::min<int64_t>(packets * kPacketSize, INT32_MAX / 2));
}

}  // namespace

MusicState PrepareProjectMusic(MSongSettings& song, const std::string& folder) {
  MusicState state;
  MusicPreparationContext context;
  context.workingFolder = folder;
  if (const Outcome prepared = PrepareMusic(song.MusicPath(), state, context); !prepared)
    throw CliError(kExitInput, song.MusicPath() + ": " + OneLine(prepared.text, "; "));
  song.SetWorkingMusicPath(state.workingFilePath);
  song.AllocateRwMemory(true);
  if (song.RwMemorySize() == 0)
    throw CliError(kExitInput, state.workingFilePath + ": the working music cannot be read");
  return state;
}

void CheckMusicFile(const std::string& path) {
  ScopedTempFolder folder("lyricforge-check");
  MusicState state;
  MusicPreparationContext context;
  context.workingFolder = folder.Path();
  if (const Outcome prepared = PrepareMusic(path, state, context); !prepared)
    throw CliError(kExitInput, path + ": " + OneLine(prepared.text, "; "));
}

CompiledProject CompileProject(MSongSettings& song, const std::string& folder) {
  CompiledProject compiled;
  if (!song.MusicPath().empty()) PrepareProjectMusic(song, folder);
  song.GenerateKaraokeLineList(true, true);
  if (song.RwMemorySize() > 0) {
    compiled.result = CompileWholeSong(song);
    // Lengthening the music may have moved the buffer.
    compiled.stream = song.RwMemory();
    compiled.streamSize = song.RwMemorySize();
  } else {
    compiled.ownBuffer.assign(LyricsOnlyBufferSize(song), 0);
    compiled.result = CompileSong(song, compiled.ownBuffer.data(),
                                  static_cast<uint32_t>(compiled.ownBuffer.size()), kCompileEverything);
    compiled.stream = compiled.ownBuffer.data();
    compiled.streamSize = static_cast<uint32_t>(compiled.ownBuffer.size());
  }
  compiled.result.endOffset = std::min(compiled.result.endOffset, compiled.streamSize);
  return compiled;
}

}  // namespace lf::cli
