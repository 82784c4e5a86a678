#include "core/export/ttml_writer.h"

#include <algorithm>

#include "core/export/caption_clock.h"

namespace lf {

namespace {

constexpr const char* kAgentIds[] = {"v1", "v2", "v1000"};

std::string Clock(Millis t) { return ClockText(t, ClockStyle::kHoursMillis); }

std::string Timed(const char* element, Millis begin, Millis end) {
  return std::string("<") + element + " begin=\"" + Clock(begin) + "\" end=\"" + Clock(end) + "\"";
}

std::string Agent(const TimedLyrics& lyrics, Singer singer) {
  const size_t index = size_t(singer);
  return std::string("<ttm:agent type=\"") + (singer == Singer::kBoth ? "group" : "person") + "\" xml:id=\"" +
         kAgentIds[index] + "\"><ttm:name type=\"full\">" + XmlText(SingerName(lyrics, singer)) +
         "</ttm:name></ttm:agent>";
}

std::string Head(const TimedLyrics& lyrics) {
  std::string head = "<head><metadata>";
  if (!lyrics.title.empty()) head += "<ttm:title>" + XmlText(lyrics.title) + "</ttm:title>";
  if (!lyrics.artist.empty()) head += "<lf:artist>" + XmlText(lyrics.artist) + "</lf:artist>";
  head += Agent(lyrics, Singer::kSinger1);
  if (lyrics.duet) head += Agent(lyrics, Singer::kSinger2) + Agent(lyrics, Singer::kBoth);
  return head + "</metadata></head>\n";
}

std::string Paragraph(const TimedLine& line, int key) {
  std::string p = Timed("p", line.FirstStart(), line.LastEnd()) + " itunes:key=\"L" + std::to_string(key) +
                  "\" ttm:agent=\"" + kAgentIds[size_t(line.singer)] + "\">";
  bool first = true;
  for (const TimedWord& word : line.words) {
    if (!first && !word.joinsPrevious) p += ' ';
    first = false;
    p += word.IsTimed() ? Timed("span", word.start, word.end) + ">" + XmlText(word.text) + "</span>"
                        : XmlText(word.text);
  }
  return p + "</p>\n";
}

// A character of XML 1.0: tab, line ends and from U+0020 up; the ASCII
// control characters are the only ones a UTF-8 byte can name.
bool XmlCharacter(unsigned char c) { return c >= 0x20 || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

std::string XmlText(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        if (XmlCharacter(static_cast<unsigned char>(c)) && c != 0x7F) out += c;
    }
  }
  return out;
}

LyricFileText FormatTtml(const TimedLyrics& lyrics) {
  LyricFileText file;
  std::string body;
  Millis first = kUntimed, last = 0;
  int key = 0;
  for (const TimedLine& line : lyrics.lines) {
    if (line.fixed && !line.words.empty()) ++file.fixedLinesLeftOut;
    if (!IsSungLine(line)) continue;
    first = first == kUntimed ? line.FirstStart() : std::min(first, line.FirstStart());
    last = std::max(last, line.LastEnd());
    body += Paragraph(line, ++key);
  }
  std::string& out = file.text;
  out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out +=
      "<tt xmlns=\"http://www.w3.org/ns/ttml\" xmlns:ttm=\"http://www.w3.org/ns/ttml#metadata\" "
      "xmlns:itunes=\"http://music.apple.com/lyric-ttml-internal\" xmlns:lf=\"" +
      std::string(kTtmlArtistNamespace) + "\" itunes:timing=\"Word\">\n";
  out += Head(lyrics);
  out += "<body";
  if (lyrics.length != kUntimed) out += " dur=\"" + Clock(std::max(lyrics.length, last)) + "\"";
  out += ">\n";
  if (key > 0) out += Timed("div", first, last) + ">\n" + body + "</div>\n";
  out += "</body>\n</tt>\n";
  return file;
}

}  // namespace lf
