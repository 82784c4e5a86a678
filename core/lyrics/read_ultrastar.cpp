// The UltraStar reader of timed_format_readers.h.
#include <algorithm>
#include <cmath>
#include <optional>

#include "core/lyrics/timed_format_readers.h"
#include "core/lyrics/timed_reader_support.h"

namespace lf {

namespace {

constexpr std::string_view kFormat = "UltraStar";

// "120", "120.5" or "120,5" (the format's files use both points).
std::optional<double> ReadNumber(std::string_view s) {
  const auto v = ReadDecimal(TrimBlanks(s), {.commaPoint = true, .allowMinus = true});
  if (!v || std::abs(*v) > 1e9) return std::nullopt;
  return v;
}

// A whole number field of a note line, advancing `s` past it and one blank.
std::optional<int64_t> ReadField(std::string_view& s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  size_t i = 0;
  if (i < s.size() && s[i] == '-') ++i;
  const size_t digitsFrom = i;
  int64_t v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) v = std::min<int64_t>(v * 10 + (s[i] - '0'), 100'000'000);
  if (i == digitsFrom) return std::nullopt;
  if (s[0] == '-') v = -v;
  s.remove_prefix(i);
  return v;
}

struct Note {
  int64_t beat = 0;
  int64_t length = 0;
  std::string text;
};

struct VoiceLine {
  std::vector<Note> notes;
  int lineNumber = 0;
};

struct Voice {
  std::vector<VoiceLine> lines;
  int64_t lastBeat = INT64_MIN;
  int lastLine = 0;
};

// A line's words and times: the text of each note is a run; '~' holds the
// syllable before it.
TimedLine LineOf(const VoiceLine& voiceLine, double gap, double bpm, Singer singer) {
  const auto ms = [&](int64_t beat) { return static_cast<Millis>(std::llround(gap + beat * 15000.0 / bpm)); };
  std::vector<TimedRun> runs;
  for (const Note& n : voiceLine.notes) {
    const std::string_view trimmed = TrimBlanks(n.text);
    if ((trimmed == "~" || trimmed.empty()) && !runs.empty()) {
      runs.back().end = ms(n.beat + n.length);
      continue;
    }
    runs.push_back({n.text, ms(n.beat), ms(n.beat + n.length)});
  }
  TimedLine line;
  line.singer = singer;
  AppendTimedRuns(runs, line);
  return line;
}

bool SameSung(const TimedLine& a, const TimedLine& b) { return a.words == b.words; }

}  // namespace

Outcome ReadUltraStar(std::string_view bytes, const std::string& fileName, TimedLyrics& out) {
  out = {};
  const bool saysUtf8 = AsciiLower(bytes.substr(0, 4096)).find("#encoding:utf8") != std::string::npos ||
                        AsciiLower(bytes.substr(0, 4096)).find("#encoding:utf-8") != std::string::npos;
  std::string text;
  if (Outcome o = DecodeTimedFormatText(bytes, saysUtf8, fileName, kFormat, text); !o) return o;

  std::optional<double> bpm;
  double gap = 0;
  Voice voices[2];
  Voice* voice = &voices[0];
  bool duet = false, ended = false;
  VoiceLine current;
  const auto breakLine = [&] {
    if (!current.notes.empty()) voice->lines.push_back(std::move(current));
    current = {};
  };
  const std::vector<std::string_view> lines = TextLines(text);
  for (size_t i = 0; i < lines.size() && !ended; ++i) {
    const int n = static_cast<int>(i + 1);
    std::string_view line = lines[i];
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (TrimBlanks(line).empty()) continue;
    const char kind = line[0];
    if (kind == '#') {
      const size_t colon = line.find(':');
      if (colon == std::string_view::npos) continue;
      const std::string key = AsciiLower(line.substr(1, colon - 1));
      const std::string_view value = TrimBlanks(line.substr(colon + 1));
      if (key == "title") out.title = std::string(value);
      if (key == "artist") out.artist = std::string(value);
      if (key == "duetsingerp1" || key == "p1") out.singerNames[0] = std::string(value);
      if (key == "duetsingerp2" || key == "p2") out.singerNames[1] = std::string(value);
      if (key == "relative" && AsciiLower(value) == "yes")
        return TimedFormatProblem(fileName, kFormat, n, "relative beats (#RELATIVE:YES) are not read");
      if (key == "bpm") {
        bpm = ReadNumber(value);
        if (!bpm || *bpm <= 0) return TimedFormatProblem(fileName, kFormat, n, "#BPM is not a positive number");
      }
      if (key == "gap") {
        const auto g = ReadNumber(value);
        if (!g) return TimedFormatProblem(fileName, kFormat, n, "#GAP is not a number of milliseconds");
        gap = *g;
      }
      continue;
    }
    if (kind == 'E' && TrimBlanks(line) == "E") {
      ended = true;
      continue;
    }
    if (kind == 'P' || (kind == ' ' && TrimBlanks(line).front() == 'P')) {
      const std::string_view p = TrimBlanks(TrimBlanks(line).substr(1));
      if (p != "1" && p != "2") return TimedFormatProblem(fileName, kFormat, n, "a voice other than P1 or P2");
      breakLine();
      duet = true;
      voice = &voices[p == "1" ? 0 : 1];
      continue;
    }
    if (!bpm) return TimedFormatProblem(fileName, kFormat, n, "notes before #BPM");
    std::string_view rest = line.substr(1);
    if (kind == '-') {
      const auto beat = ReadField(rest);
      if (!beat) return TimedFormatProblem(fileName, kFormat, n, "a line break without its beat");
      breakLine();
      continue;
    }
    if (kind != ':' && kind != '*' && kind != 'F' && kind != 'R' && kind != 'G')
      return TimedFormatProblem(fileName, kFormat, n, "not a note, line break, voice or header line");
    const auto beat = ReadField(rest);
    const auto length = ReadField(rest);
    const auto pitch = ReadField(rest);
    if (!beat || !length || !pitch || rest.empty() || (rest[0] != ' ' && rest[0] != '\t'))
      return TimedFormatProblem(fileName, kFormat, n, "a note without start, length, pitch and text (cut short?)");
    if (*length < 0) return TimedFormatProblem(fileName, kFormat, n, "a note of negative length");
    if (*beat < voice->lastBeat)
      return TimedFormatProblem(fileName, kFormat, n,
                                "notes out of order: beat " + std::to_string(*beat) + " after beat " +
                                    std::to_string(voice->lastBeat) + " on line " + std::to_string(voice->lastLine));
    voice->lastBeat = *beat;
    voice->lastLine = n;
    if (current.notes.empty()) current.lineNumber = n;
    current.notes.push_back({*beat, *length, std::string(rest.substr(1))});
  }
  breakLine();
  if (!ended) return TimedFormatProblem(fileName, kFormat, 0, "the file ends without its closing E line (cut short?)");
  if (!bpm) return TimedFormatProblem(fileName, kFormat, 0, "no #BPM");

  // Both voices' lines in time order; a line sung the same in both is sung by both.
  struct Placed {
    TimedLine line;
    int lineNumber;
  };
  std::vector<Placed> placed;
  std::vector<bool> sharedP2(voices[1].lines.size(), false);
  std::vector<TimedLine> p2;
  for (const VoiceLine& l : voices[1].lines) p2.push_back(LineOf(l, gap, *bpm, Singer::kSinger2));
  for (const VoiceLine& l : voices[0].lines) {
    TimedLine line = LineOf(l, gap, *bpm, Singer::kSinger1);
    for (size_t k = 0; k < p2.size(); ++k)
      if (!sharedP2[k] && SameSung(line, p2[k])) {
        sharedP2[k] = true;
        line.singer = Singer::kBoth;
        break;
      }
    placed.push_back({std::move(line), l.lineNumber});
  }
  for (size_t k = 0; k < p2.size(); ++k)
    if (!sharedP2[k]) placed.push_back({std::move(p2[k]), voices[1].lines[k].lineNumber});
  std::stable_sort(placed.begin(), placed.end(),
                   [](const Placed& a, const Placed& b) { return a.line.FirstStart() < b.line.FirstStart(); });
  for (Placed& p : placed) {
    Outcome o;
    if (!CheckLineForRawText(p.line, fileName, kFormat, p.lineNumber, o)) {
      out = {};
      return o;
    }
    out.lines.push_back(std::move(p.line));
  }
  out.duet = duet && !voices[1].lines.empty();
  if (out.lines.empty()) return TimedFormatProblem(fileName, kFormat, 0, "no notes");
  return Outcome::Success();
}

}  // namespace lf
