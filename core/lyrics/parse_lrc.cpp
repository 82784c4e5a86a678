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
// fraction digits ("," stands for the point too, and so does the ":" of
// "mm:ss:xx"). Content that starts with a digit and holds a ":" is
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
  if (p < content.size() && (content[p] == '.' || content[p] == ',' || content[p] == ':'))
    fraction = ReadFractionMs(content, ++p);
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

// The code point of the UTF-8 sequence at `pos` (0 past the end; a stray
// byte stands for itself).
char32_t CharAt(std::string_view s, size_t pos) {
  if (pos >= s.size()) return 0;
  const auto c = static_cast<uint8_t>(s[pos]);
  const int len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 1;
  if (len == 1 || pos + len > s.size()) return c;
  char32_t cp = c & (0x7F >> len);
  for (int k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<uint8_t>(s[pos + k]) & 0x3F);
  return cp;
}

char32_t LastChar(std::string_view s) {
  size_t pos = s.size();
  while (pos > 0 && (static_cast<uint8_t>(s[pos - 1]) & 0xC0) == 0x80) --pos;
  return pos > 0 ? CharAt(s, pos - 1) : 0;
}

// Han, kana, Hangul and their full-width forms: scripts written without blanks.
bool IsCjk(char32_t c) {
  return (c >= 0x1100 && c <= 0x11FF) || (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x3FFFF);
}

// Time tags inside the lyric text written in square brackets are word tags:
// "hello [00:06.00] world" and "hello[00:06.00]world" read as
// "hello <00:06.00>world". The blank goes with the tag, so the text keeps one
// blank between the words; between Chinese, Japanese or Korean characters the
// tag stays a tag between characters.
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
    if (i == s.size())
      out.resize(TrimRight(out).size());  // a closing tag ends the last word
    else if (!out.empty() && !IsWhite(out.back()) && !IsCjk(LastChar(out)) && !IsCjk(CharAt(s, i)))
      out += ' ';  // a tag between two words separates them; between characters it cuts them
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
  std::vector<int32_t> tagAt;  // per word, the time of the tag that starts it; -1 for none
  int32_t closing = -1;        // a tag after the last word; -1 for none
  bool tagged = false;         // a word tag stands on the line
  bool fixed = false;          // shown with the sung line of the same time, never sung
};

struct ParseState {
  bool enhanced = false;
  int32_t singer = 1;
  std::vector<TimedLine> lines;
  std::string error;
};

// The position of the first character from `pos` that is not inside a "<...>".
size_t NextCharAfterTags(std::string_view s, size_t pos) {
  while (pos < s.size() && s[pos] == '<') {
    const size_t gt = s.find('>', pos);
    if (gt == std::string_view::npos) break;
    pos = gt + 1;
  }
  return pos;
}

// The words of a line: runs of non-blank characters. A time tag starts a word
// with its time; in Chinese, Japanese and Korean text a tag also cuts a run,
// so that each tagged character is a word of its own. `joins` receives the position of
// each tag that cuts a run, where the lyric text takes a syllable mark.
// Returns true when the line holds a word time tag.
bool ReadWords(std::string_view text, TimedLine& tl, std::vector<size_t>& joins) {
  auto& words = tl.line.elements;
  bool tagSeen = false;
  int32_t pending = -1;            // a tag not yet given to a word
  size_t cut = std::string::npos;  // a tag met inside the current run
  std::string word;
  auto finishWord = [&] {
    if (!word.empty()) words.push_back({0, 0, std::move(word)});
    word.clear();
  };
  for (size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (c == '<') {
      if (const size_t gt = text.find('>', i); gt != std::string_view::npos) {
        int32_t t = 0;
        if (ReadTagTime(text.substr(i + 1, gt - i - 1), t) == TagTime::Time) {
          tagSeen = true;
          const size_t after = NextCharAfterTags(text, gt + 1);
          const bool insideRun = !word.empty() && after < text.size() && !IsWhite(text[after]);
          if (!insideRun) {
            finishWord();
            pending = t;
          } else if (IsCjk(LastChar(word)) || IsCjk(CharAt(text, after))) {
            // Chinese, Japanese and Korean have no blanks between words:
            // each tagged character is a word of its own.
            finishWord();
            pending = t;
            cut = i;
          }
          // A tag inside an alphabetic word marks a syllable of that word,
          // which keeps the time of its first tag.
        }
        i = gt + 1;
        continue;
      }
    }
    ++i;
    if (IsWhite(c)) {
      finishWord();
      cut = std::string::npos;
      continue;
    }
    if (word.empty()) {
      tl.tagAt.push_back(pending);
      pending = -1;
      if (cut != std::string::npos) joins.push_back(cut);
      cut = std::string::npos;
    }
    word += c;
  }
  finishWord();
  tl.closing = pending;
  if (words.empty()) {  // an empty line keeps its place
    words.push_back({tl.time, 0, ""});
    tl.tagAt.assign(1, -1);
  }
  return tagSeen;
}

// The singer code of a line's leading mark and the mark's length: "M:",
// "F:", "D:" (1, 2, 3) or "v1:", "v2:" (1, 2), in either case; 0 for none.
int SingerMark(std::string_view t, size_t& length) {
  const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
  if (t.size() >= 2 && t[1] == ':') {
    const char mark = upper(t[0]);
    length = 2;
    return mark == 'M' ? 1 : mark == 'F' ? 2 : mark == 'D' ? 3 : 0;
  }
  if (t.size() >= 3 && upper(t[0]) == 'V' && (t[1] == '1' || t[1] == '2') && t[2] == ':') {
    length = 3;
    return t[1] - '0';
  }
  return 0;
}

// A line with its text after the line tags, at each of `times`; the repeats
// move the word tags along with their line.
void ReadTimedLine(const std::vector<int32_t>& times, std::string_view lineText, ParseState& st) {
  std::string t(Trim(lineText));
  size_t markLength = 0;
  if (const int code = SingerMark(t, markLength)) {
    st.singer = code;
    t.erase(0, markLength);
  } else if (const size_t tagEnd = t.find('>'); t.starts_with('<') && tagEnd != std::string::npos) {
    // A mark written as a word of its own, "<00:12.000>F: <00:12.000>Hello",
    // for readers that take no text before a line's first word tag.
    const std::string_view rest = std::string_view(t).substr(tagEnd + 1);
    const int tagged = SingerMark(rest, markLength);
    if (tagged && (rest.size() == markLength || rest[markLength] == ' ')) {
      st.singer = tagged;
      t.erase(0, tagEnd + 1 + markLength);
      t = std::string(Trim(t));
    }
  }
  t = CollapseBlanks(SquareWordTagsToAngle(t));

  TimedLine read;
  read.time = times.front();
  read.line.singer = st.singer;
  std::vector<size_t> joins;
  read.tagged = ReadWords(t, read, joins);
  st.enhanced = st.enhanced || read.tagged;
  // A run cut by a tag continues the word before it: a syllable mark.
  for (size_t k = joins.size(); k-- > 0;) t.insert(joins[k], 1, '*');
  read.text = t + "\n";

  // Word tags are written for one of the line's times: the one nearest to them.
  const int32_t first = read.tagAt.front() >= 0 ? read.tagAt.front() : read.time;
  int32_t base = times.front();
  for (const int32_t time : times)
    if (std::abs(int64_t{time} - first) < std::abs(int64_t{base} - first)) base = time;
  for (const int32_t time : times) {
    const int64_t shift = int64_t{time} - base;
    TimedLine tl = read;
    tl.time = time;
    for (auto& at : tl.tagAt)
      if (at >= 0) at = ClampTime(at + shift);
    if (tl.closing >= 0) tl.closing = ClampTime(tl.closing + shift);
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

bool HasText(const TimedLine& l) { return !l.line.elements.front().text.empty(); }

// Bilingual files repeat a time for the translation of the line before:
// of the lines with text at one time, the first is sung and the others are
// fixed lines shown with it.
void MarkTranslations(std::vector<TimedLine>& lines) {
  for (size_t g = 0; g < lines.size();) {
    size_t h = g;
    bool sung = false;
    for (; h < lines.size() && lines[h].time == lines[g].time; ++h) {
      if (!HasText(lines[h])) continue;
      if (sung) {
        lines[h].fixed = true;
        lines[h].text.insert(0, 1, '!');
      }
      sung = true;
    }
    g = h;
  }
}

int32_t FirstStart(const TimedLine& l) { return l.tagAt.front() >= 0 ? l.tagAt.front() : l.time; }

// Characters of a word (UTF-8 lead bytes), for sharing a span by letters.
int64_t Letters(const std::string& s) {
  int64_t n = 0;
  for (char c : s) n += (static_cast<uint8_t>(c) & 0xC0) != 0x80;
  return n;
}

// Words [a, b) share the span from `from` to `to` by their letters; each ends
// one hundredth before the next begins, the last before `to`.
void SpreadByLetters(std::vector<LrcElement>& els, size_t a, size_t b, int64_t from, int64_t to) {
  int64_t total = 0;
  for (size_t j = a; j < b; ++j) total += std::max<int64_t>(Letters(els[j].text), 1);
  const int64_t span = std::max<int64_t>(to - from, 0);
  int64_t before = 0;
  for (size_t j = a; j < b; ++j) {
    els[j].start = ClampTime(from + span * before / total);
    before += std::max<int64_t>(Letters(els[j].text), 1);
  }
  for (size_t j = a; j < b; ++j) {
    const int64_t next = j + 1 < b ? els[j + 1].start : to;
    els[j].end = ClampTime(std::max<int64_t>(els[j].start, next - kLrcEndGap));
  }
}

// Words without tags share their line's time evenly, in whole hundredths, up
// to the next line's time; a line with no later line takes the average share
// of the other such words. Tagged lines are cut at their tags: each tag starts
// a span that its words share by their letters, up to the next tag, the
// line's closing tag or, without one, the next line. Fixed lines take the
// span of the line they are shown with.
void TimeWords(std::vector<TimedLine>& lines) {
  const size_t n = lines.size();
  std::vector<size_t> next(n, n);  // the first sung line of the next later time
  for (size_t h = n, after = n; h > 0;) {
    size_t g = h - 1;
    while (g > 0 && lines[g - 1].time == lines[h - 1].time) --g;
    size_t first = n;
    for (size_t i = g; i < h; ++i) {
      next[i] = after;
      if (first == n && !lines[i].fixed) first = i;
    }
    if (first < n) after = first;
    h = g;
  }

  int64_t hundredths = 0, counted = 0, tagSum = 0, tagCount = 0;
  for (size_t i = 0; i < n; ++i) {
    auto& l = lines[i];
    if (l.fixed || l.tagged || next[i] == n) continue;
    const int64_t k = static_cast<int64_t>(l.line.elements.size());
    const int64_t step = (int64_t{lines[next[i]].time} - l.time) / (10 * k);
    hundredths += step * k;
    counted += k;
  }
  auto spreadEvenly = [](TimedLine& l, int64_t step) {
    auto& els = l.line.elements;
    for (size_t j = 0; j < els.size(); ++j) {
      const int64_t start = l.time + static_cast<int64_t>(j) * step;
      els[j].start = ClampTime(start);
      els[j].end = ClampTime(start + std::max<int64_t>(step - kLrcEndGap, 0));
    }
  };
  for (size_t i = 0; i < n; ++i) {
    auto& l = lines[i];
    if (l.fixed || l.tagged) continue;
    const int64_t k = static_cast<int64_t>(l.line.elements.size());
    if (next[i] < n)
      spreadEvenly(l, (int64_t{lines[next[i]].time} - l.time) / (10 * k) * 10);
    else
      spreadEvenly(l, counted > 0 ? hundredths / counted * 10 : kLrcDefaultWordStep);
  }

  // Tagged spans that close on a tag first: their average word gives the span
  // of a last line that is left open.
  std::vector<size_t> open;
  for (size_t i = 0; i < n; ++i) {
    auto& l = lines[i];
    if (l.fixed || !l.tagged) continue;
    auto& els = l.line.elements;
    const size_t k = els.size();
    for (size_t a = 0; a < k;) {
      size_t b = a + 1;
      while (b < k && l.tagAt[b] < 0) ++b;
      const int64_t from = a == 0 ? FirstStart(l) : l.tagAt[a];
      const int64_t to = b < k            ? l.tagAt[b]
                         : l.closing >= 0 ? l.closing
                         : next[i] < n    ? FirstStart(lines[next[i]])
                                          : -1;
      if (to < 0) {
        open.push_back(i);
        break;
      }
      SpreadByLetters(els, a, b, from, to);
      if (b < k || l.closing >= 0)
        for (size_t j = a; j < b; ++j)
          if (els[j].end >= els[j].start) tagSum += els[j].end - els[j].start + kLrcEndGap, ++tagCount;
      a = b;
    }
  }
  const int64_t fallback = tagCount > 0 ? tagSum / tagCount : kLrcDefaultWordStep;
  for (const size_t i : open) {
    auto& l = lines[i];
    auto& els = l.line.elements;
    size_t a = els.size() - 1;
    while (a > 0 && l.tagAt[a] < 0) --a;
    const int64_t from = a == 0 ? FirstStart(l) : l.tagAt[a];
    SpreadByLetters(els, a, els.size(), from, from + fallback * static_cast<int64_t>(els.size() - a));
  }

  for (size_t i = 0, sung = 0; i < n; ++i) {
    if (!lines[i].fixed) {
      if (HasText(lines[i])) sung = i;
      continue;
    }
    const auto& with = lines[sung].line.elements;
    for (auto& e : lines[i].line.elements) {
      e.start = with.front().start;
      e.end = with.back().end;
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
  MarkTranslations(st.lines);
  TimeWords(st.lines);
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
