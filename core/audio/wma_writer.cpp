#include "core/audio/wma_writer.h"

#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/audio/pcm_source.h"
#include "core/audio/wma_audio_encoder.h"
#include "core/platform/progress.h"
#include "core/platform/staged_output.h"
#include "core/platform/text_encoding.h"

namespace lf {

namespace {

constexpr std::size_t kMaxStringAttributeChars = 1024;

int Fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return 1;
}

// At most n UTF-8 characters.
std::string TruncateUtf8(const std::string& text, std::size_t n) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && chars++ == n) return text.substr(0, i);
  }
  return text;
}

// The attribute list as metadata for the muxer, under FFmpeg's names for
// the two the ASF content description holds.
std::vector<std::pair<std::string, std::string>> TakeAttributes() {
  std::vector<std::pair<std::string, std::string>> metadata;
  for (const WmaAttribute& a : WmaAttributes()) {
    std::string name = a.name;
    if (strcasecmp(name.c_str(), "Title") == 0) name = "title";
    if (strcasecmp(name.c_str(), "Author") == 0) name = "author";
    std::string value;
    if (a.type == kWmaAttributeNumber) {
      value = std::to_string(static_cast<int32_t>(std::strtol(a.value.c_str(), nullptr, 10)));
    } else if (a.type == kWmaAttributeString) {
      value = TruncateUtf8(ToUtf8(a.value), kMaxStringAttributeChars);
    } else {
      value = ToUtf8(a.value);
    }
    if (!name.empty()) metadata.emplace_back(name, value);
  }
  WmaAttributes().clear();
  return metadata;
}

// Reports 2, 4, 6 ... up to the share of source frames read.
class EvenProgress {
 public:
  EvenProgress(ProgressSink* progress, uint64_t totalFrames) : m_progress(progress), m_total(totalFrames) {}
  void Update(uint64_t framesRead) {
    const uint64_t p = m_total ? std::min<uint64_t>(framesRead * 100 / m_total, 100) : 100;
    while (static_cast<uint64_t>(m_last) < p) {
      m_last += 2;
      if (m_progress) m_progress->Report(m_last);
    }
  }

 private:
  ProgressSink* m_progress;
  uint64_t m_total;
  int m_last = 0;
};

// Feeds frames of silence in pieces of at most one second.
bool WriteSilence(WmaAudioEncoder& encoder, std::vector<uint8_t>& buffer, const PcmFormat& format, uint64_t frames) {
  const std::size_t block = static_cast<std::size_t>(format.BlockAlign());
  const std::size_t pieceFrames = buffer.size() / block;
  // Unsigned 8-bit PCM is silent at 128.
  std::memset(buffer.data(), format.bits == 8 ? 0x80 : 0, buffer.size());
  while (frames > 0) {
    const std::size_t n = static_cast<std::size_t>(std::min<uint64_t>(frames, pieceFrames));
    if (!encoder.Write(buffer.data(), n)) return false;
    frames -= n;
  }
  return true;
}

}  // namespace

std::vector<WmaAttribute>& WmaAttributes() {
  static std::vector<WmaAttribute> attributes;
  return attributes;
}

void AddWmaAttribute(const std::string& name, int type, const std::string& value) {
  WmaAttributes().push_back(WmaAttribute{name, type, value});
}

int WmaProfileBitRate(int profileNumber) {
  switch (profileNumber) {
    case 23:
      return 96000;
    case 24:
      return 128000;
    case 25:
      return 160000;
    case 26:
      return 192000;
    default:
      return 0;
  }
}

int EncodeWavToWma(const std::string& outputPath, const std::string& sourcePath, int profileNumber,
                   ProgressSink* progress, int64_t leadInFrames, int64_t tailFrames, std::string* error, double gain) {
  const auto metadata = TakeAttributes();
  const int bitRate = WmaProfileBitRate(profileNumber);
  if (bitRate == 0)
    return Fail(error, "WMA profile " + std::to_string(profileNumber) + " is not available (23 to 26 are).");

  PcmSource source;
  std::string openError;
  if (!source.Open(sourcePath, &openError, false)) return Fail(error, openError);
  source.SetGain(gain);
  const PcmFormat format = source.Format();
  const uint64_t block = static_cast<uint64_t>(format.BlockAlign());
  const uint64_t sourceFrames = source.DataBytes() / block;

  // Written under a temporary name and renamed into place when complete.
  StagedOutput target(outputPath);
  WmaAudioEncoder encoder;
  if (!encoder.Open(target.DescriptorPath(), bitRate, format.sampleRate, format.channels, format.bits, metadata))
    return Fail(error, encoder.Error());

  // One second of source audio per step.
  std::vector<uint8_t> buffer(static_cast<std::size_t>(format.sampleRate * block));
  if (leadInFrames > 0 && !WriteSilence(encoder, buffer, format, static_cast<uint64_t>(leadInFrames)))
    return Fail(error, encoder.Error());

  EvenProgress even(progress, sourceFrames);
  uint64_t framesRead = 0;
  for (;;) {
    if (progress && progress->CancelRequested()) return Fail(error, "The WMA encoding was cancelled.");
    const std::size_t bytes = source.Read(buffer.data(), buffer.size());
    const std::size_t frames = bytes / block;
    if (frames == 0) break;
    if (!encoder.Write(buffer.data(), frames)) return Fail(error, encoder.Error());
    framesRead += frames;
    even.Update(framesRead);
  }
  if (tailFrames > 0 && !WriteSilence(encoder, buffer, format, static_cast<uint64_t>(tailFrames)))
    return Fail(error, encoder.Error());
  if (!encoder.Finish()) return Fail(error, encoder.Error());
  even.Update(sourceFrames);
  std::string commitError;
  if (!target.Commit(&commitError)) return Fail(error, commitError);
  return 0;
}

}  // namespace lf
