#pragma once
// What the music file chooser offers: MP3 entries only when MP3 files can be
// encoded, as the program has always done.
#include <string>
#include <vector>

namespace lf {

struct FileFilter {
  std::string text;      // shown in the chooser
  std::string patterns;  // separated by ';'
};

inline constexpr const char* kMusicChooserTitle = "Select Music File";
inline constexpr const char* kMusicFileIndexKey = "MusicFileIndex";  // "Settings" group

std::vector<FileFilter> MusicFileFilters(bool mp3Support);

}  // namespace lf
