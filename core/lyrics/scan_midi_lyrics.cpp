#include "core/lyrics/scan_midi_lyrics.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/lyrics/lyrics_punctuation_map.h"

namespace lf {

namespace {

constexpr std::string_view kHeaderChunk = "MThd";
constexpr std::string_view kTrackChunk = "MTrk";
constexpr size_t kChunkHeaderSize = 8;  // four-letter type, 32-bit big-endian length
constexpr uint8_t kMetaEvent = 0xFF;
constexpr uint8_t kSysExEvent = 0xF0;
constexpr uint8_t kSysExContinuation = 0xF7;
constexpr uint8_t kMetaText = 0x01;
constexpr uint8_t kMetaTrackName = 0x03;
constexpr uint8_t kMetaLyric = 0x05;
constexpr uint8_t kMetaEndOfTrack = 0x2F;
constexpr int kMaxQuantityBytes = 4;  // a MIDI variable-length quantity never takes more

uint8_t At(std::string_view d, size_t i) { return static_cast<uint8_t>(d[i]); }

uint32_t Be32(std::string_view d, size_t i) {
  return uint32_t{At(d, i)} << 24 | uint32_t{At(d, i + 1)} << 16 | uint32_t{At(d, i + 2)} << 8 | At(d, i + 3);
}

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
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return lower(x) == lower(y);
  });
}

struct TimedText {
  uint64_t tick = 0;
  std::string_view text;
};

struct Track {
  std::string_view name;
  std::vector<TimedText> lyrics;  // lyric events
  std::vector<TimedText> texts;   // text events
};

// Karaoke files put their header fields ("@T title", "@L language", "@K",
// "@I info") in text events; they are never lyrics.
bool IsHeaderField(std::string_view text) { return !text.empty() && text[0] == '@'; }

void TakeMeta(uint8_t type, std::string_view text, uint64_t tick, Track& track) {
  if (const size_t zero = text.find('\0'); zero != std::string_view::npos) text = text.substr(0, zero);
  if (type == kMetaTrackName && track.name.empty()) track.name = text;
  if (IsHeaderField(text)) return;
  if (type == kMetaLyric) track.lyrics.push_back({tick, text});
  if (type == kMetaText) track.texts.push_back({tick, text});
}

// The texts of one track chunk's events. A damaged event ends the track;
// what came before it stays.
Track ReadTrack(std::string_view d) {
  Track track;
  uint64_t tick = 0;
  uint8_t running = 0;  // the running status of channel messages
  size_t pos = 0;
  while (pos < d.size()) {
    const auto delta = ReadQuantity(d, pos);
    if (!delta || pos >= d.size()) break;
    tick += *delta;
    const uint8_t status = At(d, pos);
    if (status == kMetaEvent || status == kSysExEvent || status == kSysExContinuation) {
      running = 0;
      pos += status == kMetaEvent ? 2 : 1;
      if (pos > d.size()) break;
      const uint8_t type = At(d, pos - 1);
      const auto length = ReadQuantity(d, pos);
      if (!length || *length > d.size() - pos) break;
      if (status == kMetaEvent) TakeMeta(type, d.substr(pos, *length), tick, track);
      pos += *length;
      if (status == kMetaEvent && type == kMetaEndOfTrack) break;
      continue;
    }
    if (status & 0x80) {
      running = status;
      ++pos;
    }
    if (running < 0x80 || running >= 0xF0) break;  // data with no status to run on
    const uint8_t kind = running & 0xF0;
    pos += (kind == 0xC0 || kind == 0xD0) ? 1 : 2;  // program change and channel pressure take one byte
  }
  return track;
}

std::vector<Track> ReadTracks(std::string_view d) {
  std::vector<Track> tracks;
  if (d.size() < kChunkHeaderSize || d.substr(0, 4) != kHeaderChunk) return tracks;
  size_t pos = 0;
  while (d.size() - pos >= kChunkHeaderSize) {
    const std::string_view type = d.substr(pos, 4);
    // A chunk that claims more than the file holds runs to its end.
    const size_t length = std::min<size_t>(Be32(d, pos + 4), d.size() - pos - kChunkHeaderSize);
    const std::string_view body = d.substr(pos + kChunkHeaderSize, length);
    if (type == kTrackChunk) tracks.push_back(ReadTrack(body));
    pos += kChunkHeaderSize + length;
  }
  return tracks;
}

// Files carry their lyrics in lyric events, or, in karaoke files of the older
// kind, in the text events of a "Words" track. Many carry both, or a credit
// in the conductor track's text, so the two kinds are never mixed: lyric
// events of every track in time order when there are any, else the texts of
// the words track (or of the first track with texts).
std::vector<TimedText> LyricTexts(const std::vector<Track>& tracks) {
  std::vector<TimedText> lyrics;
  for (const Track& t : tracks) lyrics.insert(lyrics.end(), t.lyrics.begin(), t.lyrics.end());
  if (!lyrics.empty()) {
    std::stable_sort(lyrics.begin(), lyrics.end(),
                     [](const TimedText& a, const TimedText& b) { return a.tick < b.tick; });
    return lyrics;
  }
  const Track* chosen = nullptr;
  for (const Track& t : tracks) {
    if (t.texts.empty()) continue;
    if (EqualsNoCase(t.name, "words") || EqualsNoCase(t.name, "lyrics")) return t.texts;
    if (!chosen) chosen = &t;
  }
  return chosen ? chosen->texts : std::vector<TimedText>{};
}

// One syllable as it joins the lyric text: a leading "/" or "\" is a line
// break, and every CR (with the LF after it, if any) ends a line.
void AppendSyllable(std::string_view s, std::string& out) {
  if (!s.empty() && (s[0] == '/' || s[0] == '\\')) {
    out += '\n';
    s.remove_prefix(1);
  }
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\r') {
      out += s[i];
      continue;
    }
    out += '\n';
    if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
  }
}

}  // namespace

std::string ScanMidiLyrics(std::string_view d) {
  // Syllables are collected as written and decoded together, so that the
  // whole file is read in one encoding.
  std::string raw;
  for (const TimedText& t : LyricTexts(ReadTracks(d))) AppendSyllable(t.text, raw);
  return DecodeLyricText(raw);
}

}  // namespace lf
