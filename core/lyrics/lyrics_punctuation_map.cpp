#include "core/lyrics/lyrics_punctuation_map.h"

#include "core/platform/text_encoding.h"

namespace lf {

std::string MapPunctuationToWindows1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    bool mapped = false;
    if (static_cast<uint8_t>(bytes[i]) == 0xE2) {
      for (const auto& p : LyricsPunctuationMap) {
        if (bytes.substr(i, p.utf8.size()) == p.utf8) {
          out += static_cast<char>(p.windows1252);
          i += p.utf8.size();
          mapped = true;
          break;
        }
      }
    }
    if (!mapped) out += bytes[i++];
  }
  return out;
}

std::string DecodeLyricText(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return Windows1252ToUtf8(MapPunctuationToWindows1252(bytes));
}

}  // namespace lf
