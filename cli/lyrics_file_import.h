#pragma once
// The lyric file import as the project commands use it (import, new --lyrics).
#include <string>

#include "core/lyrics/apply_lyrics_import.h"
#include "core/lyrics/lyrics_import.h"

namespace lf::cli {

// Imports `path`; a file that gives no lyrics throws with the import's own
// message on one line.
LyricsImport ImportLyricsFileOrThrow(const std::string& path);

const char* LyricsFileKindName(LyricsFileKind kind);

}  // namespace lf::cli
