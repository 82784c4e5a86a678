#pragma once
// What the lyric file chooser offers; the desktop program builds its dialog
// from these, so the texts live beside the import that reads the files.
#include <array>
#include <string_view>

namespace lf {

struct LyricsFileFilter {
  std::string_view text;      // shown in the chooser
  std::string_view patterns;  // separated by ';'
};

inline constexpr std::string_view kLyricsChooserTitle = "Select Lyrics File";

inline constexpr std::array<LyricsFileFilter, 4> kLyricsFileFilters = {{
    {"All File Types (*.txt,*.lrc,*.kar,*.midi)", "*.txt;*.lrc;*.kar;*.mid;*.midi"},
    {"Text Files (*.txt)", "*.txt"},
    {"Lyric Files (*.lrc)", "*.lrc"},
    {"MIDI Karaoke Files (*.kar,*.midi)", "*.kar;*.mid;*.midi"},
}};

// Settings ("Settings" group): the filter last chosen, 0 by default.
inline constexpr std::string_view kLyricFileIndexKey = "LyricFileIndex";

}  // namespace lf
