#include "core/lyrics/decode_lyrics_text.h"

#include <cstdint>

#include "core/lyrics/lyrics_punctuation_map.h"
#include "core/platform/text_encoding.h"

namespace lf {

std::string DecodeLyricsTextFile(std::string_view bytes) {
  std::string text;
  if (bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFF && static_cast<uint8_t>(bytes[1]) == 0xFE)
    text = Utf16LeToUtf8(bytes.substr(2));
  else
    text = DecodeLyricText(StripUtf8Bom(bytes));

  if (const size_t eof = text.find('\x1A'); eof != std::string::npos) text.resize(eof);
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\0') continue;
    if (c == '\r') {
      // CR LF and a lone CR (old Macintosh files) both end a line.
      if (i + 1 >= text.size() || text[i + 1] != '\n') out += '\n';
      continue;
    }
    out += c;
  }
  return out;
}

}  // namespace lf
