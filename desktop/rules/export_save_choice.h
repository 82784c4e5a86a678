#pragma once
// The save dialog that names an export's output, by export type and zip, and
// which of the export dialog's options go with each type.
#include <string>

#include "core/export/export_choices.h"
#include "core/export/lrc_writer.h"
#include "desktop/rules/music_file_filters.h"

namespace lf {

struct ExportSaveChoice {
  const char* title;
  FileFilter filter;
  const char* suffix;  // without the dot
  const char* progressCaption;
};

ExportSaveChoice ExportSaveChoiceFor(ExportType type, bool zip);

// Where the save dialog opens: a lyric or subtitle file beside the music,
// named after it ("/songs/Song.wav" -> "/songs/", "Song.ass"); the other
// exports in `lastFolder`, unnamed.
struct ExportSaveLocation {
  std::string folder;
  std::string name;
};
ExportSaveLocation ExportSaveLocationFor(ExportType type, const std::string& musicPath, const std::string& lastFolder);

// Which of the export dialog's options apply to `type`.
struct ExportOptionStates {
  bool lrcFile = false;   // "Create Lyric File": the audio pairs' extra .lrc
  bool lrcStyle = false;  // Simple / Enhanced
  bool zip = false;
  bool timing = false;     // music or exported audio timeline
  bool sweep = false;      // ASS {\kf}
  bool sungPitch = false;  // UltraStar notes at the pitch the music sings
};
ExportOptionStates ExportOptionStatesFor(ExportType type, bool lrcFileChecked);

// The LRC style the dialog's choices ask for: an LRC export is always one,
// an audio pair's only with its lyric file checked.
LrcStyle ExportLrcStyle(ExportType type, bool lrcFileChecked, bool simpleChecked);

}  // namespace lf
