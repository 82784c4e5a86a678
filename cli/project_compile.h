#pragma once
// What `compile`, `render` and `export` share: a project's music prepared as
// the working file in the run's private folder, its lines laid out, and the
// whole song compiled.
#include <cstdint>
#include <string>
#include <vector>

#include "audio/music_state.h"
#include "engine/song/song_compiler.h"
#include "engine/song/song_settings.h"

namespace lf::cli {

// Prepares the song's music into `folder` and sizes the song's output buffer.
// Throws a CliError carrying the music error text when it cannot.
MusicState PrepareProjectMusic(MSongSettings& song, const std::string& folder);

// Prepares `path` in a folder of its own, as the song's music is checked when
// it is set; throws with the music error text when it is no usable music.
void CheckMusicFile(const std::string& path);

struct CompiledProject {
  CompileResult result;
  const uint8_t* stream = nullptr;  // the song's output buffer, or `ownBuffer`
  uint32_t streamSize = 0;
  std::vector<uint8_t> ownBuffer;   // used when the project has no music
};

// Lays out the song's lines and compiles it whole. With music, the music is
// prepared first and the song's own buffer receives the stream; a project
// without music compiles into a buffer sized to its lyrics.
CompiledProject CompileProject(MSongSettings& song, const std::string& folder);

}  // namespace lf::cli
