#pragma once
// Importing a lyric file: the one entry point that the desktop program's
// Import Lyrics command and lyricforge-cli share. It reads the file, picks the
// reader by extension and hands back the lyric text (UTF-8, lines ended by
// CR LF), the LRC timings, or the message for the front end to show.
#include <string>
#include <string_view>

#include "lyrics/lrc_file.h"
#include "platform/outcome.h"

namespace lf {

enum class LyricsFileKind { Text, Lrc, Midi, Unknown };

// The extension decides: ".txt", ".lrc", ".kar", ".mid" and ".midi" (the
// extension is compared in lower case, cut to four characters).
LyricsFileKind LyricsFileKindOf(const std::string& path);

inline constexpr const char* kLyricsImportCaption = "Lyricforge";
inline constexpr const char* kLyricsOpenError = "Error: Unable to open lyric file.";
inline constexpr const char* kLyricsMemoryError = "Error: Memory Allocation failed.";
inline constexpr const char* kLyricsNoLyricsError =
    "There was an error opening or reading the Lyrics file,\n"
    "or the Lyrics file contained no Lyrics.\n\n"
    "Please check the file and try again.";

// The result of an import: its outcome (NotHandled for a file that is no
// lyric file type, which is ignored without a message; NotFound with
// kLyricsOpenError; Failed with kLyricsMemoryError; BadInput with
// kLyricsNoLyricsError) and, when it worked, the lyrics.
struct LyricsImport {
  Outcome outcome;
  LyricsFileKind kind = LyricsFileKind::Unknown;
  std::string text;  // the lyrics
  LrcFile lrc;       // the timings of an .lrc file

  bool Ok() const { return outcome.Ok(); }
};

LyricsImport ImportLyricsFile(const std::string& path);

// The bytes of a text or LRC file as the readers take them: a UTF-16
// little-endian file (with its byte-order mark) or a UTF-8 file (with or
// without one) becomes UTF-8 text, anything else is read as Windows-1252;
// lines end in LF (CR LF and lone CRs are turned into LF); the text ends at a byte 1A (an old end-of-file mark) and
// holds no zero bytes.
std::string DecodeLyricsTextFile(std::string_view bytes);

}  // namespace lf
