// lyricforge-cli import: lyrics from a text, LRC, MIDI, ASS, UltraStar, TTML, WebVTT or SRT file into a
// project, which is created when it does not exist yet.
#include <cstdio>
#include <filesystem>

#include "cli/command.h"
#include "cli/json.h"
#include "cli/lyrics_file_import.h"
#include "cli/song_project.h"

namespace lf::cli {
namespace {

int RunImport(const std::vector<std::string>& arguments) {
  Args args(arguments, {"--json"}, {});
  const std::string lyricsPath = args.Positional(0, "lyrics file");
  if (args.Positionals().size() > 1) throw CliError(kExitUsage, "unexpected argument " + args.Positionals()[1]);
  const std::string projectPath = args.Required("-o");

  RefuseOutputClash({lyricsPath}, {projectPath});
  // Read the lyrics first: a bad file must leave the project untouched.
  const LyricsImport import = ImportLyricsFileOrThrow(lyricsPath);
  const auto lock = LockSongProject(projectPath, "import");
  std::error_code ec;
  Song& song = std::filesystem::exists(projectPath, ec) ? LoadSongProject(projectPath) : NewSongProject(projectPath);
  int linesPastMusic = 0;
  ApplyLyricsImport(import, song, &linesPastMusic);
  SaveSongProject(song);
  if (linesPastMusic > 0)
    std::fprintf(stderr, "lyricforge-cli import: %s\n", LinesPastMusicText(linesPastMusic).c_str());

  if (args.Flag("--json")) {
    int placed = 0;
    for (int i = 0; i < song.Lyrics().WordCount(); ++i) placed += song.Lyrics().Word(i)->IsPlaced() ? 1 : 0;
    JsonWriter json;
    json.BeginObject()
        .Field("kind", LyricsFileKindName(import.kind))
        .Field("lines", song.Lyrics().LineCount())
        .Field("words", song.Lyrics().WordCount())
        .Field("placedWords", placed)
        .Field("lrcLines", static_cast<int>(import.lrc.lines.size()))
        .EndObject();
    std::printf("%s\n", json.Text().c_str());
  }
  return kExitOk;
}

}  // namespace

LF_CLI_COMMAND(import_lyrics, "import", "import L -o P.lfp [--json]", RunImport);

}  // namespace lf::cli
