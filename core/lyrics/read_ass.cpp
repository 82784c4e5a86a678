// The ASS (and SSA) reader of timed_format_readers.h.
#include <map>

#include "core/lyrics/timed_format_readers.h"
#include "core/lyrics/timed_reader_support.h"

namespace lf {

namespace {

constexpr std::string_view kFormat = "ASS";
// A line's tags may run this far past its end: the rounding of centiseconds.
constexpr Millis kTagSlack = 10;

// The fields of an event line after "Dialogue:", as its section's Format
// names them; the last field (Text) takes the rest of the line, commas and all.
std::vector<std::string_view> SplitFields(std::string_view s, size_t count) {
  std::vector<std::string_view> fields;
  while (fields.size() + 1 < count) {
    const size_t comma = s.find(',');
    if (comma == std::string_view::npos) break;
    fields.push_back(TrimBlanks(s.substr(0, comma)));
    s.remove_prefix(comma + 1);
  }
  fields.push_back(s);
  return fields;
}

struct EventFormat {
  size_t count = 10;
  size_t start = 1, end = 2, style = 3, name = 4, text = 9;

  // False when the line does not name the Start, End and Text fields.
  bool Read(std::string_view format) {
    const std::vector<std::string_view> names = SplitFields(format, 64);
    *this = {};
    count = names.size();
    start = end = text = style = name = count;
    for (size_t i = 0; i < names.size(); ++i) {
      const std::string key = AsciiLower(TrimBlanks(names[i]));
      if (key == "start") start = i;
      if (key == "end") end = i;
      if (key == "style") style = i;
      if (key == "name" || key == "actor") name = i;
      if (key == "text") text = i;
    }
    return start < count && end < count && text < count;
  }
};

// Reads "\k50", "\kf50", "\K50", "\ko50" at `s` (after the backslash):
// the centiseconds, or -1 when it is another tag.
int64_t KaraokeTag(std::string_view s) {
  size_t i = 0;
  if (i >= s.size() || (s[i] != 'k' && s[i] != 'K')) return -1;
  ++i;
  if (i < s.size() && (s[i] == 'f' || s[i] == 'o')) ++i;
  if (i >= s.size() || s[i] < '0' || s[i] > '9') return -1;
  int64_t v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) v = std::min<int64_t>(v * 10 + (s[i] - '0'), 1'000'000'000);
  return v;
}

// The text without override blocks, with \N, \n and \h as blanks; each
// karaoke tag ends the run before it and starts a run of its length.
struct KaraokeText {
  std::vector<std::pair<int64_t, std::string>> runs;  // centiseconds (-1 before any tag), text
  bool tagged = false;
};

KaraokeText ReadEventText(std::string_view s) {
  KaraokeText out;
  out.runs.push_back({-1, {}});
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '{') {
      const size_t close = s.find('}', i);
      const std::string_view block = s.substr(i + 1, (close == std::string_view::npos ? s.size() : close) - i - 1);
      for (size_t b = block.find('\\'); b != std::string_view::npos; b = block.find('\\', b + 1)) {
        const int64_t cs = KaraokeTag(block.substr(b + 1));
        if (cs < 0) continue;
        out.tagged = true;
        out.runs.push_back({cs, {}});
      }
      if (close == std::string_view::npos) break;
      i = close;
      continue;
    }
    if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == 'N' || s[i + 1] == 'n' || s[i + 1] == 'h')) {
      out.runs.back().second += ' ';
      ++i;
      continue;
    }
    out.runs.back().second += s[i];
  }
  return out;
}

struct AssReader {
  const std::string& fileName;
  TimedLyrics& out;
  EventFormat format;
  SingerNaming singers;
  bool sawEvents = false;

  Outcome ReadDialogue(std::string_view body, int lineNumber) {
    const std::vector<std::string_view> fields = SplitFields(body, format.count);
    if (fields.size() < format.count)
      return TimedFormatProblem(fileName, kFormat, lineNumber, "a Dialogue line with too few fields (cut short?)");
    Millis start = 0, end = 0;
    if (!ReadClockTime(fields[format.start], start) || !ReadClockTime(fields[format.end], end))
      return TimedFormatProblem(fileName, kFormat, lineNumber, "a start or end time that is not h:mm:ss.cc");
    if (end < start) return TimedFormatProblem(fileName, kFormat, lineNumber, "a line that ends before it starts");

    std::string_view who = format.style < fields.size() ? fields[format.style] : std::string_view{};
    if (AsciiLower(who) == "default" && format.name < fields.size() && !fields[format.name].empty())
      who = fields[format.name];
    const SingerNaming::Role role = singers.RoleOf(who);
    TimedLine line;
    line.singer = role.singer;
    line.fixed = role.fixed;
    line.show = start;
    line.erase = end;

    const KaraokeText text = ReadEventText(fields[format.text]);
    if (!text.tagged || line.fixed) {
      std::string all;
      for (const auto& run : text.runs) all += run.second;
      AppendLineText(all, line.fixed ? kUntimed : start, line.fixed ? kUntimed : end, line);
    } else {
      std::vector<TimedRun> runs;
      Millis at = start;
      for (const auto& [cs, piece] : text.runs) {
        const Millis length = cs < 0 ? 0 : cs * 10;
        if (cs < 0 && TrimBlanks(piece).empty()) continue;
        runs.push_back({piece, at, at + length});
        at += length;
      }
      if (at > end + kTagSlack)
        return TimedFormatProblem(fileName, kFormat, lineNumber, "\\k tags run past the line's end");
      AppendTimedRuns(runs, line);
    }
    Outcome outcome;
    if (!CheckLineForRawText(line, fileName, kFormat, lineNumber, outcome)) return outcome;
    out.lines.push_back(std::move(line));
    return Outcome::Success();
  }
};

}  // namespace

Outcome ReadAss(std::string_view bytes, const std::string& fileName, TimedLyrics& out) {
  out = {};
  std::string text;
  if (Outcome o = DecodeTimedFormatText(bytes, false, fileName, kFormat, text); !o) return o;
  AssReader reader{fileName, out, {}, {}, false};
  std::string section;
  bool sawHeader = false;
  const std::vector<std::string_view> lines = TextLines(text);
  for (size_t i = 0; i < lines.size(); ++i) {
    const int lineNumber = static_cast<int>(i + 1);
    const std::string_view line = TrimBlanks(lines[i]);
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[') {
      section = AsciiLower(line);
      sawHeader = sawHeader || section == "[script info]";
      reader.sawEvents = reader.sawEvents || section == "[events]";
      continue;
    }
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string key = AsciiLower(TrimBlanks(line.substr(0, colon)));
    const std::string_view value = line.substr(colon + 1);
    if (section == "[script info]" && key == "title") out.title = std::string(TrimBlanks(value));
    if (section != "[events]") continue;
    if (key == "format" && !reader.format.Read(value)) {
      out = {};
      return TimedFormatProblem(fileName, kFormat, lineNumber, "a Format line without Start, End and Text");
    }
    if (key != "dialogue") continue;
    if (Outcome o = reader.ReadDialogue(TrimBlanks(value), lineNumber); !o) {
      out = {};
      return o;
    }
  }
  if (!sawHeader && !reader.sawEvents) return TimedFormatProblem(fileName, kFormat, 0, "no [Script Info] or [Events]");
  if (out.lines.empty()) {
    out = {};
    return TimedFormatProblem(fileName, kFormat, 0, "no Dialogue lines (cut short?)");
  }
  for (const TimedLine& l : out.lines) out.duet = out.duet || l.singer != Singer::kSinger1;
  return Outcome::Success();
}

}  // namespace lf
