#include "core/export/lrc_writer.h"

#include <cstdio>

namespace lf {

namespace {

int RateOrDefault(int sampleRate) { return sampleRate > 0 ? sampleRate : kDefaultSampleRate; }

void AppendTag(std::string& out, char open, const std::string& time, char close) {
  out += open;
  out += time;
  out += close;
}

const KaraokeWord* FirstPlacedWord(const KaraokeLine& line) {
  for (const KaraokeWord* w : line.m_words)
    if (w->IsPlaced()) return w;
  return nullptr;
}

std::string WordText(const KaraokeLine& line, const KaraokeWord& word) {
  const int size = int(line.m_text.size());
  const int first = std::max(0, word.m_firstChar);
  const int last = std::min(size - 1, word.m_lastChar);
  return last >= first ? line.m_text.substr(size_t(first), size_t(last) - size_t(first) + 1) : "";
}

constexpr int kWordTagDigits = 3;

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

// A tag is one line that ends at its first ']': control characters (a newline
// would start a line of its own) are dropped, and square brackets become round
// ones so the value cannot close the tag and open another.
std::string TagValue(const std::string& value) {
  std::string out;
  for (char c : value) {
    if (IsControl(c)) continue;
    out += c == '[' ? '(' : c == ']' ? ')' : c;
  }
  return out;
}

// Lyric text stays on its line: control characters are dropped.
std::string LineText(const std::string& text) {
  std::string out;
  for (char c : text)
    if (!IsControl(c)) out += c;
  return out;
}

// The line's text with a <time> tag in front of every placed word and one
// closing it at the last word's end; times are `shift` frames later.
std::string EnhancedLineText(const KaraokeLine& line, int rate, int64_t shift) {
  std::string out;
  int next = 0;  // first character not yet copied
  const KaraokeWord* last = nullptr;
  for (const KaraokeWord* w : line.m_words) {
    const int first = std::max(next, w->m_firstChar);
    if (first > next && first <= int(line.m_text.size())) out += line.m_text.substr(size_t(next), size_t(first - next));
    if (w->IsPlaced()) AppendTag(out, '<', LrcTimeText(w->m_startTime + shift, rate, kWordTagDigits), '>');
    out += WordText(line, *w);
    next = std::max(next, w->m_lastChar + 1);
    last = w;
  }
  if (last && last->IsPlaced()) {
    // A word's end is its last sung hundredth; readers take the closing tag
    // minus one, as they take the next word's start minus one.
    const SampleTime end = last->m_endTime > last->m_startTime ? last->m_endTime : last->m_startTime;
    AppendTag(out, '<', LrcTimeText(int64_t(end) + shift + rate / 100, rate, kWordTagDigits), '>');
  }
  return out;
}

}  // namespace

std::string LrcTimeText(int64_t sampleTime, int sampleRate, int fractionDigits) {
  const bool ms = fractionDigits == 3;
  const int64_t perSecond = ms ? 1000 : 100;
  // Rounded: a word stored at the frame nearest to 6.513 s lies a fraction of
  // a frame below it, and is written 6.513, not 6.512.
  const int64_t rate = RateOrDefault(sampleRate);
  const int64_t t = (std::max<int64_t>(0, sampleTime) * perSecond + rate / 2) / rate;
  char text[40];
  std::snprintf(text, sizeof text, ms ? "%02lld:%02lld.%03lld" : "%02lld:%02lld.%02lld",
                static_cast<long long>(t / (60 * perSecond)), static_cast<long long>(t / perSecond % 60),
                static_cast<long long>(t % perSecond));
  return text;
}

std::string FormatLrc(const KaraokeLineList& lines, LrcStyle style, const LrcHeader& header, int sampleRate) {
  const int rate = RateOrDefault(sampleRate);
  std::string out;
  if (const std::string artist = TagValue(header.artist); !artist.empty()) out += "[ar:" + artist + "]\n";
  if (const std::string title = TagValue(header.title); !title.empty()) out += "[ti:" + title + "]\n";
  out += "[re:Lyricforge]\n";
  const int64_t shift = std::max(0, header.leadInFrames);
  for (const auto& line : lines.lines) {
    const KaraokeWord* first = FirstPlacedWord(*line);
    if (!first) continue;
    AppendTag(out, '[', LrcTimeText(first->m_startTime + shift, rate), ']');
    out += LineText(style == LrcStyle::Enhanced ? EnhancedLineText(*line, rate, shift) : line->m_text);
    out += "\n";
  }
  return out;
}

bool WriteLrcFile(const std::string& path, const std::string& text) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  if (std::fclose(f) != 0) ok = false;
  return ok;
}

}  // namespace lf
