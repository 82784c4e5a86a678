#include "core/timing/word_spread.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "core/song/song_lyrics.h"

namespace lf {

double WordWeight(const SongLyrics& lyrics, int word) {
  const KaraokeWord* w = lyrics.Word(word);
  if (!w || !w->m_line) return 1.0;
  const std::string& text = w->m_line->m_text;
  int letters = 0;
  for (int c = w->m_firstChar; c <= w->m_lastChar && c < static_cast<int>(text.size()); ++c) {
    const auto byte = static_cast<unsigned char>(text[static_cast<size_t>(c)]);
    // Each UTF-8 character counts once: its lead byte, never its continuation bytes.
    if (byte >= 0x80 ? (byte & 0xC0) != 0x80 : std::isalnum(byte) != 0) ++letters;
  }
  const KaraokeWord* next = lyrics.Word(word + 1);
  const bool pauseAfter =
      !(w->m_flags & KaraokeWord::kSyllableBreak) && !(next && next->m_flags & KaraokeWord::kJoinsPrevious);
  return std::max(letters, 1) + (pauseAfter ? kPauseWeight : 0.0);
}

void SpreadWords(SongLyrics& lyrics, int first, int last, SampleTime start, SampleTime end, int sampleRate) {
  first = std::max(first, 0);
  last = std::min(last, lyrics.WordCount() - 1);
  if (first > last || end < start) return;
  const size_t n = static_cast<size_t>(last - first) + 1;
  std::vector<double> cumulative(n + 1, 0.0);
  for (size_t i = 0; i < n; ++i) cumulative[i + 1] = cumulative[i] + WordWeight(lyrics, first + static_cast<int>(i));
  if (n > 1) cumulative[n] = cumulative[n - 1] + std::max(1.0, WordWeight(lyrics, last) - kPauseWeight);
  const double span = static_cast<double>(end) - start;
  std::vector<int64_t> starts(n);
  for (size_t i = 0; i < n; ++i) starts[i] = start + static_cast<int64_t>(span * cumulative[i] / cumulative.back());
  const int64_t minimum = int64_t{sampleRate} * kMinWordMs / 1000;
  if (span >= static_cast<double>(minimum) * static_cast<double>(n)) {
    for (size_t i = 1; i < n; ++i) starts[i] = std::max(starts[i], starts[i - 1] + minimum);
    int64_t ceiling = int64_t{end} - minimum;
    for (size_t i = n; i-- > 0;) {
      starts[i] = std::min(starts[i], ceiling);
      ceiling = starts[i] - minimum;
    }
  }
  for (size_t i = 0; i < n; ++i) {
    const int64_t wordEnd = i + 1 < n ? starts[i + 1] : int64_t{end};
    lyrics.SetWordTimes(first + static_cast<int>(i), static_cast<SampleTime>(std::max<int64_t>(starts[i], 1)),
                        static_cast<SampleTime>(wordEnd));
  }
}

}  // namespace lf
