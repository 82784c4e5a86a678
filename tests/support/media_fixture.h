#pragma once
// Compressed test music: tones written as WAV and encoded by the ffmpeg tool.
#include <string>

#include "tests/support/media_probe.h"  // ShellQuote

namespace lf::test {

// Writes a sine tone WAV at `wavPath` (16-bit unless `bits` says otherwise).
void WriteToneWav(const std::string& wavPath, double seconds, int rate = 44100, int channels = 2, int bits = 16,
                  double hz = 440.0);

// Encodes `wavPath` into `outPath` with the ffmpeg tool; the container comes
// from the extension, `options` go before the output (codec, tags). Returns
// false when ffmpeg failed.
bool EncodeWithFfmpeg(const std::string& wavPath, const std::string& outPath, const std::string& options = "");

// A tone of `seconds` encoded straight into `outPath` (a one-step shortcut).
bool MakeEncodedTone(const std::string& outPath, double seconds, int rate = 44100, int channels = 2,
                     const std::string& options = "");

}  // namespace lf::test
