// EncodeWavToMp3: PCM in pieces of 22,050 frames, converted to 16-bit stereo,
// through the run-time bound encoder into a staged output file.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "core/audio/lame_library.h"
#include "core/audio/mp3_encoder.h"
#include "core/audio/pcm_source.h"
#include "core/platform/progress.h"
#include "core/platform/staged_output.h"
#include "core/platform/text_encoding.h"

namespace lf {

namespace {

constexpr std::size_t kPieceFrames = 22050;
constexpr std::size_t kOutputBufferBytes = 132300;  // well above LAME's 1.25 x frames + 7200

bool Fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return false;
}

// Closes the encoder context on every path out.
class LameSession {
 public:
  explicit LameSession(const LameEntryPoints& e) : m_e(e), m_flags(e.init()) {}
  ~LameSession() {
    if (m_flags) m_e.close(m_flags);
  }
  LameSession(const LameSession&) = delete;
  LameSession& operator=(const LameSession&) = delete;
  lame_t Flags() const { return m_flags; }

 private:
  const LameEntryPoints& m_e;
  lame_t m_flags;
};

// UTF-8 to code points; bytes that do not decode stand for themselves.
std::u32string DecodeUtf8(const std::string& utf8) {
  const std::string text = ToUtf8(utf8);
  std::u32string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    const int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
    char32_t cp = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
    for (int k = 1; k <= extra && i + k < text.size(); ++k) cp = (cp << 6) | (text[i + k] & 0x3F);
    out.push_back(cp);
    i += 1 + extra;
  }
  return out;
}

// Sets one ID3 text: plain ASCII as it is; anything else as UTF-16 when the
// library can write it (its Latin-1 text goes only into an ID3v1 tag, which
// readers take as raw bytes, so "é" would not come back as "é").
void SetId3Text(const LameEntryPoints& e, lame_t flags, const std::string& text, const char* frameId,
                decltype(&id3tag_set_title) setLatin1) {
  if (text.empty()) return;
  const std::u32string cps = DecodeUtf8(text);
  const bool ascii = std::all_of(cps.begin(), cps.end(), [](char32_t c) { return c < 0x80; });
  if (!ascii && e.id3SetTextUtf16) {
    std::vector<unsigned short> utf16{0xFEFF};
    for (char32_t c : cps) {
      if (c >= 0x10000) {
        utf16.push_back(static_cast<unsigned short>(0xD800 + ((c - 0x10000) >> 10)));
        utf16.push_back(static_cast<unsigned short>(0xDC00 + ((c - 0x10000) & 0x3FF)));
      } else {
        utf16.push_back(static_cast<unsigned short>(c));
      }
    }
    utf16.push_back(0);
    e.id3SetTextUtf16(flags, frameId, utf16.data());
    return;
  }
  if (!setLatin1) return;
  std::string latin1;
  for (char32_t c : cps) latin1.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
  setLatin1(flags, latin1.c_str());
}

// LAME puts its encoder delay before the audio and pads at least one granule
// (576 samples) after it, up to a whole frame: an MP3 file runs 1,152 to
// 2,303 samples longer than its audio, and players that count frames show
// that. Dropping t < one frame of the trailing silence brings the frame count
// down so that the file's length is within one frame of the requested
// length, and the decoded audio falls short of it by less than a frame.
constexpr int64_t kLameMinimumEndPadding = 576;

int64_t TailSamplesToDrop(const LameEntryPoints& e, lame_t flags, uint32_t inRate, int64_t totalFrames,
                          int64_t tailFrames) {
  if (!e.getFrameSize || !e.getEncoderDelay || !e.getOutSampleRate) return 0;
  if (static_cast<uint32_t>(e.getOutSampleRate(flags)) != inRate) return 0;
  const int64_t frameSize = e.getFrameSize(flags);
  const int64_t overhead = e.getEncoderDelay(flags) + kLameMinimumEndPadding;
  if (frameSize <= 0 || overhead < 0) return 0;
  int64_t drop = (totalFrames + overhead) % frameSize;
  if (drop == 0) drop = frameSize;  // else the length would sit exactly one frame over
  return drop <= tailFrames && drop < totalFrames ? drop : 0;
}

// Source bytes to interleaved 16-bit stereo; returns the frames produced.
std::size_t ToStereo16(const uint8_t* in, std::size_t bytes, const PcmFormat& f, int16_t* out) {
  const std::size_t frames = bytes / static_cast<std::size_t>(f.BlockAlign());
  for (std::size_t i = 0; i < frames; ++i) {
    for (int c = 0; c < 2; ++c) {
      const std::size_t s = i * f.channels + (f.channels == 2 ? c : 0);
      out[2 * i + c] = f.bits == 8 ? static_cast<int16_t>((in[s] - 128) * 256)
                                   : static_cast<int16_t>(in[2 * s] | (in[2 * s + 1] << 8));
    }
  }
  return frames;
}

bool EnsureEncoderBound() {
  LameLibrary& library = LameLibrary::Instance();
  if (library.IsOpen() && library.Entry().HasRequired()) return true;
  // A caller that skipped LoadMp3Encoder (a script, a test) still gets a
  // quiet attempt; the user dialogue belongs to start-up.
  return library.Open() && library.Bind();
}

}  // namespace

bool EncodeWavToMp3(const std::string& sourcePath, const std::string& mp3Path, int bitRateKbps, ProgressSink* progress,
                    const std::string& title, const std::string& artist, int64_t leadInFrames,
                    int64_t musicSilenceFrames, int64_t tailFrames, std::string* error, double gain) {
  if (!EnsureEncoderBound())
    return Fail(error, "MP3 encoding is not available: \"" + LameLibrary::Instance().LibraryName() +
                           "\" could not be loaded or lacks required functions.");
  const LameEntryPoints& e = LameLibrary::Instance().Entry();
  leadInFrames = std::max<int64_t>(leadInFrames, 0);
  musicSilenceFrames = std::max<int64_t>(musicSilenceFrames, 0);
  tailFrames = std::max<int64_t>(tailFrames, 0);

  PcmSource source;
  if (!source.Open(sourcePath, error)) return false;
  source.SetGain(gain);
  const PcmFormat format = source.Format();

  LameSession session(e);
  lame_t flags = session.Flags();
  if (!flags) return Fail(error, "The MP3 encoder could not be started (out of memory?).");
  if (e.setBitRate && bitRateKbps > 0) e.setBitRate(flags, bitRateKbps);
  if (e.id3Init) {
    e.id3Init(flags);
    SetId3Text(e, flags, title, "TIT2", e.id3SetTitle);
    SetId3Text(e, flags, artist, "TPE1", e.id3SetArtist);
  }
  e.setInSampleRate(flags, static_cast<int>(format.sampleRate));
  e.setNumChannels(flags, 2);
  if (!e.writeInfoTag && e.setWriteInfoTag) e.setWriteInfoTag(flags, 0);  // no blank frame we cannot fill
  if (e.initParams(flags) < 0)
    return Fail(error, "The MP3 encoder does not accept " + std::to_string(format.sampleRate) + " Hz at " +
                           std::to_string(bitRateKbps) + " kbit/s.");

  // Written under a temporary name and renamed into place when complete.
  StagedOutput target(mp3Path);
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(target.OpenStream("w+b"), &std::fclose);
  if (!file) return Fail(error, "Unable to create \"" + mp3Path + "\": " + std::strerror(errno) + ".");

  const uint64_t block = static_cast<uint64_t>(format.BlockAlign());
  const int64_t musicFrames = static_cast<int64_t>(source.DataBytes() / block) + musicSilenceFrames;
  tailFrames -= TailSamplesToDrop(e, flags, format.sampleRate, leadInFrames + musicFrames + tailFrames, tailFrames);

  const std::size_t pieceBytes = kPieceFrames * block;
  std::vector<uint8_t> piece(pieceBytes);
  std::vector<int16_t> pcm(kPieceFrames * 2);
  std::vector<unsigned char> mp3(kOutputBufferBytes);
  // Unsigned 8-bit PCM is silent at 128; zero bytes there would be a full-scale click.
  const int silence = format.bits == 8 ? 0x80 : 0;
  uint64_t leadInLeft = static_cast<uint64_t>(leadInFrames) * block;
  uint64_t tailLeft = static_cast<uint64_t>(musicSilenceFrames + tailFrames) * block;
  const uint64_t total = source.DataBytes() + tailLeft;
  uint64_t delivered = 0;
  int lastPercent = 0;

  for (;;) {
    if (progress && progress->CancelRequested()) return Fail(error, "The MP3 encoding was cancelled.");
    std::size_t n = 0;
    if (leadInLeft > 0) {
      n = static_cast<std::size_t>(std::min<uint64_t>(pieceBytes, leadInLeft));
      std::memset(piece.data(), silence, n);
      leadInLeft -= n;
    } else {
      n = source.Read(piece.data(), pieceBytes);
      if (n == 0) {
        if (tailLeft == 0) break;
        n = static_cast<std::size_t>(std::min<uint64_t>(pieceBytes, tailLeft));
        std::memset(piece.data(), silence, n);
        tailLeft -= n;
      }
      delivered += n;
    }
    const int percent = static_cast<int>(std::min<uint64_t>(delivered * 100 / total, 100));
    if (percent != lastPercent && progress) progress->Report(percent);
    lastPercent = percent;

    const std::size_t frames = ToStereo16(piece.data(), n, format, pcm.data());
    const int written =
        e.encodeInterleaved(flags, pcm.data(), static_cast<int>(frames), mp3.data(), static_cast<int>(mp3.size()));
    if (written < 0) return Fail(error, "The MP3 encoder failed (code " + std::to_string(written) + ").");
    if (std::fwrite(mp3.data(), 1, static_cast<std::size_t>(written), file.get()) != static_cast<std::size_t>(written))
      return Fail(error, "Unable to write \"" + mp3Path + "\" (disk full?).");
    if (delivered >= total) break;
  }

  const int lastBytes = e.flush(flags, mp3.data(), static_cast<int>(mp3.size()));
  if (lastBytes < 0) return Fail(error, "The MP3 encoder failed to finish (code " + std::to_string(lastBytes) + ").");
  if (std::fwrite(mp3.data(), 1, static_cast<std::size_t>(lastBytes), file.get()) !=
      static_cast<std::size_t>(lastBytes))
    return Fail(error, "Unable to write \"" + mp3Path + "\" (disk full?).");
  // The info frame tells decoders the encoder delay and padding, so the
  // decoded audio starts and ends exactly where the source did.
  if (e.writeInfoTag) {
    std::fflush(file.get());
    e.writeInfoTag(flags, file.get());
  }
  const bool flushed = std::fflush(file.get()) == 0;
  if (std::fclose(file.release()) != 0 || !flushed)
    return Fail(error, "Unable to write \"" + mp3Path + "\" (disk full?).");
  std::string commitError;
  if (!target.Commit(&commitError)) return Fail(error, commitError);
  return true;
}

}  // namespace lf
