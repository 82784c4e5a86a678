#include "desktop/rules/music_file_filters.h"

namespace lf {

std::vector<FileFilter> MusicFileFilters(bool mp3Support) {
  if (mp3Support)
    return {{"Music Files (*.mp3,*.wma,*.wav)", "*.wav;*.mp3;*.wma"},
            {"MP3 Files (*.mp3)", "*.mp3"},
            {"Windows Media Files (*.wma)", "*.wma"},
            {"Wave Files (*.wav)", "*.wav"}};
  return {{"Music Files (*.wma,*.wav)", "*.wav;*.wma"},
          {"Windows Media Files (*.wma)", "*.wma"},
          {"Wave Files (*.wav)", "*.wav"}};
}

}  // namespace lf
