#pragma once
// The 24-byte CD+G graphics packet, its instructions, and the geometry of the
// screen the packets draw on. Builders mask every field to its width; readers
// decode fields as a player sees them.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace lf {

// --- packet stream ----------------------------------------------------------
inline constexpr int kPacketSize = 24;
inline constexpr int kPacketsPerSecond = 300;                                  // 75 sectors/s * 4 packets/sector
inline constexpr int kStreamBytesPerSecond = kPacketSize * kPacketsPerSecond;  // 7200
inline constexpr int kDefaultSampleRate = 44100;
inline constexpr int kSamplesPerPacket = kDefaultSampleRate / kPacketsPerSecond;  // 147

// --- BIN sectors --------------------------------------------------------------
inline constexpr int kBinSectorSize = 2448;
inline constexpr int kBinAudioBytes = 2352;  // a CD sector's audio: 588 frames of 16-bit stereo
inline constexpr int kBinPacketsPerSector = 4;
inline constexpr int kBinSectorsPerSecond = 75;

// --- screen -------------------------------------------------------------------
inline constexpr int kScreenWidth = 300;
inline constexpr int kScreenHeight = 216;
inline constexpr int kTileWidth = 6;
inline constexpr int kTileHeight = 12;
inline constexpr int kTileColumns = 50;
inline constexpr int kTileRows = 18;
inline constexpr int kVisibleLeft = 6, kVisibleTop = 12;
inline constexpr int kVisibleRight = 294, kVisibleBottom = 204;
inline constexpr int kDrawWidth = 288, kDrawHeight = 192;  // the visible area
inline constexpr int kDrawColumns = 48, kDrawRows = 16;    // its cells
inline constexpr int kColorCount = 16;

// --- packet fields ------------------------------------------------------------
inline constexpr uint8_t kTvGraphics = 9;
inline constexpr uint8_t kSixBitMask = 0x3F;
inline constexpr uint8_t kMaxValidRowByte = 80;  // larger row bytes are invalid rows

// The one test of a packet's mode: its command byte's low six bits say TV graphics.
inline constexpr bool IsGraphicsCommand(uint8_t command) { return (command & kSixBitMask) == kTvGraphics; }

enum class CdgInstruction : uint8_t {
  MemoryPreset = 1,
  BorderPreset = 2,
  TileBlockNormal = 6,
  ScrollPreset = 20,
  ScrollCopy = 24,
  DefineTransparentColor = 28,
  LoadColorTableLow = 30,
  LoadColorTableHigh = 31,
  TileBlockXor = 38,
};

enum ScrollCommand : uint8_t { kScrollNone = 0, kScrollRight = 1, kScrollLeft = 2 };
enum VScrollCommand : uint8_t { kScrollNoneV = 0, kScrollDown = 1, kScrollUp = 2 };

// A colour as the program passes it around: 0x00BBGGRR, red in the low byte.
using Colorref = uint32_t;
inline constexpr Colorref MakeRgb(uint8_t r, uint8_t g, uint8_t b) {
  return Colorref(r) | (Colorref(g) << 8) | (Colorref(b) << 16);
}
inline constexpr uint8_t RedOf(Colorref c) { return c & 0xFF; }
inline constexpr uint8_t GreenOf(Colorref c) { return (c >> 8) & 0xFF; }
inline constexpr uint8_t BlueOf(Colorref c) { return (c >> 16) & 0xFF; }

struct CdgTileRows {
  std::array<uint8_t, kTileHeight> bits{};  // bit 5 is the leftmost pixel
};

struct CdgPacket {
  uint8_t command = 0;
  uint8_t instruction = 0;
  uint8_t parityQ[2] = {0, 0};
  uint8_t data[16] = {};
  uint8_t parityP[4] = {0, 0, 0, 0};

  // --- reading -----------------------------------------------------------------
  bool IsGraphics() const { return IsGraphicsCommand(command); }
  uint8_t InstructionCode() const { return instruction & kSixBitMask; }

  // Tile instructions (TileBlockNormal, TileBlockXor).
  int TileChannel() const { return (((data[0] >> 4) & 3) << 2) | ((data[1] >> 4) & 3); }
  int TileColor0() const { return data[0] & 0x0F; }
  int TileColor1() const { return data[1] & 0x0F; }
  // -1 for an invalid row byte (above 80).
  int TileRow() const { return data[2] > kMaxValidRowByte ? -1 : (data[2] & 0x1F); }
  int TileColumn() const { return data[3] & kSixBitMask; }
  CdgTileRows TileBits() const {
    CdgTileRows rows;
    for (int i = 0; i < kTileHeight; ++i) rows.bits[i] = data[4 + i] & kSixBitMask;
    return rows;
  }

  // Scroll instructions (ScrollPreset, ScrollCopy).
  int ScrollFillColor() const { return data[0] & 0x0F; }
  int ScrollHCommand() const { return (data[1] >> 4) & 3; }
  int ScrollHOffset() const { return data[1] & 7; }
  int ScrollVCommand() const { return (data[2] >> 4) & 3; }
  int ScrollVOffset() const { return data[2] & 0x0F; }

  // MemoryPreset, BorderPreset, DefineTransparentColor.
  int PresetColor() const { return data[0] & kSixBitMask; }
  int PresetRepeat() const { return data[1] & kSixBitMask; }

  // LoadColorTableLow/High: the 8 colours, each component expanded 4 -> 8 bits.
  std::array<Colorref, 8> TableColors() const;

  bool operator==(const CdgPacket& other) const { return std::memcmp(this, &other, sizeof *this) == 0; }
};
static_assert(sizeof(CdgPacket) == kPacketSize, "a packet is 24 bytes");

// --- building -------------------------------------------------------------------
CdgPacket MakeMemoryPreset(int color, int repeat);
CdgPacket MakeBorderPreset(int color);
CdgPacket MakeTileBlock(CdgInstruction kind, int color0, int color1, int row, int column, const CdgTileRows& rows,
                        int channel = 0);
CdgPacket MakeScroll(CdgInstruction kind, int fillColor, int hCommand, int hOffset, int vCommand, int vOffset);
CdgPacket MakeDefineTransparentColor(int color);
// `colors` are 8 values 0x00BBGGRR; components are stored as value / 17.
CdgPacket MakeLoadColorTable(CdgInstruction kind, const Colorref* colors);

// The two bytes a colour table entry takes.
void EncodeTableColor(Colorref color, uint8_t& first, uint8_t& second);
Colorref DecodeTableColor(uint8_t first, uint8_t second);

inline CdgPacket PacketAt(const uint8_t* bytes) {
  CdgPacket p;
  std::memcpy(&p, bytes, kPacketSize);
  return p;
}

// Name of an instruction code, or nullptr for codes the decoder ignores.
const char* InstructionName(uint8_t code);

}  // namespace lf
