#pragma once
// What the WAV reader and writer share: the scratch buffer that 8- and 16-bit
// samples pass through, and the text of the last failure.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace lf {

class WavFileBase {
 public:
  WavFileBase() = default;
  virtual ~WavFileBase();
  WavFileBase(const WavFileBase&) = delete;
  WavFileBase& operator=(const WavFileBase&) = delete;

  // Empty until something failed; then a sentence for the user.
  const std::string& LastError() const { return m_lastError; }

 protected:
  // A buffer of at least n bytes, reused while it is large enough.
  uint8_t* ScratchBuffer(std::size_t n);
  std::size_t ScratchCapacity() const { return m_scratchCapacity; }
  void SetError(std::string text) { m_lastError = std::move(text); }
  static std::string UnsupportedWidthText(int bits);

 private:
  std::unique_ptr<uint8_t[]> m_scratch;
  std::size_t m_scratchCapacity = 0;
  std::string m_lastError;
};

}  // namespace lf
