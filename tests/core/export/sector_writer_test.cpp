#include "core/export/sector_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace lf {
namespace {

// Everything the writer put into a memory file, and how many fwrite calls it took.
struct MemoryFile {
  MemoryFile() { file = open_memstream(&data, &size); }
  ~MemoryFile() {
    if (file) std::fclose(file);
    std::free(data);
  }
  std::vector<uint8_t> Bytes() {
    std::fflush(file);
    return std::vector<uint8_t>(data, data + size);
  }
  std::FILE* file = nullptr;
  char* data = nullptr;
  size_t size = 0;
};

std::vector<uint8_t> Pattern(int n, int seed) {
  std::vector<uint8_t> v(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) v[size_t(i)] = uint8_t((i * 7 + seed) % 251 + 1);
  return v;
}

TEST(SectorWriterTest, InterleavesAudioAndSubcodeInOrder) {
  MemoryFile mem;
  SectorWriter writer(mem.file);
  const int sectors = 30;
  auto audio = Pattern(sectors * kBinAudioBytes, 3);
  auto sub = Pattern(sectors * kBinSubcodeBytes, 5);
  // Uneven hand-overs, audio and subcode at the same pace.
  int a = 0, s = 0;
  for (int step : {1, 5, 13, 11}) {
    writer.Write(audio.data() + a, step * kBinAudioBytes, sub.data() + s, step * kBinSubcodeBytes);
    a += step * kBinAudioBytes;
    s += step * kBinSubcodeBytes;
  }
  ASSERT_TRUE(writer.Flush());
  auto bytes = mem.Bytes();
  ASSERT_EQ(bytes.size(), size_t(sectors) * kBinSectorSize);
  for (int i = 0; i < sectors; ++i) {
    const uint8_t* sector = bytes.data() + size_t(i) * kBinSectorSize;
    ASSERT_TRUE(std::equal(sector, sector + kBinAudioBytes, audio.begin() + i * kBinAudioBytes)) << i;
    ASSERT_TRUE(std::equal(sector + kBinAudioBytes, sector + kBinSectorSize, sub.begin() + i * kBinSubcodeBytes)) << i;
  }
}

TEST(SectorWriterTest, WritesBlocksAtTheMarksAndPadsTheLastSector) {
  MemoryFile mem;
  SectorWriter writer(mem.file, 13, 26);
  auto audio = Pattern(40 * kBinAudioBytes, 1);
  auto sub = Pattern(40 * kBinSubcodeBytes, 2);
  writer.Write(audio.data(), 12 * kBinAudioBytes, sub.data(), 12 * kBinSubcodeBytes);
  EXPECT_EQ(writer.SectorsWritten(), 0);  // below the low mark: kept
  EXPECT_EQ(writer.BlockSectors(), 12);
  writer.Write(audio.data(), kBinAudioBytes, sub.data(), kBinSubcodeBytes);
  EXPECT_EQ(writer.SectorsWritten(), 13);
  writer.Write(audio.data(), 27 * kBinAudioBytes, sub.data(), 27 * kBinSubcodeBytes);
  EXPECT_EQ(writer.SectorsWritten(), 13 + 26);  // 26 at the high mark; one left below the low mark
  EXPECT_EQ(writer.BlockSectors(), 1);

  writer.Write(audio.data(), 100, sub.data(), 10);  // a partial sector
  ASSERT_TRUE(writer.Flush());
  auto bytes = mem.Bytes();
  ASSERT_EQ(bytes.size(), size_t(41) * kBinSectorSize);
  const uint8_t* last = bytes.data() + size_t(40) * kBinSectorSize;
  EXPECT_TRUE(std::equal(last, last + 100, audio.begin()));
  for (int i = 100; i < kBinAudioBytes; ++i) ASSERT_EQ(last[i], 0) << i;
  EXPECT_TRUE(std::equal(last + kBinAudioBytes, last + kBinAudioBytes + 10, sub.begin()));
  for (int i = kBinAudioBytes + 10; i < kBinSectorSize; ++i) ASSERT_EQ(last[i], 0) << i;
}

TEST(SectorWriterTest, ASideThatRunsAheadLeavesTheOtherZero) {
  MemoryFile mem;
  SectorWriter writer(mem.file);
  auto sub = Pattern(3 * kBinSubcodeBytes, 9);
  writer.Write(nullptr, 0, sub.data(), 3 * kBinSubcodeBytes);  // subcode only: audio zero
  auto audio = Pattern(2 * kBinAudioBytes, 4);
  writer.Write(audio.data(), 2 * kBinAudioBytes, nullptr, 0);  // audio only: subcode zero
  ASSERT_TRUE(writer.Flush());
  auto bytes = mem.Bytes();
  ASSERT_EQ(bytes.size(), size_t(4) * kBinSectorSize);
  for (int i = 0; i < 2; ++i) {  // the third subcode sector waits for audio: it gets the first audio
    const uint8_t* sector = bytes.data() + size_t(i) * kBinSectorSize;
    for (int b = 0; b < kBinAudioBytes; ++b) ASSERT_EQ(sector[b], 0);
    ASSERT_TRUE(std::equal(sector + kBinAudioBytes, sector + kBinSectorSize, sub.begin() + i * kBinSubcodeBytes));
  }
  const uint8_t* third = bytes.data() + size_t(2) * kBinSectorSize;
  EXPECT_TRUE(std::equal(third, third + kBinAudioBytes, audio.begin()));
  EXPECT_TRUE(std::equal(third + kBinAudioBytes, third + kBinSectorSize, sub.begin() + 2 * kBinSubcodeBytes));
  const uint8_t* fourth = bytes.data() + size_t(3) * kBinSectorSize;
  EXPECT_TRUE(std::equal(fourth, fourth + kBinAudioBytes, audio.begin() + kBinAudioBytes));
  for (int b = kBinAudioBytes; b < kBinSectorSize; ++b) ASSERT_EQ(fourth[b], 0);
}

}  // namespace
}  // namespace lf
