// lyricforge-cli snap: moves every timed word's start onto the voice onset
// nearest it, words kept in order, as one step.
#include <cmath>
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/song_music_analysis.h"
#include "cli/song_project.h"
#include "core/platform/paths.h"
#include "core/timing/voice_snap.h"

namespace lf::cli {
namespace {

int RunSnap(const std::vector<std::string>& arguments) {
  Args args(arguments, {}, {"--window"});
  const std::string& path = args.Positional(0, "project file");
  if (args.Positionals().size() > 1) throw CliError(kExitUsage, "unexpected argument " + args.Positionals()[1]);
  const double window = args.Number("--window", kDefaultSnapWindowMs);
  if (!(window >= 10 && window <= 1000) || std::floor(window) != window)
    throw CliError(kExitUsage, "--window takes whole milliseconds from 10 to 1000");
  Song& song = LoadSongProject(path);
  song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = false});
  if (!song.Lyrics().AnyWordPlaced()) throw CliError(kExitFailure, "no word is timed yet: nothing to snap");
  ScopedTempFolder folder("lyricforge-snap");
  const auto analysis = AnalyseSongMusic(song, folder.Path());
  int snapped = 0;
  {
    TimingEdit edit(song, "Snap to Voice");
    // Taps are kept where no onset is near: nothing is spread again.
    snapped = SnapWordsToVoice(song, 0, song.Lyrics().WordCount() - 1, analysis->voice.onsets, analysis->sampleRate,
                               {.windowMs = static_cast<int>(window), .respreadUnsnapped = false, .anchored = {}});
    song.SetModified(true);
  }
  SaveSongProject(song);
  std::printf("%d of %d words moved onto the voice\n", snapped, song.Lyrics().WordCount());
  return kExitOk;
}

}  // namespace

LF_CLI_COMMAND(snap, "snap", "snap P.lfp [--window MS]", RunSnap);

}  // namespace lf::cli
