#include "cli/lyrics_file_import.h"

#include "cli/command.h"

namespace lf::cli {

namespace {}  // namespace

LyricsImport ImportLyricsFileOrThrow(const std::string& path) {
  LyricsImport import = ImportLyricsFile(path);
  if (import.outcome.reason == Reason::NotHandled)
    throw CliError(kExitInput, path + ": not a lyrics file (.txt, .lrc, .kar, .mid, .midi)");
  if (!import.Ok()) throw CliError(kExitInput, path + ": " + OneLine(import.outcome.text));
  return import;
}

const char* LyricsFileKindName(LyricsFileKind kind) {
  switch (kind) {
    case LyricsFileKind::Text:
      return "text";
    case LyricsFileKind::Lrc:
      return "lrc";
    case LyricsFileKind::Midi:
      return "midi";
    case LyricsFileKind::Unknown:
      break;
  }
  return "unknown";
}

}  // namespace lf::cli
