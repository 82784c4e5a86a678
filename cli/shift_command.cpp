// lyricforge-cli shift: moves a run of words (from one word to another, or
// to the end) by a number of milliseconds, as Shift Times does.
#include <cmath>
#include <string>

#include "cli/command.h"
#include "cli/song_project.h"
#include "core/timing/time_shift.h"

namespace lf::cli {
namespace {

int RunShift(const std::vector<std::string>& arguments) {
  Args args(arguments, {}, {"--from", "--to", "--by"});
  const std::string& path = args.Positional(0, "project file");
  if (args.Positionals().size() > 1) throw CliError(kExitUsage, "unexpected argument " + args.Positionals()[1]);
  const double ms = args.Number("--by", NAN);
  if (!std::isfinite(ms) || std::floor(ms) != ms || std::fabs(ms) > 3600e3)
    throw CliError(kExitUsage, "--by takes whole milliseconds (negative: earlier)");
  Song& song = LoadSongProject(path);
  song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = false});
  const int from = WordIndexArgument(args.Required("--from"), song);
  const auto to = args.Option("--to");
  const int last = to ? WordIndexArgument(*to, song) : song.Lyrics().WordCount() - 1;
  if (last < from) throw CliError(kExitUsage, "--to comes before --from");
  const int rate = song.Music().SampleRate() > 0 ? song.Music().SampleRate() : kDefaultSampleRate;
  const Outcome shifted = ShiftWords(song, from, last, static_cast<int64_t>(std::llround(ms * rate / 1000.0)));
  if (!shifted) throw CliError(kExitFailure, shifted.text);
  SaveSongProject(song);
  return kExitOk;
}

}  // namespace

LF_CLI_COMMAND(shift, "shift", "shift P.lfp --from WORD [--to WORD] --by MS", RunShift);

}  // namespace lf::cli
