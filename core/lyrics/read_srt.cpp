// The SubRip reader of timed_format_readers.h.
#include <algorithm>

#include "core/lyrics/timed_format_readers.h"
#include "core/lyrics/timed_reader_support.h"

namespace lf {

namespace {

constexpr std::string_view kFormat = "SRT";

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The cue text without <b>, <i>, <u>, <font ...> and {\an8}-style tags.
std::string WithoutTags(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    const char close = s[i] == '<' ? '>' : s[i] == '{' ? '}' : '\0';
    if (close) {
      const size_t end = s.find(close, i);
      if (end != std::string_view::npos) {
        i = end;
        continue;
      }
    }
    out += s[i];
  }
  return out;
}

}  // namespace

Outcome ReadSrt(std::string_view bytes, const std::string& fileName, TimedLyrics& out) {
  out = {};
  std::string text;
  if (Outcome o = DecodeTimedFormatText(bytes, false, fileName, kFormat, text); !o) return o;
  const std::vector<std::string_view> lines = TextLines(text);
  size_t i = 0;
  const auto blank = [&](size_t k) { return TrimBlanks(lines[k]).empty(); };
  const auto fail = [&](size_t line, const std::string& what) {
    out = {};
    return TimedFormatProblem(fileName, kFormat, static_cast<int>(line), what);
  };
  while (i < lines.size()) {
    if (blank(i)) {
      ++i;
      continue;
    }
    const size_t cueLine = i + 1;
    if (AllDigits(TrimBlanks(lines[i])) && i + 1 < lines.size() && lines[i + 1].find("-->") != std::string_view::npos)
      ++i;
    Millis start = 0, end = 0;
    if (lines[i].find("-->") == std::string_view::npos)
      return fail(i + 1, "not a cue number or a time line (start --> end)");
    if (!ReadCueTiming(lines[i], start, end))
      return fail(i + 1, "a time line that is not hh:mm:ss,mmm --> hh:mm:ss,mmm");
    if (end < start) return fail(i + 1, "a cue that ends before it starts");
    ++i;
    std::vector<std::string> texts;
    const int firstTextLine = static_cast<int>(i + 1);
    for (; i < lines.size() && !blank(i); ++i) texts.push_back(WithoutTags(TrimBlanks(lines[i])));
    if (texts.empty() && i >= lines.size()) return fail(cueLine, "a cue without its text (cut short?)");
    std::vector<TimedLine> cue = SpreadCueLines(texts, start, end);
    for (size_t k = 0; k < cue.size(); ++k) {
      cue[k].show = start;
      cue[k].erase = end;
      Outcome o;
      if (!CheckLineForRawText(cue[k], fileName, kFormat, firstTextLine + static_cast<int>(k), o)) {
        out = {};
        return o;
      }
      out.lines.push_back(std::move(cue[k]));
    }
  }
  if (out.lines.empty()) return TimedFormatProblem(fileName, kFormat, 0, "no cues");
  return Outcome::Success();
}

}  // namespace lf
