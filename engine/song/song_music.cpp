// The song's output buffer and the working music it is sized from.
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "audio/music_preparation.h"
#include "audio/wav_file.h"
#include "engine/song/song_settings.h"

namespace lf {
namespace {

constexpr int kSpareSeconds = 180;
constexpr uint32_t kExtraBytes = 1344;      // 56 packets more

}  // namespace

void MSongSettings::AllocateRwMemory(bool remember) {
  m_rwMemory.clear();
  m_rwMemory.shrink_to_fit();

  if (m_workingMusicPath.empty()) return;
  WavInFile wav(m_workingMusicPath);
  // Music preparation refuses such files; a working file changed behind its back is no music either.
  if (!wav.IsOpen() || !IsCarriedMusicFormat(int(wav.SampleRate()), wav.BitsPerSample(), wav.ChannelCount())) return;
  m_sampleRate = static_cast<int>(wav.SampleRate());
  m_bitsPerSample = wav.BitsPerSample();
  m_channels = wav.ChannelCount();

  uint64_t total = 0;
  uint8_t block[1024];
  while (size_t n = wav.ReadDataBytes(block, sizeof block)) total += n;
  m_musicLength = static_cast<uint32_t>(std::min<uint64_t>(total, UINT32_MAX));
  if (remember) m_musicLengthAtLoad = m_musicLength;

  // Whole sectors of packets for the music (at 44,100 Hz stereo, four packets
  // every 2,352 bytes), at any rate and width, and the spare time.
  const int64_t frames = MusicBytesPerFrame() > 0 ? m_musicLength / MusicBytesPerFrame() : 0;
  const int64_t musicPackets = PacketSlotAt(frames, SampleRate()) / kBinPacketsPerSector * kBinPacketsPerSector;
  const uint64_t size = uint64_t(musicPackets + int64_t{kSpareSeconds} * kPacketsPerSecond) * kPacketSize + kExtraBytes;
  m_rwMemory.assign(static_cast<size_t>(std::min<uint64_t>(size, UINT32_MAX)), 0);
}

bool MSongSettings::LengthenMusic(uint32_t bytes) {
  std::vector<int16_t> samples;
  uint32_t rate = 0;
  int bits = 0, channels = 0;
  {
    if (m_workingMusicPath.empty()) return false;
    WavInFile in(m_workingMusicPath);
    if (!in.IsOpen()) return false;
    rate = in.SampleRate();
    bits = in.BitsPerSample();
    channels = in.ChannelCount();
    if (bits != 8 && bits != 16) return false;
    int16_t block[4096];
    while (int n = in.ReadSamples(block, 4096)) samples.insert(samples.end(), block, block + n);
  }
  // Silence up to the new length, in whole samples of the file's width.
  samples.resize(bytes / (bits / 8), 0);

  // Written beside the music and renamed over it, so a failed write keeps it.
  const std::string temporary = m_workingMusicPath + ".part";
  bool written = false;
  {
    WavOutFile out(temporary, rate, bits, channels);
    size_t done = 0;
    while (out.Good() && done < samples.size()) {
      const int n = static_cast<int>(std::min<size_t>(samples.size() - done, 1 << 20));
      out.WriteSamples(samples.data() + done, n);
      done += n;
    }
    written = out.Good();
  }
  std::error_code ec;
  if (written) std::filesystem::rename(temporary, m_workingMusicPath, ec);
  if (!written || ec) {
    std::filesystem::remove(temporary, ec);
    return false;
  }

  std::vector<uint8_t> previous = std::move(m_rwMemory);
  AllocateRwMemory(false);
  std::copy_n(previous.begin(), std::min(previous.size(), m_rwMemory.size()), m_rwMemory.begin());
  return true;
}

}  // namespace lf
