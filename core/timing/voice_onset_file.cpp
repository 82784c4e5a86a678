#include "core/timing/voice_onset_file.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace lf {

namespace {

constexpr char kMagic[8] = {'L', 'F', 'V', 'O', 'I', 'C', 'E', '2'};
constexpr size_t kHeaderSize = sizeof kMagic + 8 + 8 + 4 + 4;
constexpr size_t kRecordSize = 8 + 4;

struct WavStamp {
  uint64_t size = 0;
  int64_t time = 0;
};

std::optional<WavStamp> StampOf(const std::string& wavPath) {
  std::error_code error;
  const auto size = std::filesystem::file_size(wavPath, error);
  if (error) return std::nullopt;
  const auto time = std::filesystem::last_write_time(wavPath, error);
  if (error) return std::nullopt;
  return WavStamp{size, static_cast<int64_t>(time.time_since_epoch().count())};
}

template <typename T>
void Put(std::string& out, T value) {
  char bytes[sizeof(T)];
  std::memcpy(bytes, &value, sizeof(T));
  out.append(bytes, sizeof(T));
}

template <typename T>
T Get(const std::string& in, size_t at) {
  T value;
  std::memcpy(&value, in.data() + at, sizeof(T));
  return value;
}

}  // namespace

std::string VoiceOnsetFilePath(const std::string& wavPath) { return wavPath + ".voice"; }

std::optional<VoicePart> ReadVoiceOnsetFile(const std::string& wavPath) {
  const std::optional<WavStamp> stamp = StampOf(wavPath);
  if (!stamp) return std::nullopt;
  std::ifstream file(VoiceOnsetFilePath(wavPath), std::ios::binary);
  if (!file) return std::nullopt;
  const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) return std::nullopt;
  if (Get<uint64_t>(bytes, 8) != stamp->size || Get<int64_t>(bytes, 16) != stamp->time) return std::nullopt;
  const uint32_t count = Get<uint32_t>(bytes, 24), levels = Get<uint32_t>(bytes, 28);
  if (bytes.size() != kHeaderSize + size_t{count} * kRecordSize + size_t{levels} * 4) return std::nullopt;
  VoicePart voice;
  voice.onsets.resize(count);
  for (size_t i = 0; i < count; ++i) {
    const size_t at = kHeaderSize + i * kRecordSize;
    voice.onsets[i] = {Get<int64_t>(bytes, at), Get<float>(bytes, at + 8)};
  }
  voice.levels.resize(levels);
  for (size_t i = 0; i < levels; ++i) voice.levels[i] = Get<float>(bytes, kHeaderSize + count * kRecordSize + i * 4);
  return voice;
}

bool WriteVoiceOnsetFile(const std::string& wavPath, const VoicePart& voice) {
  const std::optional<WavStamp> stamp = StampOf(wavPath);
  if (!stamp || voice.onsets.size() > UINT32_MAX || voice.levels.size() > UINT32_MAX) return false;
  std::string bytes(kMagic, sizeof kMagic);
  Put(bytes, stamp->size);
  Put(bytes, stamp->time);
  Put(bytes, static_cast<uint32_t>(voice.onsets.size()));
  Put(bytes, static_cast<uint32_t>(voice.levels.size()));
  for (const Onset& onset : voice.onsets) {
    Put(bytes, onset.frame);
    Put(bytes, onset.strength);
  }
  for (const float level : voice.levels) Put(bytes, level);
  const std::string path = VoiceOnsetFilePath(wavPath), part = path + ".part";
  {
    std::ofstream file(part, std::ios::binary | std::ios::trunc);
    if (!file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !file.flush()) {
      std::error_code ignored;
      std::filesystem::remove(part, ignored);
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(part, path, error);
  if (!error) return true;
  std::filesystem::remove(part, error);
  return false;
}

}  // namespace lf
