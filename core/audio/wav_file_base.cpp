#include "core/audio/wav_file_base.h"

namespace lf {

WavFileBase::~WavFileBase() = default;

uint8_t* WavFileBase::ScratchBuffer(std::size_t n) {
  if (m_scratch && m_scratchCapacity >= n) return m_scratch.get();
  m_scratch.reset();
  // Some headroom, kept a multiple of 8 bytes.
  const std::size_t capacity = (n + 15) & ~std::size_t{7};
  m_scratch = std::make_unique<uint8_t[]>(capacity);
  m_scratchCapacity = capacity;
  return m_scratch.get();
}

std::string WavFileBase::UnsupportedWidthText(int bits) {
  return "\nOnly 8/16 bit sample WAV files supported in integer compilation. "
         "Can't open WAV file with " +
         std::to_string(bits) + " bit sample format. ";
}

}  // namespace lf
