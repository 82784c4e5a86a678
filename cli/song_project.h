#pragma once
// What the project commands share: loading and saving the program's song with
// failures turned into one-line command errors.
#include <memory>
#include <string>

#include "core/platform/project_lock.h"
#include "core/song/song.h"

namespace lf::cli {

// The project's lock for a command that changes it, taken before it is loaded
// and held until it is saved; waits a while for another holder, then throws
// saying who holds it.
std::unique_ptr<ProjectLock> LockSongProject(const std::string& path, const std::string& command);

// The program's song, loaded from `path`; a failure throws with the loader's
// own message.
Song& LoadSongProject(const std::string& path);
// The program's song reset to an empty project that will be saved at `path`.
Song& NewSongProject(const std::string& path);
void SaveSongProject(Song& song);

// The version field of a project file (the first four bytes); throws when the
// file cannot be read.
int ProjectFileVersion(const std::string& path);

// A word index typed on the command line (from 0, as `lines --json` lists
// the words); a usage error for anything else.
int WordIndexArgument(const std::string& text, const Song& song);

}  // namespace lf::cli
