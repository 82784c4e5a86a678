#include "lyrics/scan_midi_lyrics.h"

#include <cstdint>
#include <optional>

#include "lyrics/lyrics_punctuation_map.h"

namespace lf {

namespace {

constexpr size_t kTrackChunkOffset = 14;  // after "MThd" and its 6-byte header
constexpr size_t kFirstEventOffset = 22;  // after "MTrk" and its 32-bit length
constexpr uint8_t kMetaEvent = 0xFF;
constexpr uint8_t kMetaText = 0x01;
constexpr uint8_t kMetaTrackName = 0x03;
constexpr uint8_t kMetaLyric = 0x05;
constexpr uint8_t kMetaEndOfTrack = 0x2F;
constexpr int kMaxQuantityBytes = 4;  // a MIDI variable-length quantity never takes more

uint8_t At(std::string_view d, size_t i) { return static_cast<uint8_t>(d[i]); }

// Reads a variable-length quantity at `pos`, advancing it; nothing when the
// data ends inside it or it runs longer than MIDI allows.
std::optional<uint32_t> ReadQuantity(std::string_view d, size_t& pos) {
  uint32_t v = 0;
  for (int n = 0; n < kMaxQuantityBytes; ++n) {
    if (pos >= d.size()) return std::nullopt;
    const uint8_t b = At(d, pos++);
    v = (v << 7) | (b & 0x7F);
    if (!(b & 0x80)) return v;
  }
  return std::nullopt;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// One syllable as it joins the lyric text: a leading "/" or "\" is a line
// break, and every CR (with the LF after it, if any) becomes CR LF.
void AppendSyllable(std::string_view s, std::string& out) {
  if (!s.empty() && (s[0] == '/' || s[0] == '\\')) {
    out += "\r\n";
    s.remove_prefix(1);
  }
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\r') {
      out += s[i];
      continue;
    }
    out += "\r\n";
    if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
  }
}

}  // namespace

std::string ScanMidiLyrics(std::string_view d) {
  if (d.size() < kFirstEventOffset || d.substr(0, 4) != "MThd" || d.substr(kTrackChunkOffset, 4) != "MTrk")
    return {};

  // Syllables are collected as written and decoded together, so that the
  // whole file is read in one encoding.
  std::string raw;
  bool inLyrics = false;
  size_t pos = kFirstEventOffset;
  while (d.size() - pos >= 4) {
    const size_t ff = d.find(static_cast<char>(kMetaEvent), pos);
    if (ff == std::string_view::npos || ff + 1 >= d.size()) break;
    const uint8_t type = At(d, ff + 1);
    pos = ff + 2;

    if (type == kMetaText || type == kMetaTrackName || type == kMetaLyric) {
      size_t p = pos;
      const auto length = ReadQuantity(d, p);
      // A length that runs past the data is no event (a stray FF in other
      // data, or a cut-off file): pass over it.
      if (!length || *length > d.size() - p) continue;
      std::string_view text = d.substr(p, *length);
      pos = p + *length;
      if (const size_t zero = text.find('\0'); zero != std::string_view::npos) text = text.substr(0, zero);

      if (type == kMetaTrackName) {
        if (EqualsNoCase(text, "words") || EqualsNoCase(text, "lyrics")) inLyrics = true;
        continue;
      }
      if (!text.empty() && text[0] == '@') continue;  // a karaoke header field
      AppendSyllable(text, raw);
      inLyrics = true;
    } else if (inLyrics && type == kMetaEndOfTrack) {
      break;
    }
  }
  return DecodeLyricText(raw);
}

}  // namespace lf
