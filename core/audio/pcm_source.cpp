#include "core/audio/pcm_source.h"

#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/audio/pcm_gain.h"

namespace lf {

namespace {

bool Fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return false;
}

// Beyond these a header is damaged, not exotic.
constexpr uint32_t kMinSampleRate = 1000;
constexpr uint32_t kMaxSampleRate = 768000;

bool HasWavExtension(const std::string& path) {
  return path.size() >= 4 && strcasecmp(path.c_str() + path.size() - 4, ".wav") == 0;
}

// The first bytes of a RIFF form, whatever the form type.
bool StartsLikeRiff(const uint8_t* head, std::size_t n) {
  return n >= 4 &&
         (std::memcmp(head, "RIFF", 4) == 0 || std::memcmp(head, "RIFX", 4) == 0 || std::memcmp(head, "RF64", 4) == 0);
}

}  // namespace

PcmSource::~PcmSource() {
  if (m_raw) std::fclose(m_raw);
}

bool PcmSource::Open(const std::string& path, std::string* error, bool allowHeaderless) {
  std::FILE* probe = std::fopen(path.c_str(), "rb");
  if (!probe) return Fail(error, "Unable to open \"" + path + "\" for reading: " + std::strerror(errno) + ".");
  struct stat info {};
  const bool regular = fstat(fileno(probe), &info) == 0 && S_ISREG(info.st_mode);
  uint8_t head[12] = {};
  const std::size_t n = regular ? std::fread(head, 1, sizeof head, probe) : 0;
  std::fclose(probe);
  if (!regular) return Fail(error, "\"" + path + "\" is not a file.");
  if (info.st_size == 0) return Fail(error, "\"" + path + "\" is empty.");

  if (n == sizeof head && std::memcmp(head, "RIFF", 4) == 0) return OpenWav(path, error);
  // A file that calls itself WAV (or another RIFF form) but has no WAVE
  // header is damaged, not headerless PCM: encoding it would make noise.
  if (!allowHeaderless || HasWavExtension(path) || StartsLikeRiff(head, n))
    return Fail(error, "\"" + path + "\" is corrupt or not a WAV file.");
  return OpenRaw(path, error);
}

bool PcmSource::OpenWav(const std::string& path, std::string* error) {
  m_wav = std::make_unique<WavInFile>(path);
  const WavInFile& wav = *m_wav;
  if (!wav.IsOpen()) return Fail(error, "\"" + path + "\": " + wav.LastError() + ".");
  if (wav.FormatTag() != 1 && wav.FormatTag() != 0xFFFE)
    return Fail(error, "\"" + path + "\" holds compressed audio (format " + std::to_string(wav.FormatTag()) +
                           "); only PCM WAV files can be encoded.");
  if (wav.ChannelCount() != 1 && wav.ChannelCount() != 2)
    return Fail(error, "\"" + path + "\" has " + std::to_string(wav.ChannelCount()) +
                           " channels; only mono and stereo WAV files can be encoded.");
  if (wav.BitsPerSample() != 8 && wav.BitsPerSample() != 16)
    return Fail(error, "\"" + path + "\" has " + std::to_string(wav.BitsPerSample()) +
                           "-bit samples; only 8- and 16-bit WAV files can be encoded.");
  if (wav.SampleRate() < kMinSampleRate || wav.SampleRate() > kMaxSampleRate)
    return Fail(error, "\"" + path + "\" has an unusable sample rate of " + std::to_string(wav.SampleRate()) + " Hz.");
  if (wav.DataBytes() == 0) return Fail(error, "\"" + path + "\" holds no audio.");
  if (wav.IsDataTruncated())
    return Fail(error, "\"" + path + "\" is truncated: its data chunk claims " + std::to_string(wav.DataBytes()) +
                           " bytes but the file holds " + std::to_string(wav.DataBytesInFile()) + ".");
  m_format.sampleRate = wav.SampleRate();
  m_format.channels = wav.ChannelCount();
  m_format.bits = wav.BitsPerSample();
  m_dataBytes = wav.DataBytes();
  return true;
}

bool PcmSource::OpenRaw(const std::string& path, std::string* error) {
  m_raw = std::fopen(path.c_str(), "rb");
  if (!m_raw) return Fail(error, "Unable to open \"" + path + "\" for reading.");
  struct stat info {};
  if (fstat(fileno(m_raw), &info) != 0) return Fail(error, "Unable to read \"" + path + "\".");
  m_format = PcmFormat{};
  m_dataBytes = static_cast<uint64_t>(info.st_size);
  return true;
}

std::size_t PcmSource::Read(uint8_t* buffer, std::size_t count) {
  const std::size_t block = static_cast<std::size_t>(m_format.BlockAlign());
  // A scaled sample must not be split between two reads.
  if (m_gain != kUnityGain && block > 0 && count >= block) count -= count % block;
  const std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(count, m_dataBytes - m_bytesRead));
  if (want == 0) return 0;
  const std::size_t got = m_wav ? m_wav->ReadDataBytes(buffer, want) : std::fread(buffer, 1, want, m_raw);
  m_bytesRead += got;
  ApplyPcmGain(buffer, got, m_format, m_gain);
  return got;
}

}  // namespace lf
