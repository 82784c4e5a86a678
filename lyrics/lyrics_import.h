#pragma once
// Importing a lyric file: the one entry point that the desktop program's
// Import Lyrics command and lyricforge-cli share. It reads the file, picks the
// reader by extension and hands back the lyric text (UTF-8, lines ended by
// CR LF), the LRC timings, or the message to show.
#include <string>
#include <string_view>

#include "lyrics/lrc_file.h"
#include "platform/message_sink.h"

namespace lf {

enum class LyricsFileKind { Text, Lrc, Midi, Unknown };

// The extension decides: ".txt", ".lrc", ".kar", ".mid" and ".midi" (the
// extension is compared in lower case, cut to four characters).
LyricsFileKind LyricsFileKindOf(const std::string& path);

inline constexpr const char* kLyricsOpenError = "Error: Unable to open lyric file.";
inline constexpr const char* kLyricsMemoryError = "Error: Memory Allocation failed.";
inline constexpr const char* kLyricsNoLyricsError =
    "There was an error opening or reading the Lyrics file,\n"
    "or the Lyrics file contained no Lyrics.\n\n"
    "Please check the file and try again.";

struct LyricsImport {
  enum class Status {
    Ok,          // `text` holds the lyrics; `lrc` the timings of an .lrc file
    Ignored,     // not a lyric file type: nothing happens, no message
    OpenFailed,  // kLyricsOpenError, warning icon
    NoMemory,    // kLyricsMemoryError, warning icon
    NoLyrics,    // kLyricsNoLyricsError, error icon
  };
  Status status = Status::Ignored;
  LyricsFileKind kind = LyricsFileKind::Unknown;
  std::string text;
  LrcFile lrc;
  std::string error;  // the message to show; empty for Ok and Ignored
  MessageIcon icon = MessageIcon::None;

  bool Ok() const { return status == Status::Ok; }
};

LyricsImport ImportLyricsFile(const std::string& path);

// The bytes of a text or LRC file as the readers take them: a UTF-16
// little-endian file (with its byte-order mark) or a UTF-8 file (with or
// without one) becomes UTF-8 text, anything else is read as Windows-1252;
// lines end in LF (CR LF and lone CRs are turned into LF); the text ends at a byte 1A (an old end-of-file mark) and
// holds no zero bytes.
std::string DecodeLyricsTextFile(std::string_view bytes);

}  // namespace lf
