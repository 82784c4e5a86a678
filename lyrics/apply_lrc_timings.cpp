#include "lyrics/apply_lrc_timings.h"

#include <algorithm>

#include "lyrics/parse_lrc.h"

namespace lf {

namespace {

SampleTime ToSampleTime(int32_t centiseconds) {
  return std::clamp(centiseconds, 0, kLrcMaxTime) * kSampleFramesPerCentisecond;
}

void ApplyLine(const LrcLine& source, MKaraokeLine& line) {
  line.m_placed = true;
  size_t search = 0;
  const size_t n = std::min(source.elements.size(), line.m_words.size());
  for (size_t j = 0; j < n; ++j) {
    const LrcElement& e = source.elements[j];
    MKaraokeWord& word = *line.m_words[j];
    word.m_startTime = ToSampleTime(e.start);
    word.m_endTime = ToSampleTime(e.end);
    const size_t at = search <= line.m_text.size() ? line.m_text.find(e.text, search) : std::string::npos;
    if (at == std::string::npos) {
      // The word keeps the characters the layout gave it; a position of -1
      // would send the drawing outside the line's text.
      search = std::max<size_t>(search, static_cast<size_t>(std::max(word.m_lastChar + 1, 0)));
      continue;
    }
    word.m_firstChar = static_cast<int32_t>(at);
    word.m_lastChar = static_cast<int32_t>(at + e.text.size()) - 1;
    search = at + e.text.size();
  }
}

}  // namespace

void ApplyLrcTimings(const LrcFile& lrc, KaraokeLineList& lines) {
  const size_t n = std::min(lrc.lines.size(), lines.lines.size());
  for (size_t i = 0; i < n; ++i) ApplyLine(lrc.lines[i], *lines.lines[i]);
}

void ApplyLrcTimings(const LrcFile& lrc, MSongSettings& song) {
  ApplyLrcTimings(lrc, song.LineList());
  song.SetModified(true);
}

}  // namespace lf
