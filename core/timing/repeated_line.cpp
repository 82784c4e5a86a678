#include "core/timing/repeated_line.h"

#include <cctype>
#include <string>

#include "core/song/song.h"

namespace lf {

namespace {

constexpr const char* kCaption = "Copy Timing From Earlier Line";

std::string FoldedWords(const KaraokeLine& line) {
  std::string folded;
  for (const char c : line.m_text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80 || std::isalnum(byte)) folded += static_cast<char>(byte >= 0x80 ? byte : std::tolower(byte));
  }
  return folded;
}

bool AllTimed(const KaraokeLine& line) {
  for (const KaraokeWord* w : line.m_words)
    if (!w->IsPlaced()) return false;
  return line.HasWords();
}

}  // namespace

int EarlierLineWithSameText(const SongLyrics& lyrics, int line) {
  const KaraokeLine* target = lyrics.Line(line);
  if (!target || !target->HasWords()) return -1;
  const std::string words = FoldedWords(*target);
  for (int l = line - 1; l >= 0; --l) {
    const KaraokeLine& earlier = *lyrics.Line(l);
    if (earlier.m_words.size() == target->m_words.size() && AllTimed(earlier) && FoldedWords(earlier) == words)
      return l;
  }
  return -1;
}

void CopyLineTiming(SongLyrics& lyrics, int from, int line, SampleTime anchor) {
  const KaraokeLine& source = *lyrics.Line(from);
  const KaraokeLine& target = *lyrics.Line(line);
  const int64_t origin = source.FirstWord()->m_startTime;
  const int first = lyrics.IndexOfWord(target.FirstWord());
  for (size_t k = 0; k < source.m_words.size() && k < target.m_words.size(); ++k) {
    const KaraokeWord& w = *source.m_words[k];
    const int word = first + static_cast<int>(k);
    lyrics.SetWordTimes(word, static_cast<SampleTime>(std::max<int64_t>(anchor + (w.m_startTime - origin), 1)),
                        static_cast<SampleTime>(std::max<int64_t>(anchor + (w.m_endTime - origin), 1)));
    lyrics.MarkForReview(word, true);
  }
  lyrics.SetLinePlaced(line, true);
}

Outcome CopyTimingFromEarlierLine(Song& song, int line, std::optional<SampleTime> anchor) {
  SongLyrics& lyrics = song.Lyrics();
  const int from = EarlierLineWithSameText(lyrics, line);
  if (from < 0)
    return Outcome::Failure(Reason::NotAllowed, "No earlier timed line has the same words as this one.", kCaption);
  const SampleTime start = anchor.value_or(lyrics.Line(line)->FirstWord()->m_startTime);
  if (start <= 0)
    return Outcome::Failure(Reason::NotAllowed, "Tap the first word of this line first: the copy starts there.",
                            kCaption);
  TimingEdit edit(song, kCaption);
  CopyLineTiming(lyrics, from, line, start);
  song.SetModified(true);
  return Outcome::Success();
}

}  // namespace lf
