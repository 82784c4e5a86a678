// lyricforge-cli info: a project's settings and what its lyrics hold.
#include <cstdio>

#include "cli/command.h"
#include "cli/json.h"
#include "cli/song_project.h"

namespace lf::cli {
namespace {

struct ProjectSummary {
  int version = 0;
  int pages = 0;
  int placedWords = 0;
};

ProjectSummary Summarise(const Song& song, int version) {
  ProjectSummary s;
  s.version = version;
  s.pages = song.Lyrics().LineCount() > 0 ? song.Lyrics().LastPage() + 1 : 0;
  for (int i = 0; i < song.Lyrics().WordCount(); ++i)
    if (song.Lyrics().Word(i)->IsPlaced()) ++s.placedWords;
  return s;
}

int RunInfo(const std::vector<std::string>& arguments) {
  Args args(arguments, {"--json"}, {});
  const std::string& path = args.Positional(0, "project file");
  const Song& song = LoadSongProject(path);
  const int version = ProjectFileVersion(path);  // the file's own, before loading made it current
  const ProjectSummary s = Summarise(song, version);

  if (args.Flag("--json")) {
    JsonWriter json;
    json.BeginObject()
        .Field("version", s.version)
        .Field("singerMode", song.Look().SingerMode())
        .Field("linesPerPage", song.Look().LinesPerPage())
        .Field("pages", s.pages)
        .Field("lines", song.Lyrics().LineCount())
        .Field("words", song.Lyrics().WordCount())
        .Field("placedWords", s.placedWords)
        .Field("musicPath", song.MusicPath())
        .Field("artist", song.Lyrics().Artist())
        .Field("title", song.Lyrics().Title())
        .EndObject();
    std::printf("%s\n", json.Text().c_str());
    return kExitOk;
  }
  std::printf("version: %d\n", s.version);
  std::printf("singer mode: %d (%s)\n", song.Look().SingerMode(), song.Look().IsDuet() ? "duet" : "solo");
  std::printf("lines per page: %d\n", song.Look().LinesPerPage());
  std::printf("pages: %d\n", s.pages);
  std::printf("lines: %d\n", song.Lyrics().LineCount());
  std::printf("words: %d\n", song.Lyrics().WordCount());
  std::printf("placed words: %d\n", s.placedWords);
  std::printf("music: %s\n", song.MusicPath().c_str());
  std::printf("artist: %s\n", song.Lyrics().Artist().c_str());
  std::printf("title: %s\n", song.Lyrics().Title().c_str());
  return kExitOk;
}

}  // namespace

LF_CLI_COMMAND(info, "info", "info P.lfp [--json]", RunInfo);

}  // namespace lf::cli
