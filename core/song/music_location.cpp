#include "core/song/music_location.h"

#include <filesystem>

#include "core/platform/text_encoding.h"

namespace fs = std::filesystem;

namespace lf {

namespace {

bool IsFile(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_regular_file(path, ec);
}

std::string FileNameOf(const std::string& path) {
  const size_t end = path.find_last_of("/\\");
  return end == std::string::npos ? path : path.substr(end + 1);
}

}  // namespace

std::string StoredMusicPath(const std::string& stored, const std::string& projectPath) {
  if (IsValidUtf8(stored) || IsFile(stored) || !MusicBesideProject(stored, projectPath).empty()) return stored;
  return ToUtf8(stored);
}

std::string MusicBesideProject(const std::string& musicPath, const std::string& projectPath) {
  if (musicPath.empty() || IsFile(musicPath)) return "";
  const std::string name = FileNameOf(musicPath);
  if (name.empty() || name == "." || name == "..") return "";
  std::error_code ec;
  const fs::path beside = fs::absolute(fs::path(projectPath).parent_path() / name, ec).lexically_normal();
  return !ec && IsFile(beside.string()) ? beside.string() : "";
}

}  // namespace lf
