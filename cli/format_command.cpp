// lyricforge-cli format: the lyrics editor's case commands on a project's
// whole lyrics, for authors working without the desktop program.
#include <map>

#include "cli/command.h"
#include "cli/song_project.h"
#include "core/lyrics/format_lyrics_text.h"

namespace lf::cli {
namespace {

int RunFormat(const std::vector<std::string>& arguments) {
  Args args(arguments, {}, {});
  const std::string projectPath = args.Positional(0, "project");
  const std::string name = args.Positional(1, "case command");
  static const std::map<std::string, FormatCommand> kCommands = {{"capitalize", FormatCommand::Capitalize},
                                                                 {"lowercase", FormatCommand::Lowercase},
                                                                 {"first-word", FormatCommand::CapitalizeFirstWord}};
  const auto command = kCommands.find(name);
  if (command == kCommands.end())
    throw CliError(kExitUsage, "the case command is capitalize, lowercase or first-word, not " + name);
  const auto lock = LockSongProject(projectPath, "format");
  Song& song = LoadSongProject(projectPath);
  song.Lyrics().SetRawLyrics(FormatLyricsText(song.Lyrics().RawLyrics(), 0, 0, command->second));
  song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = true});
  SaveSongProject(song);
  return kExitOk;
}

}  // namespace

LF_CLI_COMMAND(format, "format", "format P.lfp capitalize|lowercase|first-word", RunFormat);

}  // namespace lf::cli
