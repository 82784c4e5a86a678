// lyricforge-cli align: an automatic first pass over a song's words (English):
// where a speech recogniser, allowed only the song's words in order, hears each.
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/project_compile.h"
#include "cli/song_project.h"
#include "core/platform/paths.h"
#include "core/timing/speech_alignment.h"

namespace lf::cli {
namespace {

int RunAlign(const std::vector<std::string>& arguments) {
  Args args(arguments, {"--replace"}, {});
  const std::string& path = args.Positional(0, "project file");
  if (args.Positionals().size() > 1) throw CliError(kExitUsage, "unexpected argument " + args.Positionals()[1]);
  Song& song = LoadSongProject(path);
  if (song.MusicPath().empty()) throw CliError(kExitUsage, "the project has no music to listen to");
  song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = false});
  if (song.Lyrics().WordCount() == 0) throw CliError(kExitUsage, "the project has no words to time");
  ScopedTempFolder folder("lyricforge-align");
  PrepareProjectMusic(song, folder.Path());
  const AlignResult aligned = AlignLyricsToSpeech(song, song.Music().WorkingMusicPath(), DefaultSpeechModel(),
                                                  {.replaceTimed = args.Flag("--replace")});
  if (!aligned.outcome)
    throw CliError(aligned.outcome.reason == Reason::NotFound ? kExitInput : kExitFailure, aligned.outcome.text);
  SaveSongProject(song);
  std::printf("%d words heard, %d spread between them, %d not in the dictionary; all marked for review\n",
              aligned.found, aligned.spread, aligned.unknown);
  return kExitOk;
}

}  // namespace

LF_CLI_COMMAND(align, "align", "align P.lfp [--replace]", RunAlign);

}  // namespace lf::cli
