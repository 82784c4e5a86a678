#include "core/export/ass_writer.h"

#include <algorithm>
#include <cstdio>

#include "core/export/caption_clock.h"

namespace lf {

namespace {

constexpr const char* kStyleNames[] = {"Singer1", "Singer2", "Both", "Fixed"};
constexpr const char* kWordJoiner = "\xE2\x81\xA0";  // U+2060

// &H00BBGGRR of 0xRRGGBB.
std::string AssColor(uint32_t rgb) {
  char text[16];
  std::snprintf(text, sizeof text, "&H00%02X%02X%02X", rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
  return text;
}

// A field of a comma-separated line: no commas, no control characters.
std::string FieldText(const std::string& text) {
  std::string out;
  for (const char c : WithoutControls(text)) out += c == ',' ? ';' : c;
  return out;
}

std::string StyleLine(const TimedLyricsLook& look, int index) {
  const std::string unsung = AssColor(look.lineColors[size_t(index)]);
  const bool fixed = index == 3;
  const std::string sung = fixed ? unsung : AssColor(look.sweepColor);
  const int outline = look.outline ? std::max(1, look.fontHeight / 10) : 1;
  // Primary is the colour a word turns when sung, secondary the colour before.
  return std::string("Style: ") + kStyleNames[index] + "," + FieldText(look.font) + "," +
         std::to_string(std::max(1, look.fontHeight)) + "," + sung + "," + unsung + "," + AssColor(look.outlineColor) +
         ",&H00000000," + (look.bold ? "-1" : "0") + "," + (look.italic ? "-1" : "0") + ",0,0,100,100,0,0,1," +
         std::to_string(outline) + ",0,2,10,10,10,1\n";
}

std::string KaraokeTag(const char* tag, int64_t centis) {
  return "{\\" + std::string(tag) + std::to_string(centis) + "}";
}

// The line's words, each after its run; runs are counted between the rounded
// centisecond of each boundary, so they add up to the line's sung time.
std::string KaraokeText(const TimedLine& line, int64_t beginCentis, const char* tag) {
  std::string text;
  int64_t cursor = beginCentis;
  bool first = true;
  for (const TimedWord& word : line.words) {
    if (!first && !word.joinsPrevious) text += ' ';
    first = false;
    if (!word.IsTimed()) {
      text += KaraokeTag("k", 0) + AssText(word.text);
      continue;
    }
    const int64_t start = std::max(cursor, Centis(word.start));
    const int64_t end = std::max(start, Centis(word.end));
    if (start > cursor) text += KaraokeTag("k", start - cursor);
    text += KaraokeTag(tag, end - start) + AssText(word.text);
    cursor = end;
  }
  return text;
}

std::string DialogueLine(const ShownSpan& span, const std::string& style, const std::string& name,
                         const std::string& text) {
  return "Dialogue: 0," + ClockText(span.begin, ClockStyle::kAssCentis) + "," +
         ClockText(span.end, ClockStyle::kAssCentis) + "," + style + "," + FieldText(name) + ",0,0,0,," + text + "\n";
}

std::string PlainText(const TimedLine& line) {
  std::string text;
  for (const TimedWord& word : line.words) {
    if (!text.empty() && !word.joinsPrevious) text += ' ';
    text += AssText(word.text);
  }
  return text;
}

}  // namespace

std::string AssText(const std::string& word) {
  std::string out;
  const std::string text = WithoutControls(word);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '{' || c == '}') {
      out += '\\';
      out += c;
      continue;
    }
    out += c;
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (c == '\\' && (next == 'N' || next == 'n' || next == 'h' || next == '{' || next == '}')) out += kWordJoiner;
  }
  return out;
}

LyricFileText FormatAss(const TimedLyrics& lyrics, const AssOptions& options) {
  const TimedLyricsLook& look = lyrics.look;
  LyricFileText file;
  std::string& out = file.text;
  out += "[Script Info]\n; Written by Lyricforge\n";
  if (!lyrics.title.empty()) out += "Title: " + WithoutControls(lyrics.title) + "\n";
  out += "ScriptType: v4.00+\nWrapStyle: 2\nScaledBorderAndShadow: yes\n";
  out += "PlayResX: " + std::to_string(look.screenWidth) + "\nPlayResY: " + std::to_string(look.screenHeight) + "\n\n";
  out += "[V4+ Styles]\n";
  out +=
      "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, Bold, Italic, "
      "Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, Alignment, MarginL, "
      "MarginR, MarginV, Encoding\n";
  for (int i = 0; i < 4; ++i) out += StyleLine(look, i);
  out += "\n[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n";
  const char* tag = options.sweep ? "kf" : "k";
  for (const TimedLine& line : lyrics.lines) {
    if (line.words.empty()) continue;
    const std::optional<ShownSpan> span = ShownWindow(line);
    if (!span) {
      if (line.fixed) ++file.fixedLinesLeftOut;
      continue;
    }
    if (line.fixed) {
      out += DialogueLine(*span, kStyleNames[3], "", PlainText(line));
      continue;
    }
    if (!IsSungLine(line)) continue;
    const size_t singer = size_t(line.singer);
    out += DialogueLine(*span, kStyleNames[singer], lyrics.duet ? SingerName(lyrics, line.singer) : "",
                        KaraokeText(line, Centis(span->begin), tag));
  }
  return file;
}

}  // namespace lf
