// lyricforge-cli nudge: moves one word's start or end by the adjust step, or
// snaps its start onto the music, by the rules of the Adjust Lyrics page.
#include <string>

#include "cli/command.h"
#include "cli/song_music_analysis.h"
#include "cli/song_project.h"
#include "core/platform/paths.h"
#include "core/timing/onset_snap.h"
#include "core/timing/word_nudge.h"

namespace lf::cli {
namespace {

int RunNudge(const std::vector<std::string>& arguments) {
  Args args(arguments, {}, {});
  const std::string& path = args.Positional(0, "project file");
  Song& song = LoadSongProject(path);
  song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = false});
  const int word = WordIndexArgument(args.Positional(1, "word index"), song);
  if (args.Positionals().size() < 3) throw CliError(kExitUsage, "no moves given");
  const SampleTime step = AdjustStepFrames(song.Look().Settings(), song.Music().SampleRate());
  ScopedTempFolder folder("lyricforge-nudge");
  for (size_t i = 2; i < args.Positionals().size(); ++i) {
    const std::string& move = args.Positionals()[i];
    if (move == "start+")
      NudgeStartLater(song, word, step);
    else if (move == "start-")
      NudgeStartEarlier(song, word, step);
    else if (move == "end+")
      NudgeEndLater(song, word, step);
    else if (move == "end-")
      NudgeEndEarlier(song, word, step);
    else if (move == "snap") {
      const auto analysis = AnalyseSongMusic(song, folder.Path());
      if (!SnapWordStart(song, word, analysis->onsets, analysis->sampleRate))
        throw CliError(kExitFailure, "no onset within 150 ms of word " + std::to_string(word) + "'s start");
    } else {
      throw CliError(kExitUsage, "'" + move + "' is not a move (start+, start-, end+, end- or snap)");
    }
  }
  SaveSongProject(song);
  return kExitOk;
}

}  // namespace

LF_CLI_COMMAND(nudge, "nudge", "nudge P.lfp WORD MOVE... (start+, start-, end+, end- or snap)", RunNudge);

}  // namespace lf::cli
