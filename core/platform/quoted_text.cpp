#include "core/platform/quoted_text.h"

#include <cstdio>

namespace lf {

std::string QuoteControlCharacters(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else if (c == '\t')
      out += "\\t";
    else if (c < 0x20 || c == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace lf
