#include "core/timing/time_shift.h"

#include <climits>
#include <cstdlib>

#include "core/song/song.h"
#include "core/timing/word_spread.h"

namespace lf {

namespace {

constexpr const char* kCaption = "Shift Times";

std::string Quoted(const SongLyrics& lyrics, int word) {
  const KaraokeWord* w = lyrics.Word(word);
  const std::string& text = w->m_line->m_text;
  return "'" + text.substr(static_cast<size_t>(w->m_firstChar), static_cast<size_t>(w->Length())) + "'";
}

std::string Milliseconds(int64_t frames, int sampleRate) {
  return std::to_string(std::llabs(frames) * 1000 / sampleRate) + " ms";
}

int PlacedNeighbour(const SongLyrics& lyrics, int from, int direction) {
  for (int i = from + direction; i >= 0 && i < lyrics.WordCount(); i += direction)
    if (lyrics.Word(i)->IsPlaced()) return i;
  return -1;
}

// The placed words of [first, last]: the first and last of them, or -1.
std::pair<int, int> PlacedEnds(const SongLyrics& lyrics, int first, int last) {
  int a = -1, b = -1;
  for (int i = first; i <= last; ++i)
    if (lyrics.Word(i)->IsPlaced()) {
      if (a < 0) a = i;
      b = i;
    }
  return {a, b};
}

Outcome Refused(std::string text) { return Outcome::Failure(Reason::NotAllowed, std::move(text), kCaption); }

// Why a shift of the run a..b by `frames` would break the rules; empty when it keeps them.
std::string WhyRefused(const SongLyrics& lyrics, int a, int b, int64_t frames, int sampleRate) {
  const int64_t minimum = int64_t{sampleRate} * kMinWordMs / 1000;
  const std::string by = "Shifting by " + Milliseconds(frames, sampleRate);
  const int64_t start = lyrics.Word(a)->m_startTime + frames;
  if (start <= 0) return by + " would move " + Quoted(lyrics, a) + " before the start of the music.";
  if (lyrics.Word(b)->m_endTime + frames > INT32_MAX)
    return by + " would move " + Quoted(lyrics, b) + " past any time.";
  if (const int before = PlacedNeighbour(lyrics, a, -1); before >= 0 && frames < 0) {
    if (start < lyrics.Word(before)->m_startTime + minimum)
      return by + " would move " + Quoted(lyrics, a) + " past " + Quoted(lyrics, before) + ".";
  }
  if (const int after = PlacedNeighbour(lyrics, b, +1); after >= 0 && frames > 0) {
    const KaraokeWord& next = *lyrics.Word(after);
    const int64_t end = lyrics.Word(b)->m_endTime + frames;
    if (end > std::max<int64_t>(next.m_endTime, next.m_startTime) - minimum)
      return by + " would move " + Quoted(lyrics, b) + " past " + Quoted(lyrics, after) + ".";
  }
  return {};
}

}  // namespace

Outcome ShiftWords(Song& song, int first, int last, int64_t frames) {
  SongLyrics& lyrics = song.Lyrics();
  if (first < 0 || last >= lyrics.WordCount() || first > last)
    return Outcome::Failure(Reason::BadInput, "There are no such words to shift.", kCaption);
  const auto [a, b] = PlacedEnds(lyrics, first, last);
  if (a < 0) return Refused("None of these words has a time yet.");
  if (frames == 0) return Outcome::Success();
  const int rate = song.Music().SampleRate() > 0 ? song.Music().SampleRate() : kDefaultSampleRate;
  if (std::string why = WhyRefused(lyrics, a, b, frames, rate); !why.empty()) return Refused(std::move(why));

  TimingEdit edit(song, "Shift Times");
  const SampleTime oldStart = lyrics.Word(a)->m_startTime;
  for (int i = a; i <= b; ++i) {
    const KaraokeWord& w = *lyrics.Word(i);
    if (w.IsPlaced())
      lyrics.SetWordTimes(i, static_cast<SampleTime>(w.m_startTime + frames),
                          static_cast<SampleTime>(w.m_endTime + frames));
  }
  const SampleTime newStart = lyrics.Word(a)->m_startTime, newEnd = lyrics.Word(b)->m_endTime;
  // A word sung up to the run keeps being sung up to it; one overlapped by it is cut short.
  if (const int before = PlacedNeighbour(lyrics, a, -1); before >= 0) {
    const SampleTime end = lyrics.Word(before)->m_endTime;
    if (end == oldStart || end > newStart) lyrics.SetWordEnd(before, newStart);
  }
  // The next word's start is a tap: it moves only when the run now runs into it.
  if (const int after = PlacedNeighbour(lyrics, b, +1); after >= 0 && lyrics.Word(after)->m_startTime < newEnd)
    lyrics.SetWordStart(after, newEnd);
  song.SetModified(true);
  return Outcome::Success();
}

Outcome ShiftFromWord(Song& song, int word, int64_t frames) {
  return ShiftWords(song, word, song.Lyrics().WordCount() - 1, frames);
}

Outcome ShiftLines(Song& song, int firstLine, int lastLine, int64_t frames) {
  const SongLyrics& lyrics = song.Lyrics();
  if (firstLine < 0 || lastLine >= lyrics.LineCount() || firstLine > lastLine)
    return Outcome::Failure(Reason::BadInput, "There are no such lines to shift.", kCaption);
  int first = -1, last = -1;
  for (int l = firstLine; l <= lastLine; ++l) {
    const KaraokeLine& line = *lyrics.Line(l);
    if (!line.HasWords()) continue;
    if (first < 0) first = lyrics.IndexOfWord(line.FirstWord());
    last = lyrics.IndexOfWord(line.LastWord());
  }
  if (first < 0) return Refused("These lines have no words to shift.");
  return ShiftWords(song, first, last, frames);
}

}  // namespace lf
