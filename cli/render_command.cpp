// render: the screen a player shows at a position of a packet stream, as PNG.
#include <cctype>
#include <cmath>
#include <string>

#include "cli/command.h"
#include "cli/project_compile.h"
#include "cli/song_project.h"
#include "core/cdg/cdg_stream_file.h"
#include "core/platform/paths.h"
#include "core/playback/png_writer.h"
#include "core/playback/rw_renderer.h"
#include "core/playback/stream_decode.h"

namespace lf::cli {

namespace {

constexpr int kMaxScale = 16;

bool EndsWith(const std::string& s, const std::string& suffix) {
  if (s.size() < suffix.size()) return false;
  for (size_t i = 0; i < suffix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(s[s.size() - suffix.size() + i])) != suffix[i]) return false;
  return true;
}

int RunRender(const std::vector<std::string>& argv) {
  Args args(argv, {}, {"--at", "--scale"});
  const std::string input = args.Positional(0, "input file");
  const std::string output = args.Required("-o");
  const double at = args.Number("--at", NAN);
  if (!std::isfinite(at) || at < 0) throw CliError(kExitUsage, "--at takes a time in seconds, 0 or more");
  const double scale = args.Number("--scale", 1);
  if (scale != std::floor(scale) || scale < 1 || scale > kMaxScale)
    throw CliError(kExitUsage, "--scale takes a whole number from 1 to " + std::to_string(kMaxScale));

  CdgRenderer renderer;
  if (EndsWith(input, ".lfp")) {
    // A project is compiled whole, then played up to the position.
    Song& song = LoadSongProject(input);
    RefuseOutputClash({input, song.MusicPath()}, {output});
    ScopedTempFolder folder("lyricforge-cli");
    const SongBuild compiled = CompileProject(song, folder.Path());
    DecodeStreamPrefix(renderer, compiled.stream->data(), compiled.result.endOffset, SlotsBefore(at));
  } else {
    RefuseOutputClash({input}, {output});
    CdgStreamFile stream;
    if (CdgReadResult read = ReadCdgStreamFile(input, stream); !read) throw CliError(kExitInput, read.message);
    DecodeStreamPrefix(renderer, stream.bytes.data(), stream.bytes.size(), SlotsBefore(at));
  }
  std::string error;
  if (!WritePng(output, renderer.DisplayColors(), kScreenWidth, kScreenHeight, static_cast<int>(scale), error))
    throw CliError(kExitOutput, error);
  return kExitOk;
}

}  // namespace

LF_CLI_COMMAND(render, "render", "render IN.cdg|P.lfp --at SECONDS -o FRAME.png [--scale N]", RunRender);

}  // namespace lf::cli
