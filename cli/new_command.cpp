// lyricforge-cli new: a new project, optionally with music and lyrics.
#include <cstdio>
#include <filesystem>
#include <optional>

#include "cli/command.h"
#include "cli/lyrics_file_import.h"
#include "cli/project_compile.h"
#include "cli/song_project.h"
#include "core/platform/staged_output.h"

namespace lf::cli {
namespace {

int RunNew(const std::vector<std::string>& arguments) {
  Args args(arguments, {"--force"}, {"--music", "--lyrics"});
  const std::string path = args.Required("-o");
  if (!args.Positionals().empty()) throw CliError(kExitUsage, "unexpected argument " + args.Positionals()[0]);
  std::error_code ec;
  // A project there may hold hours of timing: it is replaced only when asked.
  if (std::filesystem::exists(std::filesystem::symlink_status(path, ec)) && !args.Flag("--force"))
    throw CliError(kExitOutput, path + " already exists (--force replaces it)");
  RefuseOutputClash({args.Option("--music").value_or(""), args.Option("--lyrics").value_or("")}, {path});

  std::string music;
  if (auto m = args.Option("--music")) {
    if (!std::filesystem::is_regular_file(*m, ec)) throw CliError(kExitInput, *m + ": no such music file");
    CheckMusicFile(*m);
    music = std::filesystem::absolute(*m, ec).lexically_normal().string();
  }
  std::optional<LyricsImport> lyrics;
  if (auto l = args.Option("--lyrics")) lyrics = ImportLyricsFileOrThrow(*l);

  if (std::string problem = OutputPathProblem(path); !problem.empty())
    throw CliError(kExitOutput, path + ": " + problem);
  const auto lock = LockSongProject(path, "new");
  Song& song = NewSongProject(path);
  if (!music.empty()) song.SetMusicPath(music);
  int linesPastMusic = 0;
  if (lyrics) ApplyLyricsImport(*lyrics, song, &linesPastMusic);
  SaveSongProject(song);
  if (linesPastMusic > 0) std::fprintf(stderr, "lyricforge-cli new: %s\n", LinesPastMusicText(linesPastMusic).c_str());
  return kExitOk;
}

}  // namespace

LF_CLI_COMMAND(new_project, "new", "new -o P.lfp [--music M] [--lyrics L] [--force]", RunNew);

}  // namespace lf::cli
