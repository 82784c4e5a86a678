#pragma once
// The song's working music: the prepared WAV that playback and export read,
// its format and lengths, the lengths of the title and credits pages the last
// compilation worked out, and the output buffer sized from them.
#include <cstdint>
#include <string>

#include "core/platform/zeroed_buffer.h"
#include "core/song/sample_time.h"

namespace lf {

// The output buffer holds this much stream past the music: room for the credits page.
inline constexpr int kRwMemorySpareSeconds = 180;

class WorkingMusic {
 public:
  // Set by the shell after music preparation. A read-only one (the user's own
  // file, read where it lies) is never written: lengthening it only counts the
  // silence after its data in MusicLength(), and whoever reads it supplies
  // that silence.
  const std::string& WorkingMusicPath() const { return m_path; }
  void SetWorkingMusicPath(std::string path, bool readOnly = false) {
    m_path = std::move(path);
    m_readOnly = readOnly;
  }
  bool WorkingMusicReadOnly() const { return m_readOnly; }
  // Measures the working music and (re)allocates the zeroed output buffer;
  // `remember` keeps the length as the length at load.
  void AllocateRwMemory(bool remember);
  // Lengthens the working music with silence (or cuts it) to `bytes`, in place
  // when it is a plain PCM file with its data last, then resizes the output
  // buffer keeping its contents. False when the music could not be changed.
  bool LengthenMusic(uint32_t bytes);

  // Sample rate, bits and channels (44100, 16, 2 when nothing was measured).
  int SampleRate() const { return m_sampleRate > 0 ? m_sampleRate : kDefaultSampleRate; }
  int SamplesPerPacket() const { return lf::SamplesPerPacket(SampleRate()); }
  int MusicBitsPerSample() const { return m_bitsPerSample > 0 ? m_bitsPerSample : 16; }
  int MusicChannels() const { return m_channels > 0 ? m_channels : 2; }
  int MusicBytesPerFrame() const { return MusicBitsPerSample() * MusicChannels() / 8; }
  uint32_t MusicLength() const { return m_musicLength; }
  uint32_t MusicLengthAtLoad() const { return m_musicLengthAtLoad; }

  uint8_t* RwMemory() { return m_rwMemory.Data(); }
  const uint8_t* RwMemory() const { return m_rwMemory.Data(); }
  uint32_t RwMemorySize() const { return static_cast<uint32_t>(m_rwMemory.Size()); }

  int32_t IntroLength() const { return m_introLength; }
  void SetIntroLength(int32_t frames) { m_introLength = frames; }
  uint32_t CreditsLength() const { return m_creditsLength; }
  void SetCreditsLength(uint32_t frames) { m_creditsLength = frames; }

 private:
  // Takes format and length from the working music's header; false when it is no music.
  bool Measure(bool remember);
  size_t RwMemoryBytesForMusic() const;

  std::string m_path;
  bool m_readOnly = false;
  int m_sampleRate = 0;
  int m_bitsPerSample = 0;
  int m_channels = 0;
  uint32_t m_musicLength = 0;
  uint32_t m_musicLengthAtLoad = 0;
  int32_t m_introLength = 0;
  uint32_t m_creditsLength = 0;
  ZeroedBuffer m_rwMemory;  // grows without a second copy when the music is lengthened
};

}  // namespace lf
