#pragma once
// MediaReader: opens a compressed music file (MP3, WMA, M4A, OGG, ..., a local
// file only) and delivers its first audio stream as 16-bit interleaved PCM
// at the source's own rate and channel count, with the file's tags and
// duration. FFmpeg is used behind this class only.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/outcome.h"

namespace lf {

struct MediaFormat {
  int sampleRate = 0;
  int bitsPerSample = 0;
  int channels = 0;
  int BlockAlign() const { return channels * bitsPerSample / 8; }
};

class MediaReader {
 public:
  MediaReader();
  ~MediaReader();
  MediaReader(const MediaReader&) = delete;
  MediaReader& operator=(const MediaReader&) = delete;

  // Opens the file and reads its stream information. A failure's detail (and
  // ErrorText()) is FFmpeg's reason.
  Outcome Open(const std::string& path);
  void Close();
  bool IsOpen() const;
  const std::string& ErrorText() const { return m_error; }

  // A descriptive attribute under the name the program asks for ("Title",
  // "Author", "WM/AlbumArtist", "WM/Publisher", "WM/AlbumTitle", "WM/Track",
  // "WM/TrackNumber"), whichever tag the container stored it under.
  std::optional<std::string> Attribute(const std::string& name) const;
  // Playing time in 100-nanosecond units; 0 when the file does not tell.
  int64_t Duration100ns() const;
  // For files whose container states no duration: reads the whole stream to
  // find where its audio ends, then returns to the start. 0 when none.
  int64_t ScanDuration100ns();

  // Picks the first audio stream and opens its decoder; `format` receives the
  // PCM format that ReadPcm delivers. Fails (BadInput) when there is none, and
  // with Failed when memory runs out.
  Outcome SelectAudioOutput(MediaFormat* format);
  // Positions decoding at `time100ns`; samples before it are dropped.
  Outcome SeekTo(int64_t time100ns);
  // Decodes the next block into `out` (replaced). Returns the number of bytes,
  // 0 at the end of the stream, or kReadFailed (ErrorText() says why).
  // `time100ns` receives the block's presentation time.
  int64_t ReadPcm(std::vector<uint8_t>& out, int64_t* time100ns = nullptr);
  static constexpr int64_t kReadFailed = -1;
  // Packets the decoder refused (damaged data it skipped).
  int64_t DecodeErrors() const;

  // Music for a song: more than two channels are mixed down to stereo and a
  // rate above 48,000 Hz is resampled (to 44,100 Hz from its multiples, else
  // 48,000 Hz), the most every export takes. Set before SelectAudioOutput.
  void SetSongFormatOutput(bool on) { m_songFormat = on; }

 private:
  // Keeps `why` as the error text and returns it as a quiet failure.
  Outcome Refuse(Reason reason, std::string why);

  struct Impl;
  std::unique_ptr<Impl> m;
  std::string m_error;
  bool m_songFormat = false;
};

}  // namespace lf
