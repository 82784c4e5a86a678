#include "core/export/lyric_file_lines.h"

#include <algorithm>

namespace lf {

bool IsSungLine(const TimedLine& line) { return !line.fixed && line.FirstStart() != kUntimed; }

std::optional<ShownSpan> ShownWindow(const TimedLine& line) {
  const Millis first = line.FirstStart();
  const Millis last = line.LastEnd();
  if (line.show != kUntimed && line.erase != kUntimed) {
    ShownSpan span{line.show, line.erase};
    if (first != kUntimed) span.begin = std::min(span.begin, first);
    if (last != kUntimed) span.end = std::max(span.end, last);
    return span;
  }
  if (first == kUntimed) return std::nullopt;
  return ShownSpan{first, std::max(first + 1, last)};
}

std::vector<CaptionCue> CaptionCues(const TimedLyrics& lyrics) {
  std::vector<CaptionCue> cues;
  for (const TimedLine& line : lyrics.lines) {
    if (line.words.empty() || (!line.fixed && !IsSungLine(line))) continue;
    if (const std::optional<ShownSpan> span = ShownWindow(line)) cues.push_back({*span, &line});
  }
  std::stable_sort(cues.begin(), cues.end(),
                   [](const CaptionCue& a, const CaptionCue& b) { return a.span.begin < b.span.begin; });
  return cues;
}

std::string SingerName(const TimedLyrics& lyrics, Singer singer) {
  static const char* const kDefaults[] = {"Singer 1", "Singer 2", "Both"};
  const size_t index = size_t(singer);
  const std::string name = WithoutControls(lyrics.singerNames[index]);
  return name.empty() ? kDefaults[index] : name;
}

std::string WithoutControls(const std::string& text) {
  std::string out;
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) out += c;
  return out;
}

}  // namespace lf
