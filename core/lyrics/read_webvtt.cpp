// The WebVTT reader of timed_format_readers.h.
#include "core/lyrics/timed_format_readers.h"
#include "core/lyrics/timed_reader_support.h"

namespace lf {

namespace {

constexpr std::string_view kFormat = "WebVTT";

struct Entity {
  std::string_view name;
  std::string_view text;
};
constexpr Entity kEntities[] = {{"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"},    {"&nbsp;", "\xC2\xA0"},
                                {"&lrm;", ""},  {"&rlm;", ""}, {"&quot;", "\""}, {"&apos;", "'"}};

// One line of cue text as timed runs: every timestamp tag starts a run;
// the voice of a <v Name> tag names the line's singer.
struct CueLine {
  std::vector<TimedRun> runs;  // run ends are set once the next start is known
  std::string voice;
  bool timed = false;
  std::string plain;  // the text without tags
};

struct CueParser {
  Millis start = 0, end = 0;
  std::string voice;  // the voice of a <v> span that runs on to later lines
  std::string error;

  CueLine ReadLine(std::string_view s, Millis& at) {
    CueLine line;
    line.runs.push_back({{}, at, kUntimed});
    for (size_t i = 0; i < s.size(); ++i) {
      if (s[i] == '<') {
        const size_t close = s.find('>', i);
        if (close == std::string_view::npos) {
          error = "a tag without its closing '>' (cut short?)";
          return line;
        }
        const std::string_view tag = s.substr(i + 1, close - i - 1);
        i = close;
        Millis t = 0;
        if (!tag.empty() && tag[0] >= '0' && tag[0] <= '9') {
          if (!ReadClockTime(tag, t)) {
            error = "a timestamp <" + std::string(tag) + "> that is not hh:mm:ss.ttt";
            return line;
          }
          if (t < at || t > end) {
            error = "a timestamp <" + std::string(tag) + "> outside its cue or before the one before it";
            return line;
          }
          at = t;
          line.timed = true;
          line.runs.push_back({{}, t, kUntimed});
        } else if (tag.size() >= 1 && tag[0] == 'v' && (tag.size() == 1 || tag[1] == ' ' || tag[1] == '.')) {
          const size_t blank = tag.find(' ');
          voice = blank == std::string_view::npos ? std::string() : std::string(TrimBlanks(tag.substr(blank)));
        } else if (tag == "/v") {
          if (line.voice.empty()) line.voice = voice;
          voice.clear();
        }
        continue;
      }
      if (line.voice.empty() && s[i] != ' ') line.voice = voice;
      std::string_view piece = s.substr(i, 1);
      if (s[i] == '&')
        for (const Entity& e : kEntities)
          if (s.substr(i, e.name.size()) == e.name) {
            piece = e.text;
            i += e.name.size() - 1;
            break;
          }
      line.runs.back().text += piece;
      line.plain += piece;
    }
    return line;
  }
};

}  // namespace

Outcome ReadWebVtt(std::string_view bytes, const std::string& fileName, TimedLyrics& out) {
  out = {};
  std::string text;
  if (Outcome o = DecodeTimedFormatText(bytes, true, fileName, kFormat, text); !o) return o;
  const std::vector<std::string_view> lines = TextLines(text);
  const auto fail = [&](size_t line, const std::string& what) {
    out = {};
    return TimedFormatProblem(fileName, kFormat, static_cast<int>(line), what);
  };
  if (lines.empty() || lines[0].substr(0, 6) != "WEBVTT" ||
      (lines[0].size() > 6 && lines[0][6] != ' ' && lines[0][6] != '\t'))
    return fail(1, "the file does not start with WEBVTT");
  const auto blank = [&](size_t k) { return TrimBlanks(lines[k]).empty(); };
  SingerNaming singers;
  size_t i = 1;
  while (i < lines.size() && !blank(i)) ++i;  // the header block
  while (i < lines.size()) {
    if (blank(i)) {
      ++i;
      continue;
    }
    const std::string_view first = TrimBlanks(lines[i]);
    if (first.substr(0, 4) == "NOTE" || first.substr(0, 5) == "STYLE" || first.substr(0, 6) == "REGION") {
      while (i < lines.size() && !blank(i)) ++i;
      continue;
    }
    if (lines[i].find("-->") == std::string_view::npos) ++i;  // the cue's identifier
    if (i >= lines.size() || lines[i].find("-->") == std::string_view::npos)
      return fail(i, "a cue without its time line (start --> end)");
    CueParser cue;
    if (!ReadCueTiming(lines[i], cue.start, cue.end))
      return fail(i + 1, "a time line that is not hh:mm:ss.ttt --> hh:mm:ss.ttt");
    if (cue.end < cue.start) return fail(i + 1, "a cue that ends before it starts");
    ++i;
    std::vector<CueLine> cueLines;
    std::vector<int> numbers;
    Millis at = cue.start;
    bool timed = false;
    for (; i < lines.size() && !blank(i); ++i) {
      cueLines.push_back(cue.ReadLine(TrimBlanks(lines[i]), at));
      if (!cue.error.empty()) return fail(i + 1, cue.error);
      numbers.push_back(static_cast<int>(i + 1));
      timed = timed || cueLines.back().timed;
    }
    std::vector<TimedLine> timedLines;
    if (timed) {
      // Each run ends where the next one starts, the last at the cue's end.
      std::vector<TimedRun*> all;
      for (CueLine& l : cueLines)
        for (TimedRun& r : l.runs) all.push_back(&r);
      for (size_t k = 0; k < all.size(); ++k) all[k]->end = k + 1 < all.size() ? all[k + 1]->start : cue.end;
      for (const CueLine& l : cueLines) {
        TimedLine line;
        AppendTimedRuns(l.runs, line);
        timedLines.push_back(std::move(line));
      }
    } else {
      std::vector<std::string> texts;
      texts.reserve(cueLines.size());
      for (const CueLine& l : cueLines) texts.push_back(l.plain);
      timedLines = SpreadCueLines(texts, cue.start, cue.end);
    }
    for (size_t k = 0; k < timedLines.size(); ++k) {
      TimedLine& line = timedLines[k];
      const SingerNaming::Role role = singers.RoleOf(cueLines[k].voice);
      line.singer = role.singer;
      line.fixed = role.fixed;
      line.show = cue.start;
      line.erase = cue.end;
      Outcome o;
      if (!CheckLineForRawText(line, fileName, kFormat, numbers[k], o)) {
        out = {};
        return o;
      }
      out.duet = out.duet || line.singer != Singer::kSinger1;
      out.lines.push_back(std::move(line));
    }
  }
  if (out.lines.empty()) return fail(0, "no cues");
  return Outcome::Success();
}

}  // namespace lf
