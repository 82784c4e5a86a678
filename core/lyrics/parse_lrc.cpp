#include "core/lyrics/parse_lrc.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/lyrics/decode_lyrics_text.h"

namespace lf {

namespace {

bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimLeft(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && IsWhite(s[b])) ++b;
  return s.substr(b);
}

std::string_view TrimRight(std::string_view s) {
  size_t e = s.size();
  while (e > 0 && IsWhite(s[e - 1])) --e;
  return s.substr(0, e);
}

std::string_view Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

int32_t ClampTime(int64_t t) { return static_cast<int32_t>(std::clamp<int64_t>(t, 0, kLrcMaxTime)); }

// Decimal digits from `pos` up to the first non-digit (0 when there are
// none), advancing `pos`. Saturates, so that a run of digits cannot overflow.
int64_t ReadDigits(std::string_view s, size_t& pos) {
  int64_t v = 0;
  for (; pos < s.size() && IsDigit(s[pos]); ++pos) v = std::min<int64_t>(v * 10 + (s[pos] - '0'), 1'000'000'000'000);
  return v;
}

// The digits after a decimal point as a fraction of a second, in
// milliseconds: ".5", ".50" and ".500" are all 500; digits past the third
// are below a millisecond.
int64_t ReadFractionMs(std::string_view s, size_t& pos) {
  int64_t v = 0;
  int digits = 0;
  for (; pos < s.size() && IsDigit(s[pos]); ++pos, ++digits)
    if (digits < 3) v = v * 10 + (s[pos] - '0');
  for (; digits < 3; ++digits) v *= 10;
  return v;
}

enum class TagTime { None, Time, Unreadable };

// A tag's content as a time: "m:ss", "mm:ss.f" with any number of minute and
// fraction digits ("," stands for the point too); of "mm:ss:xx" the third
// field is not read. Content that starts with a digit and holds a ":" is
// meant as a time, so anything else of that shape is unreadable.
TagTime ReadTagTime(std::string_view content, int32_t& ms) {
  content = Trim(content);
  if (content.empty() || !IsDigit(content[0])) return TagTime::None;
  if (content.find(':') == std::string_view::npos) return TagTime::None;
  size_t p = 0;
  const int64_t minutes = ReadDigits(content, p);
  if (p >= content.size() || content[p] != ':') return TagTime::Unreadable;
  ++p;
  if (p >= content.size() || !IsDigit(content[p])) return TagTime::Unreadable;
  const int64_t seconds = ReadDigits(content, p);
  int64_t fraction = 0;
  if (p < content.size() && (content[p] == '.' || content[p] == ','))
    fraction = ReadFractionMs(content, ++p);
  else if (p < content.size() && content[p] == ':')
    ReadDigits(content, ++p);
  if (p != content.size()) return TagTime::Unreadable;
  ms = ClampTime(minutes * 60'000 + seconds * 1000 + fraction);
  return TagTime::Time;
}

int32_t ReadSigned(std::string_view s) {
  s = TrimLeft(s);
  bool negative = false;
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  size_t p = 0;
  const int64_t v = std::min<int64_t>(ReadDigits(s, p), INT32_MAX);
  return static_cast<int32_t>(negative ? -v : v);
}

void ReadIdTag(std::string_view content, LrcFile& lrc) {
  const size_t colon = content.find(':');
  if (colon == std::string_view::npos || colon == 0) return;
  std::string key(content.substr(0, colon));
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  const std::string_view value = content.substr(colon + 1);
  if (key == "ar")
    lrc.artist = value;
  else if (key == "al")
    lrc.album = value;
  else if (key == "ti")
    lrc.title = value;
  else if (key == "au")
    lrc.author = value;
  else if (key == "by")
    lrc.creator = value;
  else if (key == "re")
    lrc.tool = value;
  else if (key == "ve")
    lrc.toolVersion = value;
  else if (key == "offset")
    lrc.offset = ReadSigned(value);
  else if (key == "length") {
    const std::string_view v = TrimLeft(value);
    const size_t sep = v.find(':');
    size_t p = 0, q = sep == std::string_view::npos ? 0 : sep + 1;
    const int64_t m = ReadDigits(v, p);
    const int64_t s = ReadDigits(v, q);
    lrc.length = static_cast<int32_t>(std::min<int64_t>((m * 60 + s) * 100, INT32_MAX));
  }
}

// Runs of blanks become one blank.
std::string CollapseBlanks(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s)
    if (c != ' ' || out.empty() || out.back() != ' ') out += c;
  return out;
}

// Removes every "<...>"; text after a "<" that is never closed stays as it is.
std::string RemoveWordTags(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    const size_t lt = s.find('<', i);
    const size_t gt = lt == std::string_view::npos ? lt : s.find('>', lt);
    if (gt == std::string_view::npos) {
      out.append(s.substr(i));
      break;
    }
    out.append(s.substr(i, lt - i));
    i = gt + 1;
  }
  return out;
}

// Time tags inside the lyric text written in square brackets are word tags:
// "hello [00:06.00] world" reads as "hello <00:06.00>world". The blank goes
// with the tag, so the text keeps one blank between the words.
std::string SquareWordTagsToAngle(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    const size_t open = s.find('[', i);
    const size_t close = open == std::string_view::npos ? open : s.find(']', open);
    if (close == std::string_view::npos) {
      out.append(s.substr(i));
      break;
    }
    out.append(s.substr(i, open - i));
    const std::string_view content = s.substr(open + 1, close - open - 1);
    int32_t unused = 0;
    i = close + 1;
    if (ReadTagTime(content, unused) != TagTime::Time) {
      out.append(s.substr(open, close - open + 1));
      continue;
    }
    while (i < s.size() && IsWhite(s[i])) ++i;
    if (i == s.size()) out.resize(TrimRight(out).size());  // a closing tag ends the last word
    out += '<';
    out.append(content);
    out += '>';
  }
  return out;
}

// One timed line before it takes its place in time order.
struct TimedLine {
  int32_t time = 0;  // its line tag
  std::string text;  // as it joins the lyric text, word tags included, ended by LF
  LrcLine line;
  bool endsFromTags = false;  // read once the file had shown a word tag
};

struct ParseState {
  bool enhanced = false;
  int32_t singer = 1;
  std::vector<TimedLine> lines;
  std::string error;
};

// The words of a line: runs of non-blank characters. A time tag sets the time
// of the word it starts; one inside a word (a syllable) only moves the clock
// on, so each word keeps its own first tag. Returns the time of the last tag
// (the line's own time when there is none).
int32_t ReadWords(std::string_view text, int32_t lineTime, bool& wordTagSeen, std::vector<LrcElement>& words) {
  int32_t current = lineTime;
  std::string word;
  int32_t wordStart = 0;
  auto finishWord = [&] {
    if (!word.empty()) words.push_back({wordStart, 0, std::move(word)});
    word.clear();
  };
  for (size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (c == '<') {
      if (const size_t gt = text.find('>', i); gt != std::string_view::npos) {
        int32_t t = 0;
        if (ReadTagTime(text.substr(i + 1, gt - i - 1), t) == TagTime::Time) {
          current = t;
          wordTagSeen = true;
        }
        i = gt + 1;
        continue;
      }
    }
    ++i;
    if (IsWhite(c)) {
      finishWord();
      continue;
    }
    if (word.empty()) wordStart = current;
    word += c;
  }
  finishWord();
  if (words.empty()) words.push_back({lineTime, 0, ""});  // an empty line keeps its place
  return current;
}

// Ends from the tags: a word ends just before the next begins, the last just
// before the line's closing tag.
void EndWordsAtTags(std::vector<LrcElement>& els, int32_t closingTime) {
  for (size_t j = 0; j + 1 < els.size(); ++j) els[j].end = els[j + 1].start - kLrcEndGap;
  if (!els.empty()) els.back().end = closingTime - kLrcEndGap;
}

// A line with its text after the line tags, at each of `times`; the repeats
// move the word tags along with their line.
void ReadTimedLine(const std::vector<int32_t>& times, std::string_view lineText, ParseState& st) {
  std::string t(Trim(lineText));
  if (t.size() >= 2 && t[1] == ':') {
    const char mark = t[0] >= 'a' && t[0] <= 'z' ? static_cast<char>(t[0] - 'a' + 'A') : t[0];
    const int code = mark == 'M' ? 1 : mark == 'F' ? 2 : mark == 'D' ? 3 : 0;
    if (code) {
      st.singer = code;
      t.erase(0, 2);
    }
  }
  t = CollapseBlanks(SquareWordTagsToAngle(t));

  std::vector<LrcElement> words;
  bool wordTagSeen = false;
  const int32_t closing = ReadWords(t, times.front(), wordTagSeen, words);
  st.enhanced = st.enhanced || wordTagSeen;

  // Word tags are written for one of the line's times: the one nearest to them.
  int32_t base = times.front();
  for (const int32_t time : times)
    if (std::abs(int64_t{time} - words.front().start) < std::abs(int64_t{base} - words.front().start)) base = time;
  for (const int32_t time : times) {
    const int64_t shift = int64_t{time} - base;
    TimedLine tl;
    tl.time = time;
    tl.text = t + "\n";
    tl.line.singer = st.singer;
    tl.line.elements = words;
    for (auto& e : tl.line.elements) e.start = ClampTime(e.start + shift);
    if (st.enhanced) EndWordsAtTags(tl.line.elements, ClampTime(closing + shift));
    tl.endsFromTags = st.enhanced;
    st.lines.push_back(std::move(tl));
  }
}

// False when the line's time tag cannot be read.
bool ReadLine(std::string_view raw, ParseState& st, LrcFile& lrc) {
  std::string_view line = Trim(raw);
  const size_t open = line.find('[');
  if (open == std::string_view::npos) return true;
  line.remove_prefix(open);

  // The line tags: one, or several written side by side for a repeated line.
  std::vector<int32_t> times;
  while (!line.empty() && line[0] == '[') {
    const size_t close = line.find(']');
    if (close == std::string_view::npos) break;
    const std::string_view content = line.substr(1, close - 1);
    int32_t time = 0;
    const TagTime kind = ReadTagTime(content, time);
    if (kind == TagTime::Unreadable) {
      st.error = "\"[" + std::string(content) + "]\" is not a time tag (m:ss.xx)";
      return false;
    }
    if (kind == TagTime::None) {
      if (times.empty()) ReadIdTag(content, lrc);
      break;
    }
    times.push_back(time);
    line.remove_prefix(close + 1);
  }
  if (!times.empty()) ReadTimedLine(times, line, st);
  return true;
}

int32_t SpreadEnd(int64_t start, int64_t step) { return ClampTime(start + std::max<int64_t>(step - kLrcEndGap, 0)); }

// Without word tags the words share their line's time evenly; the last line
// takes the average share of the words before it.
void SpreadWords(std::vector<TimedLine>& lines) {
  int64_t sum = 0, count = 0;
  const size_t n = lines.size();
  for (size_t i = 0; i < n; ++i) {
    auto& els = lines[i].line.elements;
    const int64_t k = static_cast<int64_t>(els.size());
    int64_t step;
    if (i + 1 < n) {
      step = (int64_t{lines[i + 1].time} - lines[i].time) / k;
      sum += step * k;
      count += k;
    } else {
      step = count > 0 ? sum / count : kLrcDefaultWordStep;
    }
    for (int64_t j = 0; j < k; ++j) {
      const int64_t start = lines[i].time + j * step;
      els[j].start = ClampTime(start);
      els[j].end = SpreadEnd(start, step);
    }
  }
}

// In an enhanced file a word ends where the next tag begins. A line without a
// closing tag, or a plain line among tagged ones, would end its words before
// they start; they end instead just before the next word of the file.
void MendEnhancedEnds(std::vector<TimedLine>& lines) {
  int64_t sum = 0, count = 0;
  for (const auto& l : lines)
    for (const auto& e : l.line.elements)
      if (l.endsFromTags && e.end >= e.start) sum += e.end - e.start + kLrcEndGap, ++count;
  const int64_t fallback = count > 0 ? sum / count : kLrcDefaultWordStep;

  bool haveNext = false;
  int32_t nextStart = 0;
  for (size_t i = lines.size(); i-- > 0;) {
    auto& els = lines[i].line.elements;
    for (size_t j = els.size(); j-- > 0;) {
      auto& e = els[j];
      if (lines[i].endsFromTags && e.end < e.start)
        e.end = haveNext ? std::max(e.start, nextStart - kLrcEndGap) : SpreadEnd(e.start, fallback);
      haveNext = true;
      nextStart = e.start;
    }
  }
}

// [offset:+n] shows the lyrics n milliseconds sooner, as LRC players take it.
void ApplyOffset(int32_t offset, std::vector<TimedLine>& lines) {
  if (offset == 0) return;
  for (auto& l : lines) {
    l.time = ClampTime(int64_t{l.time} - offset);
    for (auto& e : l.line.elements) {
      e.start = ClampTime(int64_t{e.start} - offset);
      if (e.end != 0) e.end = std::max(e.start, ClampTime(int64_t{e.end} - offset));
    }
  }
}

}  // namespace

size_t ParseLrc(std::string_view data, std::string& text, LrcFile& lrc, std::string* error) {
  lrc.Clear();
  text.clear();
  if (error) error->clear();
  const std::string decoded = DecodeLyricsTextFile(data);
  const std::string_view all = decoded;

  ParseState st;
  size_t pos = 0;
  for (int lineNumber = 1; pos < all.size(); ++lineNumber) {
    size_t lf = all.find('\n', pos);
    if (lf == std::string_view::npos) lf = all.size();
    if (!ReadLine(all.substr(pos, lf - pos), st, lrc)) {
      if (error) *error = "line " + std::to_string(lineNumber) + ": " + st.error;
      return 0;
    }
    pos = lf + 1;
  }
  if (st.lines.empty()) return 0;

  // Repeated lines join the others in time order; equal times keep file order.
  std::stable_sort(st.lines.begin(), st.lines.end(),
                   [](const TimedLine& a, const TimedLine& b) { return a.time < b.time; });
  if (st.enhanced)
    MendEnhancedEnds(st.lines);
  else
    SpreadWords(st.lines);
  ApplyOffset(lrc.offset, st.lines);

  std::string all_text;
  for (auto& l : st.lines) {
    all_text += l.text;
    lrc.lines.push_back(std::move(l.line));
  }
  text = st.enhanced ? RemoveWordTags(all_text) : std::move(all_text);
  return text.size();
}

}  // namespace lf
