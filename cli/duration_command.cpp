// lyricforge-cli duration FILE: the playing time in milliseconds, as the
// program measures it (0 when it cannot tell the kind of file; an input
// error for a music file that does not open as music).
#include <cctype>
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
  const int64_t ms = GetMediaDuration(file, true);
  // Nothing measured in a file named as music: it is no music unless it opens as such.
  std::string extension = std::filesystem::path(file).extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const bool named = extension == ".wav" || extension == ".mp3" || extension == ".wma" || extension == ".m4a";
  if (ms == 0 && named && !HasReadableAudio(file)) throw CliError(kExitInput, file + ": not music that can be read");
  std::printf("%lld\n", static_cast<long long>(ms));
  return kExitOk;
}

}  // namespace

LF_CLI_COMMAND(duration, "duration", "duration FILE", RunDuration);

}  // namespace lf::cli
