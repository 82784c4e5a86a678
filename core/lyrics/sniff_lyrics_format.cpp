#include "core/lyrics/sniff_lyrics_format.h"

#include <algorithm>
#include <vector>

#include "core/lyrics/decode_lyrics_text.h"
#include "core/lyrics/timed_reader_support.h"

namespace lf {

namespace {

// Enough of a file to find its kind in.
constexpr size_t kSniffBytes = 8192;

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsLrcTimeLine(std::string_view line) {
  return line.size() >= 4 && line[0] == '[' && IsDigit(line[1]) && line.find(':') != std::string_view::npos &&
         line.find(']') != std::string_view::npos &&
         std::all_of(line.begin() + 1, line.begin() + static_cast<long>(line.find(':')), IsDigit);
}

bool IsUltraStarNote(std::string_view line) {
  return line.size() >= 3 && (line[0] == ':' || line[0] == '*' || line[0] == 'F' || line[0] == 'R' || line[0] == 'G') &&
         line[1] == ' ' && IsDigit(TrimBlanks(line.substr(1)).front());
}

bool AllDigits(std::string_view s) { return !s.empty() && std::all_of(s.begin(), s.end(), IsDigit); }

}  // namespace

LyricsFileKind SniffLyricsFormat(std::string_view bytes) {
  if (StartsWith(bytes, "MThd")) return LyricsFileKind::Midi;
  const std::string head = DecodeLyricsTextFile(bytes.substr(0, kSniffBytes));
  std::vector<std::string_view> lines;
  for (std::string_view l : TextLines(head))
    if (!TrimBlanks(l).empty()) lines.push_back(TrimBlanks(l));
  if (lines.empty()) return LyricsFileKind::Unknown;
  const std::string_view first = lines.front();
  if (StartsWith(first, "WEBVTT")) return LyricsFileKind::WebVtt;

  const std::string lower = AsciiLower(head);
  if ((lower.find("<tt ") != std::string::npos || lower.find("<tt>") != std::string::npos ||
       lower.find(":tt ") != std::string::npos) &&
      (lower.find("ns/ttml") != std::string::npos || lower.find("ttaf1") != std::string::npos))
    return LyricsFileKind::Ttml;

  bool events = false, dialogue = false, bpm = false, notes = false, title = false, lrc = false;
  for (const std::string_view line : lines) {
    const std::string l = AsciiLower(line.substr(0, 16));
    if (l == "[script info]" || StartsWith(l, "[v4+ styles]") || StartsWith(l, "[v4 styles]"))
      return LyricsFileKind::Ass;
    events = events || l == "[events]";
    dialogue = dialogue || StartsWith(l, "dialogue:");
    bpm = bpm || StartsWith(l, "#bpm:");
    title = title || StartsWith(l, "#title:");
    notes = notes || IsUltraStarNote(line);
    lrc = lrc || IsLrcTimeLine(line);
  }
  if (events && dialogue) return LyricsFileKind::Ass;
  if (bpm && (notes || title)) return LyricsFileKind::UltraStar;
  if (lines.size() >= 2 && AllDigits(first) && lines[1].find("-->") != std::string_view::npos)
    return LyricsFileKind::Srt;
  if (lrc) return LyricsFileKind::Lrc;
  return LyricsFileKind::Unknown;
}

}  // namespace lf
