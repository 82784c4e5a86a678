#include "core/lyrics/timed_raw_text.h"

namespace lf {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A singer-2 line is written after '&', a fixed line after '!'; the first
// character of the text must not be read as another mark after them.
char MarkOf(const TimedLine& line) {
  if (line.fixed) return '!';
  return line.singer == Singer::kSinger2 ? '&' : '\0';
}

}  // namespace

std::string RawWordProblem(std::string_view text) {
  if (text.empty()) return "an empty word or syllable";
  if (IsBlank(text.front()) || IsBlank(text.back())) return "a word that starts or ends with a blank";
  for (const char c : text) {
    switch (c) {
      case '\n':
      case '\r':
        return "a line break inside a word";
      case '^':
        return "'^' (the lyrics' page-break mark) in a word";
      case '*':
        return "'*' (the lyrics' syllable mark) in a word";
      case '_':
        return "'_' (the lyrics' mark for a space inside a word) in a word";
      default:
        break;
    }
  }
  return {};
}

std::string RawLineProblem(const TimedLine& line) {
  for (const TimedWord& word : line.words)
    if (std::string problem = RawWordProblem(word.text); !problem.empty()) return problem;
  if (line.words.empty()) return {};
  const char first = line.words.front().text.front();
  const char mark = MarkOf(line);
  if ((mark == '\0' && (first == '&' || first == '!')) || (mark == '&' && first == '&'))
    return std::string("a line that starts with '") + first +
           "', which the lyrics take for a singer or fixed-line mark";
  return {};
}

bool WriteRawLyrics(const TimedLyrics& lyrics, std::string& raw, std::string* problem) {
  std::string out;
  for (size_t i = 0; i < lyrics.lines.size(); ++i) {
    const TimedLine& line = lyrics.lines[i];
    if (std::string why = RawLineProblem(line); !why.empty()) {
      if (problem) *problem = "lyric line " + std::to_string(i + 1) + ": " + why;
      return false;
    }
    if (i > 0) out += '\n';
    if (line.newPage && i > 0) out += "^\n";
    if (const char mark = MarkOf(line)) out += mark;
    for (size_t j = 0; j < line.words.size(); ++j) {
      const TimedWord& word = line.words[j];
      if (j > 0) out += word.joinsPrevious ? '*' : ' ';
      for (const char c : word.text) out += c == ' ' ? '_' : c;
    }
  }
  raw = std::move(out);
  return true;
}

}  // namespace lf
