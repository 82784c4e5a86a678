#include "cli/song_music_analysis.h"

#include "cli/command.h"
#include "cli/project_compile.h"

namespace lf::cli {

std::shared_ptr<const MusicAnalysis> AnalyseSongMusic(Song& song, const std::string& folder) {
  if (song.MusicPath().empty()) throw CliError(kExitUsage, "the project has no music to listen to");
  if (song.Music().WorkingMusicPath().empty()) PrepareProjectMusic(song, folder);
  auto analysis = MusicAnalysisCache::Instance().Wait(song.Music().WorkingMusicPath());
  if (!analysis) throw CliError(kExitInput, song.MusicPath() + ": the music cannot be read");
  return analysis;
}

}  // namespace lf::cli
