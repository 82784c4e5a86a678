// What `render` shows must match an independent decoder: FFmpeg's CD+G
// decoder, on streams that keep the scroll offsets at 0 (FFmpeg places the
// picture differently under non-zero offsets; those cases are tested against
// our own numbers in the renderer tests).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>

#include "core/cdg/cdg_packet.h"
#include "core/playback/png_writer.h"
#include "tests/support/cli_runner.h"

namespace lf {
namespace {

using test::RunCli;
using test::TempDir;

class StreamBuilder {
 public:
  explicit StreamBuilder(size_t slots) : m_bytes(slots * kPacketSize, '\0') {}
  // Places a packet at the current slot and advances `gap` slots.
  StreamBuilder& Add(const CdgPacket& p, size_t gap = 1) {
    if ((m_slot + 1) * kPacketSize > m_bytes.size()) m_bytes.resize((m_slot + 1) * kPacketSize, '\0');
    std::memcpy(&m_bytes[m_slot * kPacketSize], &p, kPacketSize);
    m_slot += gap;
    return *this;
  }
  StreamBuilder& Skip(size_t slots) {
    m_slot += slots;
    if (m_slot * kPacketSize > m_bytes.size()) m_bytes.resize(m_slot * kPacketSize, '\0');
    return *this;
  }
  size_t Slot() const { return m_slot; }
  const std::string& Bytes() const { return m_bytes; }

 private:
  std::string m_bytes;
  size_t m_slot = 0;
};

CdgTileRows RandomRows(std::mt19937& rng) {
  CdgTileRows rows;
  for (auto& b : rows.bits) b = static_cast<uint8_t>(rng() & 0x3F);
  return rows;
}

// Every instruction the generator writes, tiles all over the screen (border
// rows and columns too, which scrolls then bring into view), scroll presets
// and copies in each direction, colour tables changed and repeated.
// `checkpoints` receives slot counts worth comparing at.
std::string MixedStream(std::vector<size_t>& checkpoints) {
  std::mt19937 rng(12345);
  StreamBuilder s(0);
  Colorref low[8], high[8];
  for (int i = 0; i < 8; ++i) {
    low[i] = MakeRgb(static_cast<uint8_t>(i * 34), static_cast<uint8_t>(255 - i * 17), static_cast<uint8_t>(i * 17));
    high[i] = MakeRgb(static_cast<uint8_t>(255 - i * 30), static_cast<uint8_t>(i * 20), 200);
  }
  s.Add(MakeLoadColorTable(CdgInstruction::LoadColorTableLow, low));
  s.Add(MakeLoadColorTable(CdgInstruction::LoadColorTableHigh, high));
  s.Add(MakeMemoryPreset(3, 0), 8);
  for (int i = 0; i < 300; ++i) {
    const int row = static_cast<int>(rng() % kTileRows), column = static_cast<int>(rng() % kTileColumns);
    const auto kind = rng() % 3 == 0 ? CdgInstruction::TileBlockXor : CdgInstruction::TileBlockNormal;
    s.Add(MakeTileBlock(kind, static_cast<int>(rng() % 16), static_cast<int>(rng() % 16), row, column, RandomRows(rng)),
          1 + rng() % 2);
    if (i % 100 == 50) checkpoints.push_back(s.Slot());
  }
  const int scrolls[8][2] = {{kScrollLeft, 0},  {kScrollRight, 0}, {0, kScrollUp},   {0, kScrollDown},
                             {kScrollRight, 0}, {0, kScrollUp},    {kScrollLeft, 0}, {0, kScrollDown}};
  for (int i = 0; i < 8; ++i) {
    const auto kind = i % 2 ? CdgInstruction::ScrollCopy : CdgInstruction::ScrollPreset;
    s.Add(MakeScroll(kind, 1 + i, scrolls[i][0], 0, scrolls[i][1], 0), 3);
    for (int k = 0; k < 4; ++k)
      s.Add(MakeTileBlock(CdgInstruction::TileBlockXor, 0, static_cast<int>(rng() % 16),
                          1 + static_cast<int>(rng() % 16), 1 + static_cast<int>(rng() % 48), RandomRows(rng)));
    checkpoints.push_back(s.Slot());
  }
  // FFmpeg paints the border into screen memory, where a scroll would bring it into
  // view; we paint it on the display only. A border preset after the scrolls shows the same.
  s.Add(MakeBorderPreset(5));
  s.Add(MakeDefineTransparentColor(4));
  s.Add(MakeLoadColorTable(CdgInstruction::LoadColorTableLow, low));  // repeated: no change
  std::swap(low[0], low[3]);
  s.Add(MakeLoadColorTable(CdgInstruction::LoadColorTableLow, low), 5);
  s.Add(MakeMemoryPreset(9, 0));
  for (int i = 0; i < 20; ++i)
    s.Add(MakeTileBlock(CdgInstruction::TileBlockNormal, 9, static_cast<int>(rng() % 16), 1 + i % 16, 1 + i,
                        RandomRows(rng)));
  s.Skip(30);
  return s.Bytes();
}

// FFmpeg's picture at a time: its decoder makes one frame per graphics packet,
// stamped with the packet's slot, so the screen after the slots below N is the
// last frame whose pts is below N.
bool FfmpegVisibleArea(const std::string& cdg, size_t slotEnd, const std::string& rawPath, std::vector<uint8_t>& rgb) {
  const std::string command = "ffmpeg -nostdin -v error -y -f cdg -i '" + cdg + "' -vf \"select='lt(pts," +
                              std::to_string(slotEnd) + ")'\" -fps_mode passthrough -pix_fmt rgb24 -f rawvideo '" +
                              rawPath + "'";
  if (std::system(command.c_str()) != 0) return false;
  const std::string all = test::ReadFileBytes(rawPath);
  const size_t frame = kScreenWidth * kScreenHeight * 3;
  if (all.size() < frame || all.size() % frame != 0) return false;
  const char* last = all.data() + all.size() - frame;
  rgb.clear();
  for (int y = kVisibleTop; y < kVisibleBottom; ++y)
    rgb.insert(rgb.end(), last + (y * kScreenWidth + kVisibleLeft) * 3, last + (y * kScreenWidth + kVisibleRight) * 3);
  return true;
}

std::vector<uint8_t> OurVisibleArea(const std::string& png) {
  std::vector<Colorref> pixels;
  int w = 0, h = 0;
  std::string error;
  EXPECT_TRUE(ReadPng(png, pixels, w, h, error)) << error;
  std::vector<uint8_t> rgb;
  if (w != kScreenWidth || h != kScreenHeight) return rgb;
  for (int y = kVisibleTop; y < kVisibleBottom; ++y)
    for (int x = kVisibleLeft; x < kVisibleRight; ++x) {
      const Colorref c = pixels[y * kScreenWidth + x];
      rgb.insert(rgb.end(), {RedOf(c), GreenOf(c), BlueOf(c)});
    }
  return rgb;
}

// Compares the pictures after the slots below `slotEnd`.
void CompareAt(const TempDir& dir, const std::string& cdg, size_t slotEnd) {
  // Half a slot past the boundary, so that the decimal time floors to slotEnd without doubt.
  const std::string seconds = std::to_string((static_cast<double>(slotEnd) + 0.5) / kPacketsPerSecond);
  SCOPED_TRACE("slots below " + std::to_string(slotEnd) + " (" + seconds + " s)");
  const std::string png = dir.File("ours.png");
  const test::CliResult r = RunCli({"render", cdg, "--at", seconds, "-o", png});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::vector<uint8_t> theirs;
  ASSERT_TRUE(FfmpegVisibleArea(cdg, slotEnd, dir.File("ffmpeg.rgb"), theirs));
  const std::vector<uint8_t> ours = OurVisibleArea(png);
  ASSERT_EQ(ours.size(), theirs.size());
  size_t differing = 0, first = ours.size();
  for (size_t i = 0; i < ours.size(); i += 3) {
    if (std::memcmp(&ours[i], &theirs[i], 3) != 0) {
      ++differing;
      first = std::min(first, i / 3);
    }
  }
  EXPECT_EQ(differing, 0u) << "first differing pixel at visible (" << first % kDrawWidth << ", " << first / kDrawWidth
                           << ")";
}

TEST(RenderVsFfmpeg, VisibleAreaMatchesAfterTheSamePackets) {
  if (std::system("ffmpeg -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "ffmpeg is not installed";
  TempDir dir;
  const std::string cdg = dir.File("mixed.cdg");
  std::vector<size_t> checkpoints;
  const std::string stream = MixedStream(checkpoints);
  test::WriteFileBytes(cdg, stream);
  checkpoints.push_back(stream.size() / kPacketSize);
  for (size_t k : checkpoints) CompareAt(dir, cdg, k);
}

}  // namespace
}  // namespace lf
