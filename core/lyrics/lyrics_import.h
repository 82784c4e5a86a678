#pragma once
// Importing a lyric file: the one entry point that the desktop program's
// Import Lyrics command and lyricforge-cli share. It reads the file, picks the
// reader by the file's content (by its extension when the content does not
// tell) and hands back the lyric text (UTF-8, lines ended by LF, as the song
// keeps them), the LRC or other timings, or the message for the front end to
// show.
#include <string>
#include <string_view>

#include "core/lyrics/decode_lyrics_text.h"
#include "core/lyrics/lrc_file.h"
#include "core/lyrics/timed_lyrics.h"
#include "core/platform/outcome.h"

namespace lf {

enum class LyricsFileKind { Text, Lrc, Midi, Ass, UltraStar, Ttml, WebVtt, Srt, Unknown };

// The kind an extension names: ".txt", ".lrc", ".kar", ".mid" and ".midi",
// ".ass" and ".ssa", ".ttml", ".dfxp" and ".xml", ".vtt", ".srt" (the
// extension is compared in lower case, cut to four characters). A ".txt"
// file may still be UltraStar: ImportLyricsFile looks at the content first.
LyricsFileKind LyricsFileKindOf(const std::string& path);

inline constexpr const char* kLyricsImportCaption = "Lyricforge";
inline constexpr const char* kLyricsOpenError = "Error: Unable to open lyric file.";
inline constexpr const char* kLyricsMemoryError = "Error: Memory Allocation failed.";
// No song's words need more: a larger file is refused before it is read.
inline constexpr long kMaxLyricsFileBytes = 4L * 1024 * 1024;
inline constexpr const char* kLyricsTooLargeError =
    "The Lyrics file is larger than 4 MB, more than any song's words.\n\n"
    "Please check that this is the right file.";
inline constexpr const char* kLyricsNoLyricsError =
    "There was an error opening or reading the Lyrics file,\n"
    "or the Lyrics file contained no Lyrics.\n\n"
    "Please check the file and try again.";

// The message for a file refused at one line; `where` names the line and
// what is wrong with it ("line 3: ...").
std::string LyricsLineError(const std::string& where);

// The result of an import: its outcome (NotHandled for a file that is no
// lyric file type, which is ignored without a message; NotFound with
// kLyricsOpenError (also for what is not a regular file); Failed with
// kLyricsMemoryError; BadInput with kLyricsTooLargeError for a file over
// kMaxLyricsFileBytes, with kLyricsNoLyricsError, LyricsLineError for an
// unreadable LRC line, or the one line of a timed format's reader, which
// names the file, the format and the line) and, when it worked, the lyrics.
struct LyricsImport {
  Outcome outcome;
  LyricsFileKind kind = LyricsFileKind::Unknown;
  std::string text;        // the lyrics
  LrcFile lrc;             // the timings of an .lrc file
  TimedLyrics timed;       // the lines, words, times and singers of the other timed formats
  bool namesFile = false;  // the outcome's text names the file already

  bool Ok() const { return outcome.Ok(); }
  // Read into `timed`, and put into the song by ApplyTimedLyrics.
  bool IsTimed() const {
    return kind != LyricsFileKind::Text && kind != LyricsFileKind::Lrc && kind != LyricsFileKind::Unknown;
  }
};

LyricsImport ImportLyricsFile(const std::string& path);

}  // namespace lf
