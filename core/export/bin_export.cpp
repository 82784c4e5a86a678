#include "core/export/bin_export.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/audio/pcm_gain.h"
#include "core/audio/wav_file.h"
#include "core/export/export_choices.h"
#include "core/platform/staged_output.h"

namespace lf {

namespace {

constexpr const char* kBinCreateError = "Unable to create BIN file.";
constexpr const char* kCancelCaption = "Process canceled by user...";
// Music is read 16 blocks at a time and sectors are written about a megabyte
// at a time: fewer, larger system calls. The credits still end on a block.
constexpr int kMusicReadBlocks = 16;
// BIN takes CD audio only (checked before reading): 44,100 Hz, stereo, 16 bits.
constexpr PcmFormat kBinMusicFormat{44100, 2, 16};
constexpr int kWriteLowSectors = 32 * kSectorLowMark, kWriteHighSectors = 64 * kSectorLowMark;

// Every failure tells the user the same line; `why` says which step failed.
ExportOutcome Refuse(Reason reason, const std::string& why) {
  return Outcome::Failure(reason, kBinCreateError, "Error", MessageIcon::Exclamation, why);
}

// Delivers the lead-in as zero bytes, then the WAV's data chunk, then silence
// up to the music length the song counts. Music lengthened that way keeps
// whole samples of the data, as a lengthened copy of the file would.
class MusicReader {
 public:
  MusicReader(WavInFile& wav, int64_t leadInBytes, int64_t musicBytes, double gain)
      : m_wav(wav), m_leadInLeft(leadInBytes), m_musicBytes(musicBytes), m_gain(gain) {
    const int64_t inFile = int64_t(std::min<uint64_t>(wav.DataBytes(), wav.DataBytesInFile()));
    const int64_t sampleBytes = std::max(1, wav.BitsPerSample() / 8);
    m_dataLeft = musicBytes > inFile ? inFile - inFile % sampleBytes : inFile;
  }

  // True when the music ended before the length it had when it was opened.
  bool ReadFailed() const { return m_readFailed; }

  // Fills up to `bytes` of `out`; returns how many were filled.
  int Read(uint8_t* out, int bytes) {
    int filled = Silence(m_leadInLeft, out, bytes);
    while (filled < bytes && m_dataLeft > 0) {
      const size_t want = size_t(std::min<int64_t>(bytes - filled, m_dataLeft));
      const size_t got = m_wav.ReadDataBytes(out + filled, want);
      ApplyPcmGain(out + filled, got, kBinMusicFormat, m_gain);
      // The file was measured when it was opened: running dry before its end
      // means it could not be read or shrank under us.
      if (got == 0) m_readFailed = true;
      m_dataLeft = got == 0 ? 0 : m_dataLeft - int64_t(got);
      m_musicRead += int64_t(got);
      filled += int(got);
    }
    if (m_dataLeft == 0 && !m_silenceCounted) {
      m_silenceLeft = std::max<int64_t>(0, m_musicBytes - m_musicRead);
      m_silenceCounted = true;
    }
    return filled + Silence(m_silenceLeft, out + filled, bytes - filled);
  }

 private:
  // Up to `room` zero bytes taken from `left`; how many.
  static int Silence(int64_t& left, uint8_t* out, int room) {
    const int zeros = int(std::clamp<int64_t>(left, 0, room));
    std::memset(out, 0, size_t(zeros));
    left -= zeros;
    return zeros;
  }

  WavInFile& m_wav;
  int64_t m_leadInLeft;
  int64_t m_musicBytes;
  double m_gain;
  int64_t m_dataLeft = 0;
  int64_t m_musicRead = 0;
  int64_t m_silenceLeft = 0;
  bool m_silenceCounted = false;
  bool m_readFailed = false;
};

// The next `bytes` of subcode from the stream at `pos`; zeros past its end.
void TakeSubcode(const BinExportJob& job, int64_t pos, uint8_t* out, int bytes) {
  std::memset(out, 0, size_t(bytes));
  if (!job.stream || pos >= job.streamSize || pos < 0) return;
  const int64_t n = std::min<int64_t>(bytes, job.streamSize - pos);
  std::memcpy(out, job.stream + pos, size_t(n));
}

}  // namespace

ExportOutcome ExportBin(const BinExportJob& job, ProgressSink& progress) {
  if (std::string problem = OutputPathProblem(job.outputPath); !problem.empty())
    return Refuse(Reason::WriteFailed, problem);
  if (SameFile(job.outputPath, job.workingWavPath))
    return Refuse(Reason::WriteFailed, "the BIN file would overwrite the music");

  WavInFile wav(job.workingWavPath);
  if (!wav.IsOpen()) {
    return Refuse(Reason::Failed, "cannot read the working music file " + job.workingWavPath);
  }
  if (std::string refusal = BinNotAllowedText(int(wav.SampleRate()), int(wav.ChannelCount()), int(wav.BitsPerSample()));
      !refusal.empty()) {
    return Refuse(Reason::BadInput, refusal);
  }

  StagedOutput staged(job.outputPath);
  std::FILE* file = staged.OpenStream("wb");
  if (!file) return Refuse(Reason::WriteFailed, "cannot create " + job.outputPath);

  const int blockAlign = int(wav.ChannelCount()) * int(wav.BitsPerSample()) / 8;
  const int64_t dataBytes = std::max<int64_t>(wav.DataBytes(), job.musicBytes);
  const int64_t percentBase = std::max<int64_t>(1, dataBytes / 100);
  MusicReader reader(wav, int64_t(std::max(0, job.leadIn)) * blockAlign, job.musicBytes, job.gain);
  SectorWriter writer(file, kWriteLowSectors, kWriteHighSectors);

  std::vector<uint8_t> audio(kMusicReadBlocks * kBinBlockAudioBytes);
  std::vector<uint8_t> subcode(kMusicReadBlocks * kBinBlockSubcodeBytes);
  int64_t pos = 0;        // subcode position in the stream
  int64_t delivered = 0;  // bytes of lead-in and music so far
  int lastPercent = -1;
  bool cancelled = false;

  auto checkCancel = [&] {
    if (!progress.CancelRequested()) return false;
    progress.SetCaption(kCancelCaption);
    cancelled = true;
    return true;
  };

  // Music (after the lead-in) under the stream. A short last read is padded
  // to a whole sector so every sector keeps four whole packets.
  while (!writer.Failed()) {
    const int n = reader.Read(audio.data(), int(audio.size()));
    if (n <= 0 || reader.ReadFailed()) break;
    const int sectors = (n + kBinAudioBytes - 1) / kBinAudioBytes;
    std::memset(audio.data() + n, 0, size_t(sectors * kBinAudioBytes - n));
    const int subBytes = sectors * kBinSubcodeBytes;
    TakeSubcode(job, pos, subcode.data(), subBytes);
    writer.Write(audio.data(), sectors * kBinAudioBytes, subcode.data(), subBytes);
    pos += subBytes;
    delivered += n;
    const int percent = int(std::min<int64_t>(100, delivered / percentBase));
    if (percent > lastPercent) {
      progress.Report(percent);
      lastPercent = percent;
    }
    if (checkCancel()) break;
  }

  // The rest of the stream (the credits) over silence.
  std::fill(audio.begin(), audio.end(), 0);
  while (!cancelled && !writer.Failed() && pos < job.endOffset) {
    TakeSubcode(job, pos, subcode.data(), kBinBlockSubcodeBytes);
    writer.Write(audio.data(), kBinBlockAudioBytes, subcode.data(), kBinBlockSubcodeBytes);
    pos += kBinBlockSubcodeBytes;
    if (checkCancel()) break;
  }

  writer.Flush();
  const bool writeFailed = writer.Failed();
  const bool closeFailed = std::fclose(file) != 0;
  if (cancelled) return ExportOutcome::Cancelled();  // `staged` removes the partial file
  if (reader.ReadFailed()) return Refuse(Reason::Failed, "cannot read the working music file " + job.workingWavPath);
  if (writeFailed || closeFailed)
    return Refuse(Reason::WriteFailed, "cannot write " + job.outputPath + " (disk full?)");
  std::string error;
  if (!staged.Commit(&error)) return Refuse(Reason::WriteFailed, error);
  if (lastPercent < 100) progress.Report(100);
  return Outcome::Success();
}

}  // namespace lf
