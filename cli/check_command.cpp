// lyricforge-cli check: what would stand in the way of a good export, as the
// desktop program lists it before exporting.
#include <cstdio>

#include "cli/command.h"
#include "cli/json.h"
#include "cli/project_compile.h"
#include "cli/song_music_analysis.h"
#include "cli/song_project.h"
#include "core/export/song_check.h"
#include "core/platform/paths.h"
#include "core/timing/word_confidence.h"

namespace lf::cli {
namespace {

void PrintJson(const SongProblems& problems) {
  JsonWriter json;
  json.BeginObject().Key("problems").BeginArray();
  for (const SongProblem& p : problems) {
    json.BeginObject().Field("severity", SeverityName(p.severity)).Field("kind", p.kind);
    if (p.line >= 0) json.Field("line", p.line);
    if (p.word >= 0) json.Field("word", p.word);
    json.Field("message", p.message).EndObject();
  }
  json.EndArray().EndObject();
  std::printf("%s\n", json.Text().c_str());
}

void PrintText(const SongProblems& problems) {
  for (const SongProblem& p : problems)
    std::printf("%s %s, %s: %s\n", SeverityName(p.severity), p.kind.c_str(), ProblemPlace(p).c_str(),
                p.message.c_str());
}

int RunCheck(const std::vector<std::string>& arguments) {
  Args args(arguments, {"--json"}, {});
  const std::string& project = args.Positional(0, "project file");
  if (args.Positionals().size() > 1) throw CliError(kExitUsage, "unexpected argument " + args.Positionals()[1]);
  Song& song = LoadSongProject(project);
  // The music is measured where it lies, as export reads it.
  ScopedTempFolder folder("lyricforge-check");
  if (!song.MusicPath().empty()) PrepareProjectMusic(song, folder.Path(), true);
  song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = true});
  SongProblems problems = CheckSong(song, CheckSettingsFrom(AppSettings()));
  if (!song.MusicPath().empty() && song.Lyrics().AnyWordPlaced()) {
    const auto analysis = AnalyseSongMusic(song, folder.Path());
    AddUnsureWords(problems, song.Lyrics(), RateWordTimes(song.Lyrics(), analysis->voice, analysis->sampleRate));
  }
  if (args.Flag("--json"))
    PrintJson(problems);
  else
    PrintText(problems);
  return HasErrors(problems) ? kExitFailure : kExitOk;
}

}  // namespace

LF_CLI_COMMAND(check, "check", "check P.lfp [--json]", RunCheck);

}  // namespace lf::cli
