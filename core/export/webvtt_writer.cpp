#include "core/export/webvtt_writer.h"

#include "core/export/caption_clock.h"

namespace lf {

namespace {

// Cue text: the three characters that start markup or an entity escaped, as
// numeric references (parsers read those alike; some misread named ones).
std::string CueText(const std::string& text) {
  std::string out;
  for (const char c : WithoutControls(text)) {
    if (c == '&')
      out += "&#38;";
    else if (c == '<')
      out += "&#60;";
    else if (c == '>')
      out += "&#62;";
    else
      out += c;
  }
  return out;
}

// A timestamp must lie inside its cue and after the one before it.
std::string WordsWithTimestamps(const TimedLine& line, const ShownSpan& span) {
  std::string text;
  Millis last = span.begin;
  bool first = true;
  for (const TimedWord& word : line.words) {
    if (!first && !word.joinsPrevious) text += ' ';
    first = false;
    if (!line.fixed && word.IsTimed() && word.start > last && word.start < span.end) {
      text += "<" + ClockText(word.start, ClockStyle::kHoursMillis) + ">";
      last = word.start;
    }
    text += CueText(word.text);
  }
  return text;
}

}  // namespace

LyricFileText FormatWebVtt(const TimedLyrics& lyrics) {
  LyricFileText file;
  file.text = "WEBVTT\n";
  for (const CaptionCue& cue : CaptionCues(lyrics)) {
    file.text += "\n" + ClockText(cue.span.begin, ClockStyle::kHoursMillis) + " --> " +
                 ClockText(cue.span.end, ClockStyle::kHoursMillis) + "\n";
    if (lyrics.duet && !cue.line->fixed) file.text += "<v " + CueText(SingerName(lyrics, cue.line->singer)) + ">";
    file.text += WordsWithTimestamps(*cue.line, cue.span) + "\n";
  }
  return file;
}

}  // namespace lf
