// lyricforge-cli duration FILE: the playing time in milliseconds, as the
// program measures it (0 when it cannot tell the kind of file).
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/command.h"
#include "core/audio/music_preparation.h"

namespace lf::cli {

namespace {

int RunDuration(const std::vector<std::string>& arguments) {
  Args args(arguments, {}, {});
  const std::string& file = args.Positional(0, "FILE");
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) throw CliError(kExitInput, "cannot open " + file);
  std::printf("%lld\n", static_cast<long long>(GetMediaDuration(file, true)));
  return kExitOk;
}

}  // namespace

LF_CLI_COMMAND(duration, "duration", "duration FILE", RunDuration);

}  // namespace lf::cli
