#include "core/audio/padded_pcm.h"

#include <algorithm>
#include <cstring>

namespace lf {

PaddedPcm::PaddedPcm(PcmSource& source, int64_t leadInFrames, int64_t tailFrames)
    : m_source(source),
      m_block(source.Format().BlockAlign()),
      m_silence(source.Format().bits == 8 ? 0x80 : 0),
      m_leadIn(std::max<int64_t>(0, leadInFrames)),
      m_musicEnd(m_leadIn + int64_t(source.DataBytes() / uint64_t(std::max(1, m_block)))),
      m_total(m_musicEnd + std::max<int64_t>(0, tailFrames)) {}

std::size_t PaddedPcm::Read(uint8_t* out, std::size_t frames) {
  const std::size_t want = std::size_t(std::min<int64_t>(int64_t(frames), m_total - m_read));
  std::size_t done = 0;
  while (done < want) {
    uint8_t* at = out + done * std::size_t(m_block);
    const int64_t pos = m_read + int64_t(done);
    std::size_t n = want - done;
    if (pos >= m_leadIn && pos < m_musicEnd) {
      n = std::min<std::size_t>(n, std::size_t(m_musicEnd - pos));
      const std::size_t got = m_source.Read(at, n * std::size_t(m_block)) / std::size_t(m_block);
      if (got > 0) {
        done += got;
        continue;
      }
      m_musicEnd = pos;  // the music ended early: silence from here
    }
    if (pos < m_leadIn) n = std::min<std::size_t>(n, std::size_t(m_leadIn - pos));
    std::memset(at, m_silence, n * std::size_t(m_block));
    done += n;
  }
  m_read += int64_t(done);
  return done;
}

}  // namespace lf
