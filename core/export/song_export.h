#pragma once
// One export of the song, as the Export command and `lyricforge-cli export`
// run it: lay out the lines, compile the whole song, then run the BIN, the
// audio or the video pipeline on the song's output buffer.
#include <optional>
#include <string>

#include "core/export/audio_export.h"
#include "core/export/bin_export.h"
#include "core/export/export_choices.h"
#include "core/export/lrc_writer.h"
#include "core/export/lyric_file_export.h"
#include "core/export/video_export.h"

namespace lf {

class Song;

struct SongExportRequest {
  ExportType type = ExportType::Mp3G;
  std::string outputPath;
  int bitRate = kDefaultExportBitRate;  // MP3 kbit/s, or the WMA rate (mapped to a profile)
  bool zip = false;
  LrcStyle lrc = LrcStyle::None;
  VideoOptions video;          // MP4 only
  LyricFileOptions lyricFile;  // the lyric and subtitle files only
  // Normalise loudness: the music measured first, then encoded with the gain
  // that brings it to this many LUFS (never past the true-peak ceiling).
  // None: the music keeps its own level.
  std::optional<double> loudnessTarget = std::nullopt;
};

// The song must have its working music set (SetWorkingMusicPath, after music
// preparation). BIN is refused, with the dialog's "BIN not allowed" text, for
// music that is not 44,100 Hz 16-bit stereo. A song with words timed past
// the end of its music is refused (BadInput, naming the first such word):
// the export never lengthens the music to reach them.
ExportOutcome ExportSong(Song& song, const SongExportRequest& request, const AudioExportServices& services,
                         ProgressSink& progress);

}  // namespace lf
