// lyricforge-cli place: times the words as taps at given moments would, by
// the rules of the Place Lyrics page (a tap log replayed, or times from
// another tool).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/command.h"
#include "cli/song_music_analysis.h"
#include "cli/song_project.h"
#include "core/platform/paths.h"
#include "core/song/music_bounds.h"
#include "core/timing/line_first_timing.h"
#include "core/timing/lyric_placement.h"

namespace lf::cli {
namespace {

// Seconds as sample frames; a usage error for anything but a time from 0 to
// the end of the music (`latest`, 0 when the music's length is not known).
SampleTime Frames(const std::string& text, int rate, SampleTime latest) {
  char* end = nullptr;
  const double seconds = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !(seconds >= 0) || seconds > 3600 * 12)
    throw CliError(kExitUsage, "'" + text + "' is not a time in seconds");
  const auto frames = static_cast<SampleTime>(seconds * rate);
  if (latest > 0 && frames > latest) {
    char limit[32];
    std::snprintf(limit, sizeof limit, "%.2f", static_cast<double>(latest) / rate);
    throw CliError(kExitUsage, "'" + text + "' is past the end of the music (taps go up to " + limit + " s)");
  }
  return frames;
}

// Line taps: "START" or "START,END" each, in seconds.
std::vector<LineTap> LineTaps(const std::vector<std::string>& taps, int rate, SampleTime latest) {
  std::vector<LineTap> lineTaps;
  for (size_t i = 1; i < taps.size(); ++i) {
    const std::string& tap = taps[i];
    const size_t comma = tap.find(',');
    LineTap line{Frames(tap.substr(0, comma), rate, latest), 0};
    if (comma != std::string::npos) line.end = Frames(tap.substr(comma + 1), rate, latest);
    lineTaps.push_back(line);
  }
  return lineTaps;
}

// Times whole lines from their first words' taps, listening to the music when
// there is some.
void PlaceLines(Song& song, const std::vector<LineTap>& taps, int rate) {
  song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = false});
  VoicePart voice;
  ScopedTempFolder folder("lyricforge-place");
  if (!song.MusicPath().empty()) voice = AnalyseSongMusic(song, folder.Path())->voice;
  const Outcome timed = TimeLinesFromTaps(song, taps, voice, rate);
  if (!timed) throw CliError(kExitUsage, timed.text);
}

int RunPlace(const std::vector<std::string>& arguments) {
  Args args(arguments, {"--lines"}, {});
  const std::string& path = args.Positional(0, "project file");
  if (args.Positionals().size() < 2) throw CliError(kExitUsage, "no taps given");
  Song& song = LoadSongProject(path);
  const int rate = song.Music().SampleRate();
  // Taps count frames at the song's rate; the music's length is measured at its own.
  const MusicSpan music = SongMusicSpan(song);
  const SampleTime latest =
      music.Known() ? MusicSpan{rate, music.frames * rate / music.sampleRate}.LatestWordTime() : 0;
  if (args.Flag("--lines")) {
    PlaceLines(song, LineTaps(args.Positionals(), rate, latest), rate);
    SaveSongProject(song);
    return kExitOk;
  }
  LyricPlacement placement(song);
  placement.Open();
  for (size_t i = 1; i < args.Positionals().size(); ++i) {
    const std::string& tap = args.Positionals()[i];
    if (tap == "back")
      placement.StepBack();
    else if (tap.rfind("pause:", 0) == 0)
      placement.PauseSweep(Frames(tap.substr(6), rate, latest));
    else
      placement.PlaceWord(Frames(tap, rate, latest));
  }
  placement.EndPlacement(rate);
  SaveSongProject(song);
  return kExitOk;
}

}  // namespace

LF_CLI_COMMAND(place, "place",
               "place P.lfp TAP... (SECONDS, pause:SECONDS or back) | place P.lfp --lines START[,END]...", RunPlace);

}  // namespace lf::cli
