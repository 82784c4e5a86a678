#include "core/lyrics/timed_reader_support.h"

#include <algorithm>

#include "core/lyrics/decode_lyrics_text.h"
#include "core/lyrics/lyrics_import.h"
#include "core/lyrics/timed_raw_text.h"
#include "core/platform/text_encoding.h"

namespace lf {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool StartsWithUtf8Mark(std::string_view bytes) { return bytes.substr(0, 3) == "\xEF\xBB\xBF"; }

bool StartsWithUtf16Mark(std::string_view bytes) {
  return bytes.size() >= 2 &&
         ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
}

// Characters of a word (UTF-8 lead bytes), at least one.
int64_t Letters(std::string_view s) {
  int64_t n = 0;
  for (const char c : s) n += (static_cast<uint8_t>(c) & 0xC0) != 0x80;
  return std::max<int64_t>(n, 1);
}

struct Piece {
  std::string_view text;
  bool blankBefore = false;
};

// The blank-separated pieces of `text`; `blankAfter` tells whether it ends in a blank.
std::vector<Piece> Pieces(std::string_view text, bool& blankAfter) {
  std::vector<Piece> pieces;
  size_t i = 0;
  bool blank = false;
  while (i < text.size()) {
    if (IsBlank(text[i])) {
      blank = true;
      ++i;
      continue;
    }
    size_t e = i;
    while (e < text.size() && !IsBlank(text[e])) ++e;
    pieces.push_back({text.substr(i, e - i), blank});
    blank = false;
    i = e;
  }
  blankAfter = blank;
  return pieces;
}

}  // namespace

Outcome TimedFormatProblem(const std::string& fileName, std::string_view format, int line, const std::string& what) {
  std::string text = fileName + ": " + std::string(format) + ": ";
  if (line > 0) text += "line " + std::to_string(line) + ": ";
  text += what;
  return Outcome::Failure(Reason::BadInput, std::move(text), kLyricsImportCaption, MessageIcon::Error, fileName);
}

Outcome DecodeTimedFormatText(std::string_view bytes, bool utf8Only, const std::string& fileName,
                              std::string_view format, std::string& text) {
  if (!StartsWithUtf16Mark(bytes) && (utf8Only || StartsWithUtf8Mark(bytes)) && !IsValidUtf8(bytes)) {
    int line = 1;
    size_t start = 0;
    while (start <= bytes.size()) {
      size_t end = bytes.find('\n', start);
      if (end == std::string_view::npos) end = bytes.size();
      if (!IsValidUtf8(bytes.substr(start, end - start))) break;
      start = end + 1;
      ++line;
    }
    return TimedFormatProblem(fileName, format, line, "not UTF-8 text, as the file must be");
  }
  text = DecodeLyricsTextFile(bytes);
  return Outcome::Success();
}

std::vector<std::string_view> TextLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

void AppendTimedRuns(const std::vector<TimedRun>& runs, TimedLine& line) {
  bool blankBefore = true;  // a line starts a word
  for (const TimedRun& run : runs) {
    bool blankAfter = false;
    const std::vector<Piece> pieces = Pieces(run.text, blankAfter);
    int64_t total = 0;
    for (const Piece& p : pieces) total += Letters(p.text);
    int64_t before = 0;
    const bool timed = run.start != kUntimed && run.end != kUntimed;
    const int64_t span = timed ? std::max<int64_t>(run.end - run.start, 0) : 0;
    for (size_t k = 0; k < pieces.size(); ++k) {
      TimedWord word;
      word.text = std::string(pieces[k].text);
      word.joinsPrevious = k == 0 && !pieces[k].blankBefore && !blankBefore && !line.words.empty();
      if (timed) {
        word.start = run.start + span * before / total;
        before += Letters(pieces[k].text);
        word.end = run.start + span * before / total;
      }
      line.words.push_back(std::move(word));
    }
    if (!pieces.empty())
      blankBefore = blankAfter;
    else if (!run.text.empty())
      blankBefore = true;
  }
}

void AppendLineText(std::string_view text, Millis from, Millis to, TimedLine& line) {
  AppendTimedRuns({{std::string(text), from, to}}, line);
}

bool ReadClockTime(std::string_view text, Millis& ms) {
  text = TrimBlanks(text);
  int64_t fields[3] = {0, 0, 0};
  int count = 0;
  size_t i = 0;
  while (true) {
    if (count == 3 || i >= text.size() || text[i] < '0' || text[i] > '9') return false;
    int64_t v = 0;
    int digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits)
      if (digits < 9) v = v * 10 + (text[i] - '0');
    fields[count++] = v;
    if (i < text.size() && text[i] == ':') {
      ++i;
      continue;
    }
    break;
  }
  if (count < 2) return false;
  int64_t micros = 0;  // the fraction, to the microsecond
  if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
    ++i;
    int64_t scale = 100000;
    if (i >= text.size()) return false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, scale /= 10) micros += (text[i] - '0') * scale;
  }
  if (i != text.size()) return false;
  const int64_t h = count == 3 ? fields[0] : 0, m = fields[count - 2], s = fields[count - 1];
  if ((count == 3 && m >= 60) || s >= 60) return false;
  ms = ((h * 60 + m) * 60 + s) * 1000 + (micros + 500) / 1000;
  return true;
}

bool ReadCueTiming(std::string_view line, Millis& start, Millis& end) {
  const size_t arrow = line.find("-->");
  if (arrow == std::string_view::npos) return false;
  std::string_view after = TrimBlanks(line.substr(arrow + 3));
  after = after.substr(0, after.find_first_of(" \t"));
  return ReadClockTime(line.substr(0, arrow), start) && ReadClockTime(after, end);
}

std::vector<TimedLine> SpreadCueLines(const std::vector<std::string>& texts, Millis from, Millis to) {
  int64_t total = 0;
  for (const std::string& t : texts) total += Letters(t);
  std::vector<TimedLine> lines;
  int64_t before = 0;
  const int64_t span = std::max<int64_t>(to - from, 0);
  for (const std::string& t : texts) {
    const Millis start = from + span * before / std::max<int64_t>(total, 1);
    before += Letters(t);
    const Millis end = from + span * before / std::max<int64_t>(total, 1);
    TimedLine line;
    AppendLineText(t, start, end, line);
    lines.push_back(std::move(line));
  }
  return lines;
}

std::string AsciiLower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::optional<double> ReadDecimal(std::string_view s, const DecimalForm& form) {
  double v = 0, scale = 0;
  bool negative = false, digits = false;
  if (form.allowMinus && !s.empty() && s.front() == '-') {
    negative = true;
    s.remove_prefix(1);
  }
  for (const char c : s) {
    if (c >= '0' && c <= '9') {
      digits = true;
      if (scale > 0) {
        v += (c - '0') / scale;
        scale *= 10;
      } else {
        v = v * 10 + (c - '0');
      }
    } else if ((c == '.' || (form.commaPoint && c == ',')) && scale == 0) {
      scale = 10;
    } else {
      return std::nullopt;
    }
  }
  if (!digits) return std::nullopt;
  return negative ? -v : v;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (IsBlank(s.front()) || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

SingerNaming::Role SingerNaming::RoleOf(std::string_view name) {
  const std::string key = AsciiLower(TrimBlanks(name));
  if (key.empty()) return {};
  if (key.find("fixed") != std::string::npos) return {Singer::kSinger1, true};
  if (key.find("both") != std::string::npos || key.find("duet") != std::string::npos || key == "all")
    return {Singer::kBoth, false};
  if (!key.empty() && key.back() == '1') return {Singer::kSinger1, false};
  if (!key.empty() && key.back() == '2') return {Singer::kSinger2, false};
  auto it = std::find(m_others.begin(), m_others.end(), key);
  if (it == m_others.end()) it = m_others.insert(m_others.end(), key);
  return {it == m_others.begin() ? Singer::kSinger1 : Singer::kSinger2, false};
}

bool CheckLineForRawText(const TimedLine& line, const std::string& fileName, std::string_view format, int lineNumber,
                         Outcome& outcome) {
  const std::string problem = RawLineProblem(line);
  if (problem.empty()) return true;
  outcome = TimedFormatProblem(fileName, format, lineNumber, problem + " cannot be taken into the lyrics");
  return false;
}

}  // namespace lf
