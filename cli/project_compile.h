#pragma once
// What `compile`, `render` and `export` share: the song build with its
// failures turned into one-line command errors, the music prepared in the
// run's private folder.
#include <string>

#include "core/song/song.h"
#include "core/song/song_build.h"

namespace lf::cli {

// Prepares the song's music into `folder` and sizes the song's output buffer;
// with `wavWhereItLies` a WAV is read-only working music, not copied.
// Throws a CliError carrying the music error text when it cannot.
MusicState PrepareProjectMusic(Song& song, const std::string& folder, bool wavWhereItLies = false);

// Prepares `path` in a folder of its own, as the song's music is checked when
// it is set; throws with the music error text when it is no usable music.
void CheckMusicFile(const std::string& path);

// Builds the song whole (its music prepared first, when it has one, a WAV
// read where it lies); the end offset is cut to the stream. Throws a
// CliError when it cannot.
SongBuild CompileProject(Song& song, const std::string& folder);

}  // namespace lf::cli
