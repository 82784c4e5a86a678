#include "lyrics/parse_lrc.h"

#include <algorithm>
#include <cstdint>

#include "lyrics/lyrics_punctuation_map.h"

namespace lf {

namespace {

bool IsWhite(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimLeft(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && IsWhite(s[b])) ++b;
  return s.substr(b);
}

std::string_view Trim(std::string_view s) {
  s = TrimLeft(s);
  size_t e = s.size();
  while (e > 0 && IsWhite(s[e - 1])) --e;
  return s.substr(0, e);
}

int32_t ClampTime(int64_t t) {
  return static_cast<int32_t>(std::clamp<int64_t>(t, 0, kLrcMaxTime));
}

// Decimal digits from `pos` up to the first non-digit (0 when there are none).
// Saturates, so that a run of digits cannot overflow.
int64_t ReadNumber(std::string_view s, size_t pos) {
  int64_t v = 0;
  for (; pos < s.size() && IsDigit(s[pos]); ++pos) v = std::min<int64_t>(v * 10 + (s[pos] - '0'), 1'000'000'000'000);
  return v;
}

// The digits after a decimal point as hundredths: ".4" is 40, ".40" is 40,
// ".405" (milliseconds, as some tools write) is 40 as well.
int64_t ReadHundredths(std::string_view s, size_t pos) {
  int64_t v = 0;
  int digits = 0;
  for (; pos < s.size() && IsDigit(s[pos]) && digits < 2; ++pos, ++digits) v = v * 10 + (s[pos] - '0');
  return digits == 1 ? v * 10 : v;
}

// The content of a line's first tag as a time, "mm:ss.xx" (also "mm:ss").
// Hundredths count only in the exact 8-character form.
bool ReadLineTime(std::string_view content, int32_t& time) {
  if (content.size() < 3 || !IsDigit(content[0]) || !IsDigit(content[1]) || content[2] != ':') return false;
  const int64_t minutes = ReadNumber(content, 0);
  const int64_t seconds = ReadNumber(content, 3);
  const int64_t hundredths = (content.size() == 8 && content[5] == '.') ? ReadNumber(content, 6) : 0;
  time = ClampTime(minutes * 6000 + seconds * 100 + hundredths);
  return true;
}

// A token "<mm:ss.xx>" inside the line text.
bool ReadWordTime(std::string_view token, int32_t& time) {
  if (token.size() < 4 || !IsDigit(token[1]) || !IsDigit(token[2]) || token[3] != ':') return false;
  const int64_t minutes = ReadNumber(token, 1);
  const int64_t seconds = ReadNumber(token, 4);
  const int64_t hundredths = (token.size() > 6 && token[6] == '.') ? ReadHundredths(token, 7) : 0;
  time = ClampTime(minutes * 6000 + seconds * 100 + hundredths);
  return true;
}

int32_t ReadSigned(std::string_view s) {
  s = TrimLeft(s);
  bool negative = false;
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  const int64_t v = std::min<int64_t>(ReadNumber(s, 0), INT32_MAX);
  return static_cast<int32_t>(negative ? -v : v);
}

void ReadIdTag(std::string_view content, LrcFile& lrc) {
  const size_t colon = content.find(':');
  if (colon == std::string_view::npos || colon == 0) return;
  std::string key(content.substr(0, colon));
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  const std::string_view value = content.substr(colon + 1);
  if (key == "ar") lrc.artist = value;
  else if (key == "al") lrc.album = value;
  else if (key == "ti") lrc.title = value;
  else if (key == "au") lrc.author = value;
  else if (key == "by") lrc.creator = value;
  else if (key == "re") lrc.tool = value;
  else if (key == "ve") lrc.toolVersion = value;
  else if (key == "offset") lrc.offset = ReadSigned(value);
  else if (key == "length") {
    const std::string_view v = TrimLeft(value);
    const size_t sep = v.find(':');
    const int64_t m = ReadNumber(v, 0);
    const int64_t s = sep == std::string_view::npos ? m : ReadNumber(v, sep + 1);
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

struct ParseState {
  bool enhanced = false;
  int32_t singer = 1;
  std::string text;
  std::vector<int32_t> lineTimes;    // the time tag of each line
  std::vector<bool> endsFromTags;    // the line was read in an enhanced file
};

void ReadTimedLine(int32_t lineTime, std::string_view lineText, ParseState& st, LrcFile& lrc) {
  std::string t(Trim(lineText));
  t += "\r\n";
  if (t.size() >= 2 && t[1] == ':') {
    const char mark = t[0] >= 'a' && t[0] <= 'z' ? static_cast<char>(t[0] - 'a' + 'A') : t[0];
    const int code = mark == 'M' ? 1 : mark == 'F' ? 2 : mark == 'D' ? 3 : 0;
    if (code) {
      st.singer = code;
      t.erase(0, 2);
    }
  }
  t = CollapseBlanks(t);
  st.text += t;

  LrcLine line;
  line.singer = st.singer;
  int32_t current = lineTime;
  bool wordTagSeen = false;
  // A blank left after a singer mark stays in the text but makes no word.
  std::string_view rest = t;
  while (rest.size() > 2 && (rest[0] == ' ' || rest[0] == '\t')) rest.remove_prefix(1);
  while (!rest.empty()) {
    size_t end;
    if (rest[0] == '<') {
      const size_t gt = rest.find('>');
      end = gt == std::string_view::npos ? rest.size() : gt + 1;
    } else {
      const size_t p = rest.find_first_of(" <");
      end = p == std::string_view::npos ? rest.size() : rest[p] == ' ' ? p + 1 : p;
    }
    std::string_view token = rest.substr(0, end);
    rest = TrimLeft(rest.substr(end));
    token = Trim(token);

    std::string_view word = token;
    if (!token.empty() && token[0] == '<') {
      if (ReadWordTime(token, current)) {
        st.enhanced = true;
        wordTagSeen = true;
      }
      const size_t gt = token.find('>');
      if (gt != std::string_view::npos) word = Trim(token.substr(gt + 1));
    }
    if (!word.empty() || !wordTagSeen) line.elements.push_back({current, 0, std::string(word)});
  }

  if (st.enhanced) {
    auto& els = line.elements;
    for (size_t j = 0; j + 1 < els.size(); ++j) els[j].end = els[j + 1].start - 1;
    if (!els.empty()) els.back().end = current - 1;
  }
  st.lineTimes.push_back(lineTime);
  st.endsFromTags.push_back(st.enhanced);
  lrc.lines.push_back(std::move(line));
}

void ReadLine(std::string_view raw, ParseState& st, LrcFile& lrc) {
  std::string_view line = Trim(raw);
  const size_t open = line.find('[');
  if (open == std::string_view::npos) return;
  line.remove_prefix(open);
  const size_t lastClose = line.rfind(']');
  if (lastClose == std::string_view::npos || lastClose <= 1) return;
  const size_t firstClose = line.find(']');
  const std::string_view content = line.substr(1, firstClose - 1);
  int32_t time = 0;
  if (ReadLineTime(content, time)) ReadTimedLine(time, line.substr(lastClose + 1), st, lrc);
  else ReadIdTag(content, lrc);
}

int32_t SpreadEnd(int64_t start, int64_t step) { return ClampTime(start + std::max<int64_t>(step - 1, 0)); }

// Without word tags the words share their line's time evenly; the last line
// takes the average share of the words before it.
void SpreadWords(const ParseState& st, LrcFile& lrc) {
  int64_t sum = 0, count = 0;
  const size_t n = lrc.lines.size();
  for (size_t i = 0; i < n; ++i) {
    auto& els = lrc.lines[i].elements;
    if (els.empty()) continue;
    const int64_t k = static_cast<int64_t>(els.size());
    int64_t step;
    if (i + 1 < n) {
      // Lines out of time order give no negative share.
      step = std::max<int64_t>((int64_t{st.lineTimes[i + 1]} - st.lineTimes[i]) / k, 0);
      sum += step * k;
      count += k;
    } else {
      step = count > 0 ? sum / count : kLrcDefaultWordStep;
    }
    for (int64_t j = 0; j < k; ++j) {
      const int64_t start = st.lineTimes[i] + j * step;
      els[j].start = ClampTime(start);
      els[j].end = SpreadEnd(start, step);
    }
  }
}

// In an enhanced file a word ends where the next tag begins. A line without a
// closing tag, or a plain line among tagged ones, would end its words before
// they start; they end instead just before the next word of the file.
void MendEnhancedEnds(const ParseState& st, LrcFile& lrc) {
  int64_t sum = 0, count = 0;
  for (size_t i = 0; i < lrc.lines.size(); ++i)
    for (const auto& e : lrc.lines[i].elements)
      if (st.endsFromTags[i] && e.end >= e.start) sum += e.end - e.start + 1, ++count;
  const int64_t fallback = count > 0 ? sum / count : kLrcDefaultWordStep;

  bool haveNext = false;
  int32_t nextStart = 0;
  for (size_t i = lrc.lines.size(); i-- > 0;) {
    auto& els = lrc.lines[i].elements;
    for (size_t j = els.size(); j-- > 0;) {
      auto& e = els[j];
      if (st.endsFromTags[i] && e.end < e.start)
        e.end = haveNext ? std::max(e.start, nextStart - 1) : SpreadEnd(e.start, fallback);
      haveNext = true;
      nextStart = e.start;
    }
  }
}

}  // namespace

size_t ParseLrc(std::string_view data, std::string& text, LrcFile& lrc) {
  lrc.Clear();
  text.clear();
  const std::string decoded = DecodeLyricText(data);
  const std::string_view all = decoded;

  ParseState st;
  size_t pos = 0;
  while (pos < all.size()) {
    size_t lf = all.find('\n', pos);
    if (lf == std::string_view::npos) lf = all.size();
    ReadLine(all.substr(pos, lf - pos), st, lrc);
    pos = lf + 1;
  }
  if (lrc.lines.empty()) return 0;

  if (st.enhanced) {
    MendEnhancedEnds(st, lrc);
    text = RemoveWordTags(st.text);
  } else {
    SpreadWords(st, lrc);
    text = std::move(st.text);
  }
  return text.size();
}

}  // namespace lf
