#pragma once
// What the project commands share: loading and saving the program's song with
// failures turned into one-line command errors, and reading a lyric file.
#include <string>

#include "engine/song/song_settings.h"

namespace lf::cli {

// The program's song, loaded from `path`; a failure throws with the loader's
// own message.
MSongSettings& LoadSongProject(const std::string& path);
// The program's song reset to an empty project that will be saved at `path`.
MSongSettings& NewSongProject(const std::string& path);
void SaveSongProject(MSongSettings& song);

// The version field of a project file (the first four bytes); throws when the
// file cannot be read.
int ProjectFileVersion(const std::string& path);

// A plain-text lyric file as UTF-8: a byte-order mark is dropped, UTF-16 is
// converted and text that is not UTF-8 is read as Windows-1252.
std::string ReadLyricText(const std::string& path);

}  // namespace lf::cli
