// compile: a project's whole song as a .cdg packet stream.
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/json.h"
#include "cli/project_compile.h"
#include "cli/song_project.h"
#include "core/platform/paths.h"
#include "core/platform/staged_output.h"

namespace lf::cli {

namespace {

// Written under a temporary name and renamed, so a failure leaves no partial stream.
void WriteStream(const std::string& path, const uint8_t* data, size_t size) {
  if (std::string problem = OutputPathProblem(path); !problem.empty())
    throw CliError(kExitOutput, path + ": " + problem);
  StagedOutput staged(path);
  FILE* file = staged.OpenStream("wb");
  if (!file) throw CliError(kExitOutput, path + ": cannot be created");
  const bool written = std::fwrite(data, 1, size, file) == size;
  if (std::fclose(file) != 0 || !written) throw CliError(kExitOutput, path + ": cannot be written");
  std::string error;
  if (!staged.Commit(&error)) throw CliError(kExitOutput, path + ": " + error);
}

int RunCompile(const std::vector<std::string>& argv) {
  Args args(argv, {"--json"}, {});
  const std::string project = args.Positional(0, "project file");
  const std::string output = args.Required("-o");

  Song& song = LoadSongProject(project);
  RefuseOutputClash({project, song.MusicPath()}, {output});
  ScopedTempFolder folder("lyricforge-cli");
  const SongBuild compiled = CompileProject(song, folder.Path());
  WriteStream(output, compiled.stream->data(), compiled.result.endOffset);

  if (args.Flag("--json")) {
    JsonWriter json;
    json.BeginObject()
        .Field("leadIn", static_cast<int64_t>(compiled.result.leadIn))
        .Field("endOffset", static_cast<int64_t>(compiled.result.endOffset))
        .Field("introLength", static_cast<int64_t>(song.Music().IntroLength()))
        .Field("creditsLength", static_cast<int64_t>(song.Music().CreditsLength()))
        .Field("output", output)
        .EndObject();
    std::printf("%s\n", json.Text().c_str());
  } else {
    std::printf(
        "%s: %u bytes (%.2f s), lead-in %d frames; it plays in step with exported audio "
        "(export), not with the original music\n",
        output.c_str(), compiled.result.endOffset, compiled.result.endOffset / double(kStreamBytesPerSecond),
        compiled.result.leadIn);
  }
  return kExitOk;
}

}  // namespace

LF_CLI_COMMAND(compile, "compile", "compile P.lfp -o OUT.cdg [--json]", RunCompile);

}  // namespace lf::cli
