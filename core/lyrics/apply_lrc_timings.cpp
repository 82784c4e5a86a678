#include "core/lyrics/apply_lrc_timings.h"

#include <algorithm>

#include "core/lyrics/parse_lrc.h"

namespace lf {

SampleTime MillisToFrames(int64_t ms, int rate) {
  // Past this many milliseconds every rate saturates; the bound keeps the product in range.
  const int64_t bounded = std::clamp<int64_t>(ms, 0, int64_t{1} << 40);
  const int64_t frames = (bounded * rate + 500) / 1000;
  return static_cast<SampleTime>(std::min<int64_t>(frames, INT32_MAX));
}

namespace {

SampleTime ToSampleTime(int32_t ms, int rate) { return MillisToFrames(ms, rate); }

void ApplyLine(const LrcLine& source, KaraokeLine& line, int rate) {
  line.m_placed = true;
  size_t search = 0;
  const size_t n = std::min(source.elements.size(), line.m_words.size());
  for (size_t j = 0; j < n; ++j) {
    const LrcElement& e = source.elements[j];
    KaraokeWord& word = *line.m_words[j];
    // Time 0 means "not placed": a word sung from the very start takes the first frame.
    word.m_startTime = std::max<SampleTime>(ToSampleTime(e.start, rate), kFirstPlacedFrame);
    word.m_endTime = e.end > 0 ? std::max(ToSampleTime(e.end, rate), word.m_startTime) : 0;
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

bool EndsAfter(const LrcLine& source, size_t words, int rate, SampleTime latest) {
  const size_t n = std::min(source.elements.size(), words);
  for (size_t j = 0; j < n; ++j)
    if (ToSampleTime(source.elements[j].start, rate) > latest || ToSampleTime(source.elements[j].end, rate) > latest)
      return true;
  return false;
}

}  // namespace

int ApplyLrcTimings(const LrcFile& lrc, KaraokeLineList& lines, int sampleRate, SampleTime latest) {
  const int rate = sampleRate > 0 ? sampleRate : kDefaultSampleRate;
  const size_t n = std::min(lrc.lines.size(), lines.lines.size());
  int untimed = 0;
  for (size_t i = 0; i < n; ++i) {
    KaraokeLine& line = *lines.lines[i];
    if (latest > 0 && EndsAfter(lrc.lines[i], line.m_words.size(), rate, latest)) {
      ++untimed;
      continue;
    }
    ApplyLine(lrc.lines[i], line, rate);
  }
  return untimed;
}

void ApplyLrcTimings(const LrcFile& lrc, Song& song) {
  TimingEdit edit(song, "Import Timings");
  const int rate = song.Music().SampleRate();
  song.Lyrics().EditLines([&](KaraokeLineList& lines) { ApplyLrcTimings(lrc, lines, rate); });
  song.SetModified(true);
}

}  // namespace lf
