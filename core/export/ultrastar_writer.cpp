#include "core/export/ultrastar_writer.h"

#include <algorithm>
#include <cmath>

namespace lf {

namespace {

constexpr int kLowestBpm = 100;
constexpr int kHighestBpm = 3000;

using NoteSpan = std::pair<Millis, Millis>;

// A header value on one line.
std::string HeaderValue(const std::string& value) { return WithoutControls(value); }

struct BeatNote {
  int64_t start = 0;
  int64_t length = 1;
};

BeatNote NoteOnGrid(const BeatGrid& grid, const NoteSpan& span) {
  const int64_t start = grid.BeatAt(span.first);
  return {start, std::max<int64_t>(1, grid.BeatAt(span.second) - start)};
}

double WorstError(const BeatGrid& grid, const std::vector<NoteSpan>& notes) {
  double worst = 0;
  for (const NoteSpan& span : notes) {
    const BeatNote note = NoteOnGrid(grid, span);
    worst = std::max(worst, std::abs(grid.MillisAt(note.start) - double(span.first)));
    worst = std::max(worst, std::abs(grid.MillisAt(note.start + note.length) - double(span.second)));
  }
  return worst;
}

bool InPart(Singer singer, int part) {
  return singer == Singer::kBoth || (part == 1 ? singer == Singer::kSinger1 : singer == Singer::kSinger2);
}

std::vector<const TimedLine*> SungLines(const TimedLyrics& lyrics, int part) {
  std::vector<const TimedLine*> lines;
  for (const TimedLine& line : lyrics.lines)
    if (IsSungLine(line) && (part == 0 || InPart(line.singer, part))) lines.push_back(&line);
  return lines;
}

std::vector<NoteSpan> NoteSpans(const std::vector<const TimedLine*>& lines) {
  std::vector<NoteSpan> spans;
  for (const TimedLine* line : lines)
    for (const TimedWord& word : line->words)
      if (word.IsTimed()) spans.emplace_back(word.start, word.end);
  return spans;
}

// The notes of one line, each word's text with the space before it that
// separates it from the previous word; an untimed word's text goes with the
// note before it (or the first note, when none came before).
std::string LineNotes(const TimedLine& line, const BeatGrid& grid, const UltraStarOptions& options, int64_t& lastEnd) {
  struct Note {
    BeatNote beats;
    std::string text;
    int pitch;
  };
  std::vector<Note> notes;
  std::string pending;
  bool first = true;
  for (const TimedWord& word : line.words) {
    std::string text = (first || word.joinsPrevious ? "" : " ") + WithoutControls(word.text);
    first = false;
    if (!word.IsTimed()) {
      if (notes.empty())
        pending += text;
      else
        notes.back().text += text;
      continue;
    }
    const std::optional<int> heard = options.notePitch ? options.notePitch(word.start, word.end) : std::nullopt;
    notes.push_back({NoteOnGrid(grid, {word.start, word.end}), pending + text, heard.value_or(options.pitch)});
    pending.clear();
  }
  std::string out;
  for (auto& [note, text, pitch] : notes) {
    // Notes of a part never overlap: a start is never before the previous end.
    const int64_t start = std::max(note.start, lastEnd);
    const int64_t length = std::max<int64_t>(1, note.start + note.length - start);
    out +=
        ": " + std::to_string(start) + " " + std::to_string(length) + " " + std::to_string(pitch) + " " + text + "\n";
    lastEnd = start + length;
  }
  return out;
}

std::string PartNotes(const std::vector<const TimedLine*>& lines, const BeatGrid& grid,
                      const UltraStarOptions& options) {
  std::string out;
  int64_t lastEnd = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out += "- " + std::to_string(lastEnd) + "\n";
    out += LineNotes(*lines[i], grid, options, lastEnd);
  }
  return out;
}

}  // namespace

int64_t BeatGrid::BeatAt(Millis t) const { return std::llround(double(t - gap) / BeatMillis()); }
double BeatGrid::MillisAt(int64_t beat) const { return double(gap) + double(beat) * BeatMillis(); }

BeatGrid ChooseBeatGrid(const std::vector<NoteSpan>& notes, Millis tolerance) {
  Millis gap = 0;
  if (!notes.empty()) {
    gap = notes.front().first;
    for (const NoteSpan& span : notes) gap = std::min(gap, span.first);
  }
  BeatGrid best{kHighestBpm, gap};
  double bestError = WorstError(best, notes);
  for (int bpm = kLowestBpm; bpm <= kHighestBpm; ++bpm) {
    const BeatGrid grid{bpm, gap};
    const double error = WorstError(grid, notes);
    if (error <= double(tolerance)) return grid;
    if (error < bestError) {
      best = grid;
      bestError = error;
    }
  }
  return best;
}

LyricFileText FormatUltraStar(const TimedLyrics& lyrics, const UltraStarOptions& options) {
  LyricFileText file;
  for (const TimedLine& line : lyrics.lines)
    if (line.fixed && !line.words.empty()) ++file.fixedLinesLeftOut;
  const BeatGrid grid = ChooseBeatGrid(NoteSpans(SungLines(lyrics, 0)));
  std::string& out = file.text;
  out += "#TITLE:" + HeaderValue(lyrics.title) + "\n";
  out += "#ARTIST:" + HeaderValue(lyrics.artist) + "\n";
  out += "#MP3:" + HeaderValue(options.audioFile) + "\n";
  if (lyrics.duet) {
    out += "#P1:" + HeaderValue(SingerName(lyrics, Singer::kSinger1)) + "\n";
    out += "#P2:" + HeaderValue(SingerName(lyrics, Singer::kSinger2)) + "\n";
  }
  out += "#BPM:" + std::to_string(grid.bpm) + "\n";
  out += "#GAP:" + std::to_string(grid.gap) + "\n";
  if (!lyrics.duet) out += PartNotes(SungLines(lyrics, 0), grid, options);
  for (int part = 1; lyrics.duet && part <= 2; ++part)
    out += "P" + std::to_string(part) + "\n" + PartNotes(SungLines(lyrics, part), grid, options);
  out += "E\n";
  return file;
}

}  // namespace lf
