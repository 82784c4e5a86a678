#include "core/lyrics/decode_lyrics_text.h"

#include <iconv.h>
#include <uchardet/uchardet.h>

#include <cerrno>
#include <cstdint>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

#include "core/lyrics/lyrics_punctuation_map.h"
#include "core/platform/text_encoding.h"

namespace lf {

namespace {

bool StartsWith(std::string_view bytes, uint8_t a, uint8_t b) {
  return bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == a && static_cast<uint8_t>(bytes[1]) == b;
}

std::string Utf16BeToUtf8(std::string_view bytes) {
  std::string swapped(bytes.substr(0, bytes.size() / 2 * 2));
  for (size_t k = 0; k + 1 < swapped.size(); k += 2) std::swap(swapped[k], swapped[k + 1]);
  return Utf16LeToUtf8(swapped);
}

// The multi-byte Chinese, Japanese and Korean encodings the detector can name,
// each read with the Windows code page that extends it, as those files are
// written. Single-byte answers are not taken: on a few accented letters the
// detector guesses among Latin code pages, where Windows-1252 is the rule.
struct EastAsianEncoding {
  const char* detected;
  const char* readAs;
};
constexpr EastAsianEncoding kEastAsianEncodings[] = {
    {"GB18030", "GB18030"},       {"GB2312", "GB18030"}, {"GBK", "GB18030"},
    {"HZ-GB-2312", "HZ-GB-2312"}, {"BIG5", "CP950"},     {"EUC-TW", "EUC-TW"},
    {"SHIFT_JIS", "CP932"},       {"EUC-JP", "EUC-JP"},  {"ISO-2022-JP", "ISO-2022-JP"},
    {"EUC-KR", "CP949"},          {"UHC", "CP949"},      {"ISO-2022-KR", "ISO-2022-KR"},
};

const char* DetectEastAsian(std::string_view bytes) {
  std::unique_ptr<std::remove_pointer_t<uchardet_t>, void (*)(uchardet_t)> detector(uchardet_new(), uchardet_delete);
  if (!detector || uchardet_handle_data(detector.get(), bytes.data(), bytes.size()) != 0) return nullptr;
  uchardet_data_end(detector.get());
  const std::string_view name = uchardet_get_charset(detector.get());
  for (const auto& e : kEastAsianEncodings)
    if (name == e.detected) return e.readAs;
  return nullptr;
}

// The whole of `bytes` in `encoding` as UTF-8; nothing when a byte sequence
// is not of that encoding, so that a wrong guess falls back instead of
// losing characters.
std::optional<std::string> ConvertStrictly(std::string_view bytes, const char* encoding) {
  iconv_t cd = iconv_open("UTF-8", encoding);
  const auto failed = reinterpret_cast<iconv_t>(-1);  // NOLINT(performance-no-int-to-ptr): iconv_open's error
  if (cd == failed) return std::nullopt;
  std::string out;
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char buffer[4096];
  bool ok = true;
  while (inLeft > 0) {
    char* o = buffer;
    size_t oLeft = sizeof buffer;
    const size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    out.append(buffer, static_cast<size_t>(o - buffer));
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      ok = false;
      break;
    }
  }
  if (ok) {  // the shift sequence that ends a stateful encoding
    char* o = buffer;
    size_t oLeft = sizeof buffer;
    ok = iconv(cd, nullptr, nullptr, &o, &oLeft) != static_cast<size_t>(-1);
    out.append(buffer, static_cast<size_t>(o - buffer));
  }
  iconv_close(cd);
  if (!ok) return std::nullopt;
  return out;
}

std::string DecodeWithoutMark(std::string_view bytes) {
  if (!IsValidUtf8(bytes))
    if (const char* encoding = DetectEastAsian(bytes))
      if (auto text = ConvertStrictly(bytes, encoding)) return *std::move(text);
  return DecodeLyricText(bytes);
}

}  // namespace

std::string DecodeLyricsTextFile(std::string_view bytes) {
  std::string text;
  if (StartsWith(bytes, 0xFF, 0xFE))
    text = Utf16LeToUtf8(bytes.substr(2));
  else if (StartsWith(bytes, 0xFE, 0xFF))
    text = Utf16BeToUtf8(bytes.substr(2));
  else
    text = DecodeWithoutMark(StripUtf8Bom(bytes));

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
