#pragma once
// The BIN pipeline: the working WAV (after `leadIn` silent frames) and the
// packet stream interleaved into 2,448-byte sectors, then the rest of the
// stream over silence. The WAV is read once, where it lies.
#include <cstdint>
#include <string>

#include "core/export/export_choices.h"
#include "core/export/export_outcome.h"
#include "core/export/sector_writer.h"
#include "core/platform/progress.h"

namespace lf {

inline constexpr int kBinBlockAudioBytes = 13 * kBinAudioBytes;  // 30,576: one block
inline constexpr int kBinBlockSubcodeBytes = 13 * 96;            // 1,248: its subcode

struct BinExportJob {
  std::string outputPath;
  std::string workingWavPath;
  const uint8_t* stream = nullptr;  // the song's output buffer
  int streamSize = 0;               // its size in bytes
  int endOffset = 0;                // used length of the stream
  int leadIn = 0;                   // silent sample frames before the music
  // The song's music length (MusicLength()): silence follows the WAV's data up
  // to it when the song lengthened a music it reads where it lies.
  int64_t musicBytes = 0;
  double gain = 1.0;  // every sample of the music multiplied by it (loudness normalisation)
};

// Writes the BIN file. A failure carries "Unable to create BIN file." and leaves
// no file behind; on cancel sets the caption "Process canceled by user..." and
// leaves no file behind. An existing file at the path is replaced only on success.
ExportOutcome ExportBin(const BinExportJob& job, ProgressSink& progress);

}  // namespace lf
