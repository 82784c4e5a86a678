#include "core/lyrics/timed_lyrics.h"

namespace lf {

std::string TimedLine::Text() const {
  std::string text;
  for (const TimedWord& word : words) {
    if (!text.empty() && !word.joinsPrevious) text += ' ';
    text += word.text;
  }
  return text;
}

Millis TimedLine::FirstStart() const {
  for (const TimedWord& word : words)
    if (word.IsTimed()) return word.start;
  return kUntimed;
}

Millis TimedLine::LastEnd() const {
  for (auto it = words.rbegin(); it != words.rend(); ++it)
    if (it->IsTimed()) return it->end;
  return kUntimed;
}

}  // namespace lf
