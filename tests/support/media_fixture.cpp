#include "tests/support/media_fixture.h"

#include <cstdio>

#include "tests/support/media_probe.h"
#include "tests/support/wav_fixture.h"

namespace lf::test {

void WriteToneWav(const std::string& wavPath, double seconds, int rate, int channels, int bits, double hz) {
  WriteFileBytes(wavPath,
                 ToneWav(static_cast<uint32_t>(rate), bits, channels, static_cast<uint32_t>(seconds * rate + 0.5), hz));
}

bool EncodeWithFfmpeg(const std::string& wavPath, const std::string& outPath, const std::string& options) {
  int status = -1;
  RunCommand(
      "ffmpeg -nostdin -v error -y -i " + ShellQuote(wavPath) + " " + options + " " + ShellQuote(outPath) + " 2>&1",
      &status);
  return status == 0;
}

bool MakeEncodedTone(const std::string& outPath, double seconds, int rate, int channels, const std::string& options) {
  const std::string wav = outPath + ".source.wav";
  WriteToneWav(wav, seconds, rate, channels);
  const bool ok = EncodeWithFfmpeg(wav, outPath, options);
  std::remove(wav.c_str());
  return ok;
}

}  // namespace lf::test
