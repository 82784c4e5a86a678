#include "core/lyrics/midi_tracks.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <utility>

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
constexpr uint8_t kMetaTempo = 0x51;
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

// Karaoke files put their header fields ("@T title", "@L language", "@K",
// "@I info") in text events; they are never lyrics.
bool IsHeaderField(std::string_view text) { return !text.empty() && text[0] == '@'; }

void TakeMeta(uint8_t type, std::string_view text, uint64_t tick, size_t index, MidiTrackEvents& track) {
  if (type == kMetaTempo) {
    if (text.size() == 3)
      track.tempos.push_back({tick, uint32_t{At(text, 0)} << 16 | uint32_t{At(text, 1)} << 8 | At(text, 2)});
    return;
  }
  if (const size_t zero = text.find('\0'); zero != std::string_view::npos) text = text.substr(0, zero);
  if (type == kMetaTrackName && track.name.empty()) track.name = text;
  if (type != kMetaLyric && type != kMetaText) return;
  if (IsHeaderField(text)) {
    track.fields.push_back({tick, text, index});
    return;
  }
  (type == kMetaLyric ? track.lyrics : track.texts).push_back({tick, text, index});
}

// Notes by channel and key, so that each note off ends the note it belongs to.
class NotePairing {
 public:
  void On(uint8_t channel, uint8_t key, uint64_t tick, std::vector<MidiNote>& notes) {
    m_open[Key(channel, key)].push_back(notes.size());
    notes.push_back({tick, tick});
  }
  void Off(uint8_t channel, uint8_t key, uint64_t tick, std::vector<MidiNote>& notes) {
    auto& open = m_open[Key(channel, key)];
    if (open.empty()) return;
    notes[open.front()].off = tick;
    open.erase(open.begin());
  }

 private:
  static int Key(uint8_t channel, uint8_t key) { return channel << 8 | key; }
  std::map<int, std::vector<size_t>> m_open;
};

MidiTrackEvents ReadTrack(std::string_view d, size_t index) {
  MidiTrackEvents track;
  NotePairing pairing;
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
      if (status == kMetaEvent) TakeMeta(type, d.substr(pos, *length), tick, index, track);
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
    const size_t size = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;  // program change and channel pressure take one byte
    if (size == 2 && pos + 1 < d.size() && (kind == 0x80 || kind == 0x90)) {
      const uint8_t key = At(d, pos), velocity = At(d, pos + 1);
      if (kind == 0x90 && velocity > 0)
        pairing.On(running & 0x0F, key, tick, track.notes);
      else
        pairing.Off(running & 0x0F, key, tick, track.notes);
    }
    pos += size;
  }
  return track;
}

}  // namespace

MidiFileEvents ReadMidiFileEvents(std::string_view d) {
  MidiFileEvents file;
  if (d.size() < kChunkHeaderSize || d.substr(0, 4) != kHeaderChunk) return file;
  file.isMidi = true;
  size_t pos = 0;
  while (d.size() - pos >= kChunkHeaderSize) {
    const std::string_view type = d.substr(pos, 4);
    // A chunk that claims more than the file holds runs to its end.
    const size_t length = std::min<size_t>(Be32(d, pos + 4), d.size() - pos - kChunkHeaderSize);
    const std::string_view body = d.substr(pos + kChunkHeaderSize, length);
    if (type == kHeaderChunk && body.size() >= 6) file.division = static_cast<uint16_t>(At(body, 4) << 8 | At(body, 5));
    if (type == kTrackChunk) file.tracks.push_back(ReadTrack(body, file.tracks.size()));
    pos += kChunkHeaderSize + length;
  }
  return file;
}

// Files carry their lyrics in lyric events, or, in karaoke files of the older
// kind, in the text events of a "Words" track. Many carry both, or a credit
// in the conductor track's text, so the two kinds are never mixed.
std::vector<MidiText> MidiLyricTexts(const std::vector<MidiTrackEvents>& tracks) {
  std::vector<MidiText> lyrics;
  for (const MidiTrackEvents& t : tracks) lyrics.insert(lyrics.end(), t.lyrics.begin(), t.lyrics.end());
  if (!lyrics.empty()) {
    std::stable_sort(lyrics.begin(), lyrics.end(),
                     [](const MidiText& a, const MidiText& b) { return a.tick < b.tick; });
    return lyrics;
  }
  const MidiTrackEvents* chosen = nullptr;
  for (const MidiTrackEvents& t : tracks) {
    if (t.texts.empty()) continue;
    if (EqualsNoCase(t.name, "words") || EqualsNoCase(t.name, "lyrics")) return t.texts;
    if (!chosen) chosen = &t;
  }
  return chosen ? chosen->texts : std::vector<MidiText>{};
}

MidiClock::MidiClock(const MidiFileEvents& file) {
  if (file.division & 0x8000) {
    // SMPTE: minus the frames a second in the high byte (-29 is 29.97 drop
    // frame), ticks a frame in the low byte.
    const int frames = -static_cast<int8_t>(file.division >> 8);
    const double fps = frames == 29 ? 30000.0 / 1001 : frames;
    m_ticksPerSecond = fps > 0 ? fps * (file.division & 0xFF) : 0;
    return;
  }
  m_ticksPerQuarter = file.division;
  for (const MidiTrackEvents& t : file.tracks) m_tempos.insert(m_tempos.end(), t.tempos.begin(), t.tempos.end());
  std::stable_sort(m_tempos.begin(), m_tempos.end(),
                   [](const MidiTempo& a, const MidiTempo& b) { return a.tick < b.tick; });
}

int64_t MidiClock::Millis(uint64_t tick) const {
  if (m_ticksPerSecond > 0) return std::llround(static_cast<double>(tick) * 1000 / m_ticksPerSecond);
  if (m_ticksPerQuarter <= 0) return 0;
  // Microseconds times ticks a quarter, summed over the tempo's spans.
  long double scaled = 0;
  uint64_t from = 0;
  uint32_t tempo = 500000;  // 120 beats a minute until the first change
  for (const MidiTempo& change : m_tempos) {
    if (change.tick >= tick) break;
    scaled += static_cast<long double>(change.tick - from) * tempo;
    from = change.tick;
    tempo = change.microsPerQuarter;
  }
  scaled += static_cast<long double>(tick - from) * tempo;
  return std::llround(static_cast<double>(scaled / m_ticksPerQuarter / 1000));
}

}  // namespace lf
