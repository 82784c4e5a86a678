#include "lyrics/convert_text_lyrics.h"

#include "lyrics/lyrics_punctuation_map.h"

namespace lf {

std::string ConvertTextLyrics(std::string_view data) {
  const std::string text = DecodeLyricText(data);
  std::string out;
  out.reserve(text.size() + text.size() / 16 + 2);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n') {
      if (i == 0 || text[i - 1] != '\r') out += '\r';
      out += '\n';
    } else if (c == '\r') {
      // A lone CR (old Macintosh files) is a line end too.
      out += '\r';
      if (i + 1 >= text.size() || text[i + 1] != '\n') out += '\n';
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace lf
