#include "core/lyrics/format_lyrics_text.h"

#include <locale.h>
#include <wctype.h>

#include <algorithm>
#include <vector>

#include "core/platform/text_encoding.h"

namespace lf {
namespace {

// One decoded character and where its bytes sit in the text.
struct Char {
  char32_t code;
  size_t offset;
  size_t length;
};

// Decodes UTF-8; a byte that starts no valid sequence stands for itself, so
// that junk survives the round trip untouched.
std::vector<Char> Decode(std::string_view text) {
  std::vector<Char> chars;
  chars.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    size_t length = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > text.size() || !IsValidUtf8(text.substr(i, length))) {
      chars.push_back({b < 0x80 ? char32_t(b) : char32_t(0xFFFD), i, 1});
      ++i;
      continue;
    }
    char32_t code = length == 1 ? b : b & (0xFF >> (length + 1));
    for (size_t k = 1; k < length; ++k) code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    chars.push_back({code, i, length});
    i += length;
  }
  return chars;
}

locale_t Utf8Locale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{nullptr});
  return locale;
}

bool IsLetter(char32_t code) {
  const locale_t locale = Utf8Locale();
  if (!locale) return (code | 0x20) >= 'a' && (code | 0x20) <= 'z';
  return iswalpha_l(static_cast<wint_t>(code), locale) != 0;
}

char32_t ToCase(char32_t code, bool upper) {
  const locale_t locale = Utf8Locale();
  if (!locale) {
    if (code >= 'a' && code <= 'z' && upper) return code - 32;
    if (code >= 'A' && code <= 'Z' && !upper) return code + 32;
    return code;
  }
  const wint_t c = static_cast<wint_t>(code);
  return static_cast<char32_t>(upper ? towupper_l(c, locale) : towlower_l(c, locale));
}

// Writes the other case of `c` over its bytes when it encodes to as many bytes.
void Recase(std::string& out, const Char& c, bool upper) {
  if (c.code == 0xFFFD && c.length == 1) return;  // a stray byte, not a character
  const char32_t mapped = ToCase(c.code, upper);
  if (mapped == c.code) return;
  std::string bytes;
  AppendUtf8(bytes, mapped);
  if (bytes.size() == c.length) out.replace(c.offset, c.length, bytes);
}

void CapitalizeFirstWords(std::string& out, const std::vector<Char>& chars, size_t first, size_t last) {
  size_t i = first;
  while (i < last) {
    size_t lineEnd = i;
    while (lineEnd < last && chars[lineEnd].code != '\n') ++lineEnd;
    size_t k = i;
    while (k < lineEnd && !IsLetter(chars[k].code)) ++k;
    if (k < lineEnd) Recase(out, chars[k++], true);
    for (; k < lineEnd; ++k) {
      const bool letterBefore = k > 0 && IsLetter(chars[k - 1].code);
      const bool letterAfter = k + 1 < chars.size() && IsLetter(chars[k + 1].code);
      const bool loneI = (chars[k].code == 'i' || chars[k].code == 'I') && !letterBefore && !letterAfter;
      Recase(out, chars[k], loneI);
    }
    i = lineEnd + 1;
  }
}

}  // namespace

std::string FormatLyricsText(std::string_view text, size_t start, size_t end, FormatCommand command) {
  std::string out(text);
  end = std::min(end, text.size());
  start = std::min(start, end);
  if (start == end) start = 0, end = text.size();
  const std::vector<Char> chars = Decode(text);
  // Character positions of the range's ends (a range end inside a character
  // takes in that whole character).
  const auto first =
      static_cast<size_t>(std::lower_bound(chars.begin(), chars.end(), start,
                                           [](const Char& c, size_t at) { return c.offset + c.length <= at; }) -
                          chars.begin());
  const auto last = static_cast<size_t>(
      std::lower_bound(chars.begin(), chars.end(), end, [](const Char& c, size_t at) { return c.offset < at; }) -
      chars.begin());
  if (command == FormatCommand::CapitalizeFirstWord) {
    CapitalizeFirstWords(out, chars, first, last);
  } else {
    for (size_t k = first; k < last; ++k) Recase(out, chars[k], command == FormatCommand::Capitalize);
  }
  return out;
}

bool IsPartialSelection(size_t textLength, size_t start, size_t end) {
  if (start > end) std::swap(start, end);
  return start != end && !(start == 0 && end >= textLength);
}

std::string FormatCommandLabel(FormatCommand command, bool partialSelection, bool withMnemonic) {
  const char* scope = partialSelection ? " Selection" : " All";
  std::string label;
  switch (command) {
    case FormatCommand::Capitalize:
      label = std::string("&Capitalize") + scope;
      break;
    case FormatCommand::Lowercase:
      label = std::string("&Lowercase") + scope;
      break;
    case FormatCommand::CapitalizeFirstWord:
      label = "Capitalize &First Word";
      break;
  }
  if (!withMnemonic) label.erase(std::remove(label.begin(), label.end(), '&'), label.end());
  return label;
}

}  // namespace lf
