#pragma once
// The look over a song before it is exported: every word timed, in order and
// on the screen in time to be read, every line inside the screen, the
// highlight slow enough to follow, the graphics as long as the audio, the
// words within the music and the pictures whole in 16 colours.
#include <optional>

#include "core/platform/settings.h"
#include "core/song/song_problem.h"

namespace lf {

class Song;

// The kinds of problem the check finds (SongProblem::kind).
namespace check_kind {
inline constexpr const char* kUntimed = "untimed";  // a word never highlighted, or a line never shown
inline constexpr const char* kOutOfOrder =
    "out-of-order";  // starts before the word before it, or ends before it starts (error)
inline constexpr const char* kOverlap = "overlap";              // starts before the word before it ends
inline constexpr const char* kBeforeShown = "before-shown";     // sung before its line is on the screen (error)
inline constexpr const char* kShownLate = "shown-late";         // sung less than kReadingSeconds after its line appears
inline constexpr const char* kTooWide = "too-wide";             // a line wider than the screen
inline constexpr const char* kClipped = "clipped";              // a line reaching into the border
inline constexpr const char* kTooManyLines = "too-many-lines";  // more lines on a page than its rows hold
inline constexpr const char* kTooFast = "too-fast";             // a highlight faster than can be read
inline constexpr const char* kPastMusic = "past-music";         // a word timed after the music ends (error)
inline constexpr const char* kStreamShort = "stream-short";     // the graphics end before the audio (error)
inline constexpr const char* kPictureColours = "picture-colours";  // a picture losing detail to 16 colours
inline constexpr const char* kDuetInSolo = "duet-in-solo";         // singer-2 marks in a solo song, sung as singer 1's
}  // namespace check_kind

// A line must be on the screen this long before its first word is sung.
inline constexpr double kReadingSeconds = 1.0;

// The settings the check reads ("Settings" group).
inline constexpr const char* kFastestSweepKey = "CheckFastestSweep";
inline constexpr int kDefaultFastestSweep = 30;  // characters a second a highlight may cross

struct CheckSettings {
  double fastestSweep = kDefaultFastestSweep;
};
CheckSettings CheckSettingsFrom(const SettingsStore& settings);

// Looks the song over as its export would draw and play it. The lines must
// be laid out (GenerateKaraokeLineList, markers converted); the rules about
// the music need its working music measured, and are left out without it.
// Problems come in the order of their lines; those of the whole song last.
SongProblems CheckSong(const Song& song, const CheckSettings& settings = {});

// The first word timed past the end of the working music; none when every
// word is within it or the music is not measured.
std::optional<SongProblem> FirstWordPastTheMusic(const Song& song);

}  // namespace lf
