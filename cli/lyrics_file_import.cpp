#include "cli/lyrics_file_import.h"

#include "cli/command.h"

namespace lf::cli {

namespace {}  // namespace

LyricsImport ImportLyricsFileOrThrow(const std::string& path) {
  LyricsImport import = ImportLyricsFile(path);
  if (import.outcome.reason == Reason::NotHandled)
    throw CliError(
        kExitInput,
        path + ": not a lyrics file (.txt, .lrc, .kar, .mid, .midi, .ass, .ssa, .ttml, .vtt, .srt, UltraStar)");
  if (!import.Ok()) throw CliError(kExitInput, (import.namesFile ? "" : path + ": ") + OneLine(import.outcome.text));
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
    case LyricsFileKind::Ass:
      return "ass";
    case LyricsFileKind::UltraStar:
      return "ultrastar";
    case LyricsFileKind::Ttml:
      return "ttml";
    case LyricsFileKind::WebVtt:
      return "vtt";
    case LyricsFileKind::Srt:
      return "srt";
    case LyricsFileKind::Unknown:
      break;
  }
  return "unknown";
}

}  // namespace lf::cli
