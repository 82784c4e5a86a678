#include "core/timing/line_first_timing.h"

#include <algorithm>

#include "core/song/song.h"
#include "core/timing/lyric_placement.h"
#include "core/timing/repeated_line.h"
#include "core/timing/word_spread.h"

namespace lf {

namespace {

constexpr const char* kCaption = "Time Lines";
// Seconds of singing per unit of word weight when nothing better is known
// (about 150 words a minute).
constexpr double kPlainPace = 0.065;
// How much of the span from one line's tap to the next is taken to be
// singing when no line is tapped at its end; the rest is the pause between.
constexpr double kSungShare = 0.8;
// The voice counts as still sounding down to this share of its loudest in the line.
constexpr float kSoundingShare = 0.2f;

struct TappedLine {
  int line = 0;
  int first = 0, last = 0;  // its words
  double weight = 0;
};

double LineWeight(const SongLyrics& lyrics, int first, int last) {
  double weight = 0;
  for (int w = first; w <= last; ++w) weight += WordWeight(lyrics, w);
  return weight;
}

// The song's pace in seconds per weight unit: the median over lines tapped at
// both ends, or else over the sung share of the spans from one line's tap to
// the next.
double SongPace(const std::vector<TappedLine>& lines, const std::vector<LineTap>& taps, int sampleRate) {
  std::vector<double> paces;
  for (size_t i = 0; i < lines.size(); ++i)
    if (taps[i].end > taps[i].start) paces.push_back((taps[i].end - taps[i].start) / (lines[i].weight * sampleRate));
  if (paces.empty())
    for (size_t i = 0; i + 1 < lines.size(); ++i)
      paces.push_back(kSungShare * (taps[i + 1].start - taps[i].start) / (lines[i].weight * sampleRate));
  if (paces.empty()) return kPlainPace;
  std::nth_element(paces.begin(), paces.begin() + static_cast<std::ptrdiff_t>(paces.size() / 2), paces.end());
  return paces[paces.size() / 2];
}

// Where line i's singing stops: its end tap; else where the voice last sounds
// before the next line's tap (or, for the last line, within twice what its
// words need at the song's pace); else where the pace says.
SampleTime LineEnd(const std::vector<TappedLine>& lines, const std::vector<LineTap>& taps, size_t i, double pace,
                   const VoicePart& voice, int sampleRate) {
  if (taps[i].end > taps[i].start) return taps[i].end;
  const double needs = pace * lines[i].weight * sampleRate;
  const auto byPace = static_cast<int64_t>(taps[i].start + needs);
  const int64_t next =
      i + 1 < taps.size() ? int64_t{taps[i + 1].start} : static_cast<int64_t>(taps[i].start + 2 * needs);
  const int64_t words = static_cast<int64_t>(lines[i].last - lines[i].first + 1) * sampleRate * kMinWordMs / 1000;
  const int64_t sounding = voice.LastSoundingFrame(taps[i].start, next, kSoundingShare);
  if (sounding > taps[i].start + words) return static_cast<SampleTime>(sounding);
  return static_cast<SampleTime>(std::min(byPace, next));
}

Outcome CheckTaps(const std::vector<TappedLine>& lines, const std::vector<LineTap>& taps) {
  if (taps.size() > lines.size())
    return Outcome::Failure(Reason::BadInput,
                            std::to_string(taps.size()) + " line taps were given, but the song has " +
                                std::to_string(lines.size()) + " lines to tap.",
                            kCaption);
  for (size_t i = 0; i < taps.size(); ++i) {
    if (taps[i].start <= 0)
      return Outcome::Failure(Reason::BadInput, "The tap of line " + std::to_string(lines[i].line) + " is at zero.",
                              kCaption);
    if (i > 0 && taps[i].start <= taps[i - 1].start)
      return Outcome::Failure(Reason::BadInput,
                              "The tap of line " + std::to_string(lines[i].line) + " comes before the line above it.",
                              kCaption);
    if (taps[i].end != 0 && taps[i].end <= taps[i].start)
      return Outcome::Failure(Reason::BadInput, "Line " + std::to_string(lines[i].line) + " ends before it begins.",
                              kCaption);
  }
  return Outcome::Success();
}

// A line's first word moved onto the voice may now begin before the line
// above ends; that line gives way.
void EndWordsBeforeTheNext(SongLyrics& lyrics) {
  for (int w = 0; w + 1 < lyrics.WordCount(); ++w) {
    const KaraokeWord &word = *lyrics.Word(w), &next = *lyrics.Word(w + 1);
    if (word.IsPlaced() && next.IsPlaced() && word.m_endTime > next.m_startTime)
      lyrics.SetWordEnd(w, std::max(next.m_startTime, word.m_startTime));
  }
}

}  // namespace

std::vector<int> TappedLines(const Song& song) {
  std::vector<int> tapped;
  const SongLyrics& lyrics = song.Lyrics();
  for (int l = 0; l < lyrics.LineCount(); ++l) {
    const KaraokeLine& line = *lyrics.Line(l);
    if (line.HasWords() && !(line.m_singer2 && song.Look().IsDuet())) tapped.push_back(l);
  }
  return tapped;
}

Outcome TimeLinesFromTaps(Song& song, const std::vector<LineTap>& taps, const VoicePart& voice, int sampleRate,
                          const LineFirstOptions& options) {
  SongLyrics& lyrics = song.Lyrics();
  if (sampleRate <= 0) sampleRate = kDefaultSampleRate;
  std::vector<TappedLine> lines;
  for (int l : TappedLines(song)) {
    const KaraokeLine& line = *lyrics.Line(l);
    const int first = lyrics.IndexOfWord(line.FirstWord()), last = lyrics.IndexOfWord(line.LastWord());
    lines.push_back({l, first, last, LineWeight(lyrics, first, last)});
  }
  if (Outcome checked = CheckTaps(lines, taps); !checked) return checked;
  lines.resize(taps.size());

  TimingEdit edit(song, kCaption);
  const double pace = SongPace(lines, taps, sampleRate);
  const bool snap = options.snap && !voice.onsets.empty();
  for (size_t i = 0; i < lines.size(); ++i) {
    const TappedLine& line = lines[i];
    for (int w = line.first; w <= line.last; ++w) lyrics.MarkForReview(w, false);
    lyrics.SetLinePlaced(line.line, true);
    const SampleTime end = LineEnd(lines, taps, i, pace, voice, sampleRate);
    VoiceSnapOptions snapOptions{.windowMs = options.windowMs, .respreadUnsnapped = true, .anchored = {}};
    snapOptions.anchored.assign(static_cast<size_t>(line.first) + 1, false);
    snapOptions.anchored[static_cast<size_t>(line.first)] = true;

    lyrics.SetWordTimes(line.first, taps[i].start, end);
    const int earlier = options.copyRepeatedLines ? EarlierLineWithSameText(lyrics, line.line) : -1;
    if (earlier >= 0) {
      // The tap says roughly where the chorus comes back; its first onset says exactly.
      if (snap) SnapWordsToVoice(song, line.first, line.first, voice.onsets, sampleRate, snapOptions);
      CopyLineTiming(lyrics, earlier, line.line, lyrics.Word(line.first)->m_startTime);
      continue;
    }
    SpreadWords(lyrics, line.first, line.last, taps[i].start, end, sampleRate);
    if (snap) {
      SnapWordsToVoice(song, line.first, line.first, voice.onsets, sampleRate, snapOptions);
      AlignWordsToOnsets(song, line.first, line.last, voice.onsets, end, sampleRate);
    }
  }
  EndWordsBeforeTheNext(lyrics);
  if (song.Look().IsDuet()) TimeSecondLines(song);
  song.SetModified(true);
  return Outcome::Success();
}

}  // namespace lf
