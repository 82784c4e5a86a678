#pragma once
// Builds Standard MIDI Files byte by byte for the lyric import tests: a
// header chunk and tracks of timed events, with real chunk lengths.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lf::test {

// A MIDI variable-length quantity: seven bits a byte, most significant first.
inline std::string MidiQuantity(uint32_t v) {
  std::string out(1, static_cast<char>(v & 0x7F));
  while (v >>= 7) out.insert(out.begin(), static_cast<char>(0x80 | (v & 0x7F)));
  return out;
}

class MidiTrack {
 public:
  MidiTrack& Meta(uint8_t type, std::string_view data, uint32_t delta = 0) {
    m_bytes += MidiQuantity(delta);
    m_bytes += '\xFF';
    m_bytes += static_cast<char>(type);
    m_bytes += MidiQuantity(static_cast<uint32_t>(data.size()));
    m_bytes += data;
    return *this;
  }
  MidiTrack& Name(std::string_view s) { return Meta(0x03, s); }
  MidiTrack& Text(std::string_view s, uint32_t delta = 96) { return Meta(0x01, s, delta); }
  MidiTrack& Lyric(std::string_view s, uint32_t delta = 96) { return Meta(0x05, s, delta); }
  MidiTrack& Tempo(uint32_t microsPerQuarter) {
    const char t[3] = {static_cast<char>(microsPerQuarter >> 16), static_cast<char>(microsPerQuarter >> 8),
                       static_cast<char>(microsPerQuarter)};
    return Meta(0x51, std::string_view(t, 3));
  }
  // A note on and off, so that tracks look like music around the text.
  MidiTrack& Note(uint8_t key, uint32_t length = 96) {
    m_bytes += MidiQuantity(0);
    m_bytes += {'\x90', static_cast<char>(key), '\x64'};
    m_bytes += MidiQuantity(length);
    m_bytes += {'\x80', static_cast<char>(key), '\x40'};
    return *this;
  }
  MidiTrack& End() { return Meta(0x2F, ""); }
  const std::string& Bytes() const { return m_bytes; }

 private:
  std::string m_bytes;
};

inline std::string Be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

inline std::string MidiFile(const std::vector<MidiTrack>& tracks, uint16_t format = 1) {
  std::string out = "MThd" + Be32(6);
  out += {static_cast<char>(format >> 8),
          static_cast<char>(format),
          static_cast<char>(tracks.size() >> 8),
          static_cast<char>(tracks.size()),
          '\x00',
          '\x60'};  // 96 ticks a quarter
  for (const auto& t : tracks) out += "MTrk" + Be32(static_cast<uint32_t>(t.Bytes().size())) + t.Bytes();
  return out;
}

}  // namespace lf::test
