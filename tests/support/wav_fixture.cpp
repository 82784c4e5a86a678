#include "tests/support/wav_fixture.h"

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace lf::test {

namespace {
void PutLe(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}
}  // namespace

std::string MakeRiffWave(const std::vector<RiffChunk>& chunks) {
  std::string body = "WAVE";
  for (const RiffChunk& c : chunks) {
    body += c.label;
    PutLe(body, static_cast<uint32_t>(c.body.size()), 4);
    body += c.body;
    if (c.padded && c.body.size() % 2) body.push_back('\0');
  }
  std::string out = "RIFF";
  PutLe(out, static_cast<uint32_t>(body.size()), 4);
  return out + body;
}

std::string FmtBody(uint16_t channels, uint32_t rate, uint16_t bits, uint16_t formatTag) {
  std::string out;
  const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
  PutLe(out, formatTag, 2);
  PutLe(out, channels, 2);
  PutLe(out, rate, 4);
  PutLe(out, rate * align, 4);
  PutLe(out, align, 2);
  PutLe(out, bits, 2);
  return out;
}

std::vector<int16_t> SineSamples(uint32_t rate, int channels, uint32_t frames, double hz) {
  std::vector<int16_t> out;
  out.reserve(static_cast<std::size_t>(frames) * channels);
  const double step = 2.0 * M_PI * hz / rate;
  for (uint32_t i = 0; i < frames; ++i) {
    const auto v = static_cast<int16_t>(std::lround(16383.0 * std::sin(step * i)));
    for (int c = 0; c < channels; ++c) out.push_back(v);
  }
  return out;
}

std::string PcmBytes(const std::vector<int16_t>& samples, int bits) {
  std::string out;
  for (int16_t s : samples) {
    if (bits == 8) {
      out.push_back(static_cast<char>(s / 256 + 128));
    } else if (bits == 24) {
      PutLe(out, static_cast<uint32_t>(static_cast<int32_t>(s) * 256), 3);
    } else {
      PutLe(out, static_cast<uint16_t>(s), 2);
    }
  }
  return out;
}

std::string ToneWav(uint32_t rate, int bits, int channels, uint32_t frames, double hz) {
  const std::string data = PcmBytes(SineSamples(rate, channels, frames, hz), bits);
  return MakeRiffWave(
      {{"fmt ", FmtBody(static_cast<uint16_t>(channels), rate, static_cast<uint16_t>(bits))}, {"data", data}});
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string RunCommand(const std::string& command, int* status) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) {
    if (status) *status = -1;
    return output;
  }
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  const int rc = pclose(pipe);
  if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return output;
}

}  // namespace lf::test
