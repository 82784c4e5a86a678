#pragma once
// Where a project's music is: the path as stored, read the way the file
// system names files, and the same file beside the project when the project
// was moved together with its music.
#include <string>

namespace lf {

// The music path stored in a project. A path is bytes to the file system:
// bytes that name an existing file (as stored, or by the same name beside the
// project) are kept as they are, whatever their encoding; other text that is
// not UTF-8 was written on Windows and is read as Windows-1252.
std::string StoredMusicPath(const std::string& stored, const std::string& projectPath);

// When `musicPath` names no file: the file of the same name in the project's
// folder, if there is one there; "" otherwise. Both '/' and '\' end folders,
// so a path written on Windows finds its file too.
std::string MusicBesideProject(const std::string& musicPath, const std::string& projectPath);

}  // namespace lf
