#pragma once
// OnsetDetector: where notes and syllables begin in a run of mono samples,
// and how strongly. aubio does the detecting; nothing else includes it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace lf {

struct Onset {
  int64_t frame = 0;   // sample frame where the sound begins
  float strength = 0;  // the detection function's value there
};

class OnsetDetector {
 public:
  explicit OnsetDetector(int sampleRate);
  ~OnsetDetector();
  OnsetDetector(const OnsetDetector&) = delete;
  OnsetDetector& operator=(const OnsetDetector&) = delete;

  // Mono samples in -1..1, in order; any count at a time.
  void Push(const float* samples, size_t count);
  const std::vector<Onset>& Onsets() const { return m_onsets; }

 private:
  struct Impl;
  std::unique_ptr<Impl> m;
  std::vector<Onset> m_onsets;
};

}  // namespace lf
