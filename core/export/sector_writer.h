#pragma once
// Interleaves CD audio and CD+G subcode into 2,448-byte BIN sectors and writes
// them in blocks. Audio and subcode arrive separately and are filled into the
// current sector side by side.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "core/cdg/cdg_packet.h"

namespace lf {

inline constexpr int kBinSubcodeBytes = kBinSectorSize - kBinAudioBytes;  // 96: four packets
inline constexpr int kSectorLowMark = 13;   // a block this large is written after each hand-over
inline constexpr int kSectorHighMark = 26;  // the block never grows beyond this

class SectorWriter {
 public:
  // Writes to `file` (not owned). lowMark <= highMark, both in sectors.
  SectorWriter(std::FILE* file, int lowMark = kSectorLowMark, int highMark = kSectorHighMark);
  virtual ~SectorWriter() = default;
  SectorWriter(const SectorWriter&) = delete;
  SectorWriter& operator=(const SectorWriter&) = delete;

  // Hands over `audioBytes` of audio and `subcodeBytes` of subcode (either may be
  // 0 or null with a count of 0). Returns false once a write has failed.
  bool Write(const uint8_t* audio, int audioBytes, const uint8_t* subcode, int subcodeBytes);
  // Pads a partial sector with zeros, appends it and writes the whole block.
  bool Flush();

  bool Failed() const { return m_failed; }
  int64_t SectorsWritten() const { return m_sectorsWritten; }
  int BlockSectors() const { return m_blockSectors; }

 private:
  void CompleteSector();
  bool WriteBlock();

  std::FILE* m_file;
  int m_lowMark;
  int m_highMark;
  uint8_t m_sector[kBinSectorSize] = {};
  int m_audioFill = 0;
  int m_subcodeFill = 0;
  std::vector<uint8_t> m_block;
  int m_blockSectors = 0;
  int64_t m_sectorsWritten = 0;
  bool m_failed = false;
};

}  // namespace lf
