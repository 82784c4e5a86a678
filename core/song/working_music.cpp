// The working music's measuring and resizing, and the output buffer sized from it.
#include "core/song/working_music.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "core/audio/music_preparation.h"
#include "core/audio/wav_file.h"
#include "core/audio/wav_resize.h"

namespace lf {
namespace {

constexpr uint32_t kExtraBytes = 1344;  // 56 packets more
constexpr int kCopyBlockSamples = 1 << 16;

// Copies the music of `in` into a new file at `path`, cut or lengthened with
// silence to `samples` sample values, one block at a time.
bool CopyResized(WavInFile& in, const std::string& path, uint64_t samples) {
  WavOutFile out(path, in.SampleRate(), in.BitsPerSample(), in.ChannelCount());
  std::vector<int16_t> block(kCopyBlockSamples);
  uint64_t done = 0;
  while (out.Good() && done < samples) {
    const int want = static_cast<int>(std::min<uint64_t>(samples - done, block.size()));
    const int got = in.ReadSamples(block.data(), want);
    std::fill(block.begin() + got, block.begin() + want, int16_t{0});  // past the music: silence
    out.WriteSamples(block.data(), want);
    done += static_cast<uint64_t>(want);
  }
  return out.Good();
}

// For a working file that cannot be resized where it lies: written beside
// the music and renamed over it, so a failed write keeps it.
bool RewriteResized(const std::string& music, uint32_t bytes) {
  const std::string temporary = music + ".part";
  bool written = false;
  {
    WavInFile in(music);
    const int bits = in.BitsPerSample();
    if (!in.IsOpen() || (bits != 8 && bits != 16)) return false;
    written = CopyResized(in, temporary, bytes / static_cast<uint32_t>(bits / 8));
  }
  std::error_code ec;
  if (written) std::filesystem::rename(temporary, music, ec);
  if (!written || ec) {
    std::filesystem::remove(temporary, ec);
    return false;
  }
  return true;
}

}  // namespace

bool WorkingMusic::Measure(bool remember) {
  if (m_path.empty()) return false;
  WavInFile wav(m_path);
  // Music preparation refuses such files; a working file changed behind its back is no music either.
  if (!wav.IsOpen() || !IsCarriedMusicFormat(int(wav.SampleRate()), wav.BitsPerSample(), wav.ChannelCount()))
    return false;
  m_sampleRate = static_cast<int>(wav.SampleRate());
  m_bitsPerSample = wav.BitsPerSample();
  m_channels = wav.ChannelCount();
  // The header's length, or what the file really holds when it claims more.
  m_musicLength = static_cast<uint32_t>(std::min<uint64_t>(wav.DataBytesInFile(), UINT32_MAX));
  if (remember) m_musicLengthAtLoad = m_musicLength;
  return true;
}

// Whole sectors of packets for the music (at 44,100 Hz stereo, four packets
// every 2,352 bytes), at any rate and width, and the spare time.
size_t WorkingMusic::RwMemoryBytesForMusic() const {
  const int64_t frames = MusicBytesPerFrame() > 0 ? m_musicLength / MusicBytesPerFrame() : 0;
  const int64_t musicPackets = PacketSlotAt(frames, SampleRate()) / kBinPacketsPerSector * kBinPacketsPerSector;
  const uint64_t size =
      uint64_t(musicPackets + int64_t{kRwMemorySpareSeconds} * kPacketsPerSecond) * kPacketSize + kExtraBytes;
  return static_cast<size_t>(std::min<uint64_t>(size, UINT32_MAX));
}

void WorkingMusic::AllocateRwMemory(bool remember) {
  m_rwMemory.Clear();
  if (Measure(remember)) m_rwMemory.Assign(RwMemoryBytesForMusic());
}

bool WorkingMusic::LengthenMusic(uint32_t bytes) {
  if (m_path.empty()) return false;
  if (m_readOnly) {
    // Whole samples, as a resized file would hold.
    m_musicLength = bytes - bytes % static_cast<uint32_t>(MusicBitsPerSample() / 8);
    return m_rwMemory.Resize(RwMemoryBytesForMusic());
  }
  const WavResizeResult resized = ResizeWavDataInPlace(m_path, bytes);
  if (resized == WavResizeResult::Failed) return false;
  if (resized == WavResizeResult::NotInPlace && !RewriteResized(m_path, bytes)) return false;

  // The buffer keeps what it holds: cut, or grown with zeros.
  if (!Measure(false)) {
    m_rwMemory.Clear();
    return true;
  }
  return m_rwMemory.Resize(RwMemoryBytesForMusic());
}

}  // namespace lf
