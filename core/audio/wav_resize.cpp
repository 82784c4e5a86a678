#include "core/audio/wav_resize.h"

#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <vector>

#include "core/audio/wav_file.h"

namespace lf {

namespace {

constexpr size_t kSilenceBlockBytes = size_t{1} << 20;

// Where the lengths to patch lie in a file this code may resize in place.
struct DataLayout {
  uint64_t dataOffset = 0;
  uint32_t dataBytes = 0;
  uint64_t factCountOffset = 0;  // 0: no fact chunk
  int bits = 0;
  int blockAlign = 0;
};

uint64_t FileSize(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return 0;
  const bool sought = fseeko(f, 0, SEEK_END) == 0;
  const off_t size = sought ? ftello(f) : -1;
  std::fclose(f);
  return size < 0 ? 0 : static_cast<uint64_t>(size);
}

// Only a PCM file whose header states exactly what it holds, data last, is
// resized in place; anything else may carry chunks or padding we would break.
bool ReadResizableLayout(const std::string& path, DataLayout& layout) {
  WavInFile wav(path);
  if (!wav.IsOpen() || wav.FormatTag() != kWavFormatPcm || wav.BlockAlign() <= 0) return false;
  if (wav.BitsPerSample() != 8 && wav.BitsPerSample() != 16) return false;
  const uint64_t size = FileSize(path);
  if (wav.DataOffset() + wav.DataBytes() != size || wav.Header().riffLength != size - 8) return false;
  layout = {wav.DataOffset(), wav.DataBytes(), wav.FactCountOffset(), wav.BitsPerSample(), wav.BlockAlign()};
  return true;
}

bool WriteLe32At(std::FILE* f, uint64_t offset, uint32_t value) {
  uint8_t field[4];
  WriteLe32(field, value);
  return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0 && std::fwrite(field, 1, 4, f) == 4;
}

bool PatchLengths(std::FILE* f, const DataLayout& layout, uint32_t dataBytes) {
  const uint64_t riffLength = layout.dataOffset - 8 + dataBytes;
  bool ok = WriteLe32At(f, 4, static_cast<uint32_t>(riffLength)) && WriteLe32At(f, layout.dataOffset - 4, dataBytes);
  if (ok && layout.factCountOffset) ok = WriteLe32At(f, layout.factCountOffset, dataBytes / layout.blockAlign);
  return std::fflush(f) == 0 && ok;
}

bool AppendSilence(std::FILE* f, int bits, uint64_t bytes) {
  const std::vector<uint8_t> silence(std::min<uint64_t>(bytes, kSilenceBlockBytes), bits == 8 ? 128 : 0);
  if (fseeko(f, 0, SEEK_END) != 0) return false;
  while (bytes > 0) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(bytes, silence.size()));
    if (std::fwrite(silence.data(), 1, n, f) != n) return false;
    bytes -= n;
  }
  return std::fflush(f) == 0;
}

bool Truncate(std::FILE* f, uint64_t size) {
  return std::fflush(f) == 0 && ftruncate(fileno(f), static_cast<off_t>(size)) == 0;
}

}  // namespace

WavResizeResult ResizeWavDataInPlace(const std::string& path, uint32_t dataBytes) {
  DataLayout layout;
  if (!ReadResizableLayout(path, layout)) return WavResizeResult::NotInPlace;
  const uint32_t sampleBytes = static_cast<uint32_t>(layout.bits / 8);
  dataBytes -= dataBytes % sampleBytes;
  if (layout.dataOffset - 8 + dataBytes > std::numeric_limits<uint32_t>::max()) return WavResizeResult::Failed;
  if (dataBytes == layout.dataBytes) return WavResizeResult::Done;

  std::FILE* f = std::fopen(path.c_str(), "r+b");
  if (!f) return WavResizeResult::Failed;
  const uint64_t oldEnd = layout.dataOffset + layout.dataBytes;
  bool ok = false;
  if (dataBytes > layout.dataBytes) {
    ok = AppendSilence(f, layout.bits, dataBytes - layout.dataBytes) && PatchLengths(f, layout, dataBytes);
    if (!ok) Truncate(f, oldEnd);  // the header still says the old length
  } else {
    ok = PatchLengths(f, layout, dataBytes) && Truncate(f, layout.dataOffset + dataBytes);
  }
  if (std::fclose(f) != 0) ok = false;
  return ok ? WavResizeResult::Done : WavResizeResult::Failed;
}

}  // namespace lf
