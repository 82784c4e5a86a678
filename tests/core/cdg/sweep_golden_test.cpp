// Drawing a line and sweeping it word by word writes fixed packets for each
// text style. The checksums were taken from the generator that re-shaped and
// re-drew the whole line so far for every word and stamped outlines shift by
// shift; a faster drawing must keep every byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/cdg/rw_generator.h"

namespace lf {
namespace {

constexpr int kBackground = 1, kText = 12, kOutline = 13, kSweep = 14;
constexpr int kSlots = 20000;
constexpr int kSlotsPerWord = 12;

uint64_t Fnv1a(const std::vector<uint8_t>& bytes) {
  uint64_t hash = 1469598103934665603ULL;
  for (uint8_t byte : bytes) {
    hash ^= byte;
    hash *= 1099511628211ULL;
  }
  return hash;
}

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Byte ranges [first, last] of the words: each word with the blanks after
// it, or each character on its own.
std::vector<std::pair<int, int>> Words(const std::string& text, bool perCharacter) {
  std::vector<std::pair<int, int>> words;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = start + 1;
    if (perCharacter) {
      while (end < text.size() && IsContinuation(text[end])) ++end;
    } else {
      while (end < text.size() && text[end] != ' ') ++end;
      while (end < text.size() && text[end] == ' ') ++end;
    }
    words.emplace_back(static_cast<int>(start), static_cast<int>(end) - 1);
    start = end;
  }
  return words;
}

std::string Repeat(const std::string& word, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += (i ? " " : "") + word;
  return text;
}

struct SweepCase {
  const char* name;
  std::string text;
  const char* face;
  int height;
  uint32_t flags;
  int hAlign;
  bool boxMode;
  bool perCharacter;
  uint64_t checksum;
};

// Draws the line, sweeps every word in turn, then erases it.
uint64_t CompileLine(const SweepCase& c) {
  std::vector<uint8_t> stream(static_cast<size_t>(kSlots) * kPacketSize, 0);
  CdgGenerator gen(stream.data(), static_cast<int32_t>(stream.size()));
  TextType style;
  style.SetFaceName(c.face);
  style.m_height = c.height;
  style.m_flags = c.flags;
  style.m_hAlign = c.hAlign;
  style.m_color = kText;
  style.m_outlineColor = kOutline;
  style.m_backgroundColor = kBackground;
  gen.DrawText(4, 1, c.text, style, kBackground, 0);
  int offset = 200 * kPacketSize;
  for (const auto& [first, last] : Words(c.text, c.perCharacter)) {
    const int next = offset + kSlotsPerWord * kPacketSize;
    gen.SweepText(4, 1, c.text, first, last, style, kBackground, kSweep, c.boxMode, offset, next, nullptr);
    offset = next;
  }
  gen.EraseText(4, 1, c.text, style, kBackground, offset);
  return Fnv1a(stream);
}

TEST(SweepGolden, EveryStyleSweepsToTheKnownPackets) {
  const std::string cjk =
      "\xE3\x81\x8D\xE3\x82\x89\xE3\x81\x8D\xE3\x82\x89 \xE6\x98\x9F\xE3\x82\x88 "
      "\xE6\x84\x9B\xE3\x81\x97\xE3\x81\xA6\xE3\x82\x8B"
      "baby \xE7\xA9\xBA";
  const std::string arabic = "\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85";
  const std::string hebrew = "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D";
  const std::vector<SweepCase> cases = {
      {"plain, overflowing the screen", Repeat("la", 70), "Arial", 24, 0, kAlignLeft, false, false,
       0xd86938c631635f7fULL},
      {"outlined, centred", "Twinkle twinkle little star, how I wonder", "Arial", 30, kTextOutline, kAlignCenter, false,
       false, 0x7222e34ec43bc0b6ULL},
      {"outlined, right, box mode", "Up above the world so high", "Arial", 20, kTextOutline, kAlignRight, true, false,
       0xdd7401f59c88a1baULL},
      {"ampersands", "R&B && soul & Rock &&& roll", "Arial", 24, kTextOutline, kAlignLeft, false, false,
       0xc21b7aec151aa9c7ULL},
      {"bold italic underlined", "Like a diamond in the sky, twinkle twinkle", "Arial", 22,
       kTextBold | kTextItalic | kTextUnderline, kAlignLeft, false, false, 0xb152ba1e3c363d12ULL},
      {"underlined box mode", "When the blazing sun is gone", "DejaVu Serif", 18, kTextUnderline | kTextOutline,
       kAlignCenter, true, false, 0x3fd914b81b17e775ULL},
      {"CJK by character", cjk, "Noto Sans CJK JP", 24, kTextOutline, kAlignCenter, false, true, 0x8eb85c882cde27c9ULL},
      {"CJK in a Latin face", cjk, "Arial", 20, 0, kAlignLeft, false, false, 0x00719b83206b6777ULL},
      {"many short words, outlined", Repeat("a b", 120), "Arial", 12, kTextOutline, kAlignLeft, false, false,
       0xb7a615d71fd681e3ULL},
      {"many short words, box mode", Repeat("do re mi", 40), "DejaVu Sans", 16, 0, kAlignRight, true, false,
       0x61f4947bde051effULL},
      {"digits first, Arabic within Latin", "12 34 abc " + arabic + " def (x) 56", "DejaVu Sans", 20, kTextOutline,
       kAlignLeft, false, false, 0x8d90db8d2461d937ULL},
      {"right to left", hebrew + " " + arabic + " " + hebrew, "DejaVu Sans", 20, 0, kAlignCenter, false, false,
       0x126e2b97e545466dULL},
  };
  for (const SweepCase& c : cases) {
    const uint64_t checksum = CompileLine(c);
    EXPECT_EQ(checksum, c.checksum) << c.name << ": 0x" << std::hex << checksum;
  }
}

}  // namespace
}  // namespace lf
