#include "core/export/enhanced_lrc_writer.h"

#include <cctype>

#include "core/export/caption_clock.h"

namespace lf {

namespace {

constexpr Millis kEndGap = 10;  // a word ends a hundredth before the tag after it
constexpr const char* kSingerMarks[] = {"M: ", "F: ", "D: "};

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Whether text[at] opens what a reader would take for a time tag: '<' or
// '[', digits, ':', a digit.
bool OpensTimeTag(const std::string& text, size_t at) {
  size_t i = at + 1;
  while (i < text.size() && text[i] == ' ') ++i;
  const size_t digits = i;
  while (i < text.size() && IsDigit(text[i])) ++i;
  return i > digits && i + 1 < text.size() && text[i] == ':' && IsDigit(text[i + 1]);
}

// A header tag's value on its line: brackets would close the tag early.
std::string TagValue(const std::string& value) {
  std::string out;
  for (const char c : WithoutControls(value)) out += c == '[' ? '(' : c == ']' ? ')' : c;
  return out;
}

void AppendTag(std::string& out, const char* name, const std::string& value) {
  if (!value.empty()) out += std::string("[") + name + ":" + value + "]\n";
}

std::string WordTag(Millis t) { return "<" + ClockText(t, ClockStyle::kMinutesMillis) + ">"; }

std::string LineText(const TimedLine& line) {
  std::string text;
  const TimedWord* previous = nullptr;
  for (const TimedWord& word : line.words) {
    if (previous && previous->IsTimed() && word.IsTimed() && word.start > previous->end + kEndGap)
      text += WordTag(previous->end + kEndGap);
    if (previous && !word.joinsPrevious) text += ' ';
    if (word.IsTimed()) text += WordTag(word.start);
    text += LrcWordText(word.text);
    previous = &word;
  }
  return text + WordTag(line.LastEnd() + kEndGap);
}

}  // namespace

std::string LrcWordText(const std::string& word) {
  const std::string text = WithoutControls(word);
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '<' && OpensTimeTag(text, i))
      out += "\xE2\x80\xB9";  // U+2039 SINGLE LEFT-POINTING ANGLE QUOTATION MARK
    else if (text[i] == '[' && OpensTimeTag(text, i))
      out += '(';
    else
      out += text[i];
  }
  return out;
}

LyricFileText FormatEnhancedLrc(const TimedLyrics& lyrics) {
  LyricFileText file;
  std::string& out = file.text;
  AppendTag(out, "ar", TagValue(lyrics.artist));
  AppendTag(out, "ti", TagValue(lyrics.title));
  if (lyrics.length != kUntimed) AppendTag(out, "length", ClockText(lyrics.length, ClockStyle::kMinutesSeconds));
  out += "[re:Lyricforge]\n";
  for (const TimedLine& line : lyrics.lines) {
    if (line.fixed && !line.words.empty()) ++file.fixedLinesLeftOut;
    if (!IsSungLine(line)) continue;
    out += "[" + ClockText(line.FirstStart(), ClockStyle::kMinutesCentis) + "]";
    // The mark is a word of its own at the line's start: enhanced readers
    // refuse text before the first word tag.
    if (lyrics.duet) out += WordTag(line.FirstStart()) + kSingerMarks[size_t(line.singer)];
    out += LineText(line) + "\n";
  }
  return file;
}

}  // namespace lf
