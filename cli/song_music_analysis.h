#pragma once
// The onsets of a project's music, for the commands that time words by ear
// (`nudge ... snap`, `snap`, `place --lines`, `check`).
#include <memory>
#include <string>

#include "core/song/song.h"
#include "core/timing/music_analysis.h"

namespace lf::cli {

// The analysis of the song's working music, prepared into `folder` first
// when there is none. Throws a CliError when the song has no music or it
// cannot be read.
std::shared_ptr<const MusicAnalysis> AnalyseSongMusic(Song& song, const std::string& folder);

}  // namespace lf::cli
