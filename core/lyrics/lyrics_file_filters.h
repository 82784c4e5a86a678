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

inline constexpr std::array<LyricsFileFilter, 9> kLyricsFileFilters = {{
    {"All File Types (*.txt,*.lrc,*.kar,*.midi,*.ass,*.ttml,*.vtt,*.srt)",
     "*.txt;*.lrc;*.kar;*.mid;*.midi;*.ass;*.ssa;*.ttml;*.dfxp;*.xml;*.vtt;*.srt"},
    {"Text Files (*.txt)", "*.txt"},
    {"Lyric Files (*.lrc)", "*.lrc"},
    {"MIDI Karaoke Files (*.kar,*.midi)", "*.kar;*.mid;*.midi"},
    {"ASS Karaoke Subtitles (*.ass,*.ssa)", "*.ass;*.ssa"},
    {"UltraStar Songs (*.txt)", "*.txt"},
    {"TTML Lyrics (*.ttml,*.xml)", "*.ttml;*.dfxp;*.xml"},
    {"WebVTT Captions (*.vtt)", "*.vtt"},
    {"SRT Subtitles (*.srt)", "*.srt"},
}};

// Settings ("Settings" group): the filter last chosen, 0 by default.
inline constexpr std::string_view kLyricFileIndexKey = "LyricFileIndex";

}  // namespace lf
