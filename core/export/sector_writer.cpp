#include "core/export/sector_writer.h"

#include <algorithm>
#include <cstring>

namespace lf {

SectorWriter::SectorWriter(std::FILE* file, int lowMark, int highMark)
    : m_file(file), m_lowMark(std::max(1, lowMark)), m_highMark(std::max(m_lowMark, highMark)) {
  m_block.resize(size_t(m_highMark) * kBinSectorSize);
}

bool SectorWriter::Write(const uint8_t* audio, int audioBytes, const uint8_t* subcode, int subcodeBytes) {
  int a = 0, s = 0;
  audioBytes = std::max(0, audioBytes);
  subcodeBytes = std::max(0, subcodeBytes);
  while ((a < audioBytes || s < subcodeBytes) && !m_failed) {
    const int audioTake = std::min(audioBytes - a, kBinAudioBytes - m_audioFill);
    if (audioTake > 0) {
      std::memcpy(m_sector + m_audioFill, audio + a, size_t(audioTake));
      m_audioFill += audioTake;
      a += audioTake;
    }
    const int subTake = std::min(subcodeBytes - s, kBinSubcodeBytes - m_subcodeFill);
    if (subTake > 0) {
      std::memcpy(m_sector + kBinAudioBytes + m_subcodeFill, subcode + s, size_t(subTake));
      m_subcodeFill += subTake;
      s += subTake;
    }
    const bool audioFull = m_audioFill == kBinAudioBytes;
    const bool subFull = m_subcodeFill == kBinSubcodeBytes;
    // A side that must move on to the next sector closes this one; the other
    // side's missing bytes stay zero.
    const bool audioAhead = audioFull && a < audioBytes;
    const bool subAhead = subFull && s < subcodeBytes;
    if ((audioFull && subFull) || audioAhead || subAhead) {
      CompleteSector();
      if (m_blockSectors == m_highMark) WriteBlock();
    }
  }
  if (m_blockSectors >= m_lowMark) WriteBlock();
  return !m_failed;
}

bool SectorWriter::Flush() {
  if (m_audioFill > 0 || m_subcodeFill > 0) {
    if (m_blockSectors == m_highMark) WriteBlock();
    CompleteSector();
  }
  WriteBlock();
  if (!m_failed && std::fflush(m_file) != 0) m_failed = true;
  return !m_failed;
}

void SectorWriter::CompleteSector() {
  // Unfilled parts of the sector are already zero: the sector is cleared after each copy.
  std::memcpy(m_block.data() + size_t(m_blockSectors) * kBinSectorSize, m_sector, kBinSectorSize);
  ++m_blockSectors;
  std::memset(m_sector, 0, sizeof m_sector);
  m_audioFill = 0;
  m_subcodeFill = 0;
}

bool SectorWriter::WriteBlock() {
  if (m_blockSectors == 0 || m_failed) return !m_failed;
  const size_t bytes = size_t(m_blockSectors) * kBinSectorSize;
  if (std::fwrite(m_block.data(), 1, bytes, m_file) != bytes) m_failed = true;
  m_sectorsWritten += m_blockSectors;
  m_blockSectors = 0;
  return !m_failed;
}

}  // namespace lf
