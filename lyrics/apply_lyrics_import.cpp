#include "lyrics/apply_lyrics_import.h"

#include "lyrics/apply_lrc_timings.h"

namespace lf {

namespace {

// The readers end lines with CR LF; the song keeps its lines apart with LF.
std::string WithLfLineEnds(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return out;
}

}  // namespace

bool ApplyLyricsImport(const LyricsImport& import, MSongSettings& song) {
  if (!import.Ok() || import.text.empty()) return false;
  song.SetRawLyrics(WithLfLineEnds(import.text));
  song.ClearLines();
  song.GenerateKaraokeLineList(true, true);
  if (!import.lrc.lines.empty()) ApplyLrcTimings(import.lrc, song);
  return true;
}

}  // namespace lf
