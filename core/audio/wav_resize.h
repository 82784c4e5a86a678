#pragma once
// Changes the length of a WAV file's audio where it lies: silence appended
// after the data, or the data cut short, with the header's lengths patched.
#include <cstdint>
#include <string>

namespace lf {

enum class WavResizeResult {
  Done,
  NotInPlace,  // not a PCM file whose data chunk ends the file: rewrite it instead
  Failed,      // the file kept its former length and header
};

// Sets the data chunk to `dataBytes` (whole samples of the file's width;
// silence is 128 at 8 bits, 0 at 16). Silence is written before the header
// grows, and the header shrinks before the file is cut, so an interrupted
// resize leaves a valid file of the shorter length.
WavResizeResult ResizeWavDataInPlace(const std::string& path, uint32_t dataBytes);

}  // namespace lf
