#include "core/audio/music_preparation.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "core/audio/audio_play.h"
#include "core/audio/media_reader.h"
#include "core/audio/wav_file.h"
#include "core/platform/event.h"

namespace fs = std::filesystem;

namespace lf {

namespace {

// Held by the player around its sound device; preparation only decodes, so it
// never contends, but the player expects one.
std::mutex g_preparationMutex;
std::mutex g_durationProbeMutex;

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

std::string LastThreeLower(const std::string& path) {
  return Lower(path.size() >= 3 ? path.substr(path.size() - 3) : path);
}

// A partial working file must never pass for a finished one: everything is
// written under this name and renamed when complete.
std::string PartialPath(const std::string& working) { return working + ".partial"; }

void RemoveQuietly(const std::string& path) {
  std::error_code ec;
  fs::remove(path, ec);
}

bool RenameOver(const std::string& from, const std::string& to) {
  std::error_code ec;
  fs::rename(from, to, ec);
  return !ec;
}

std::string ComposeFormatError(const MusicState& state) {
  std::string text;
  if (state.sampleRate != 44100) text += "Sample Rate must be 44,100\n";
  if (state.bitsPerSample != 8 && state.bitsPerSample != 16) text += "Bits per Sample must be 8 or 16\n";
  if (state.channelCount != 1 && state.channelCount != 2) text += "Music must be Stereo or Mono\n";
  return text.empty() ? "Error opening Audio File\n" : text;
}

Outcome MusicFailure(Reason reason, const MusicState& state, const std::string& path) {
  return Outcome::Failure(reason, state.musicErrorText, kMusicErrorCaption, MessageIcon::Exclamation, path);
}

// Lays the canonical header over the 44 bytes the decoder left blank.
bool WriteWorkingHeader(const std::string& path, const MusicState& state, int64_t* dataBytes) {
  std::FILE* f = std::fopen(path.c_str(), "r+b");
  if (!f) return false;
  bool ok = std::fseek(f, 0, SEEK_END) == 0;
  const long length = ok ? std::ftell(f) : -1;
  ok = ok && length >= kCanonicalWavHeaderBytes && std::fseek(f, 0, SEEK_SET) == 0;
  if (ok) {
    *dataBytes = length - kCanonicalWavHeaderBytes;
    ok = WriteCanonicalWavHeader(f, static_cast<uint32_t>(state.sampleRate), static_cast<uint16_t>(state.bitsPerSample),
                                 static_cast<uint16_t>(state.channelCount)) &&
         PatchWavSizes(f, static_cast<uint32_t>(*dataBytes));
  }
  if (std::fclose(f) != 0) ok = false;
  return ok;
}

// The decode path: any compressed file the player can read. None when the
// partial working file is complete.
Reason DecodeToPartialFile(const std::string& path, const std::string& partial, MusicState& state,
                           const MusicPreparationContext& context) {
  Event stateEvent(true);  // declared first: it outlives the player's thread
  AudioPlayer player;
  player.Initialize();
  player.SetAcceptAnySampleRate(true);
  player.SetAcceptAnySampleWidth(true);
  player.SetAcceptAnyChannelCount(true);
  player.SetSongFormatOutput(true);
  player.SetStateEvent(&stateEvent);
  player.SetDeviceMutex(&g_preparationMutex);

  RemoveQuietly(partial);
  if (context.openProgress) context.openProgress("Decompressing Audio...");
  bool ok = player.Play(path, partial, context.progress).Ok();
  if (ok) {
    // The event is set when decoding starts and again when the file is closed;
    // the completion flag, not the event, decides, so a short file that ends
    // before the first wait is over is not missed.
    for (;;) {
      stateEvent.Reset();
      if (player.DecodeComplete()) break;
      if (context.processMessages) context.processMessages();
      stateEvent.WaitFor(std::chrono::milliseconds(10));
    }
    ok = player.DecodeSucceeded();
  } else if (!player.ErrorText().empty()) {
    state.musicErrorText = player.ErrorText();
  }
  state.sampleRate = player.SampleRate();
  state.bitsPerSample = player.BitsPerSample();
  state.channelCount = player.ChannelCount();
  player.Close(true);
  if (context.closeProgress) context.closeProgress();

  const bool writeFailed = player.OutputWriteFailed();
  int64_t dataBytes = 0;
  const bool decoded = ok;
  ok = ok && WriteWorkingHeader(partial, state, &dataBytes);
  if (!ok) {
    RemoveQuietly(partial);
    // A working copy that could not be written says nothing about the music.
    return writeFailed || decoded ? Reason::WriteFailed : Reason::BadInput;
  }
  state.workingDataBytes = dataBytes;
  return Reason::None;
}

// A WAV file is taken as it is: its format from its headers. None when they
// can be read.
Reason ReadWavFormat(const std::string& path, MusicState& state) {
  WavInFile in(path);
  state.sampleRate = static_cast<int>(in.SampleRate());
  state.bitsPerSample = in.BitsPerSample();
  state.channelCount = in.ChannelCount();
  state.workingDataBytes = static_cast<int64_t>(std::min<uint64_t>(in.DataBytes(), in.DataBytesInFile()));
  // A file whose headers cannot be read is no music, whatever it is called.
  return in.IsOpen() && in.BlockAlign() > 0 ? Reason::None : Reason::BadInput;
}

// A WAV the song carries as it lies, as every export takes it: PCM of 8 or 16
// bits, mono or stereo, up to 48,000 Hz.
bool IsPlainWav(const WavInFile& in) {
  constexpr int kHighestPlainRate = 48000;
  const int bits = in.BitsPerSample();
  return in.FormatTag() == kWavFormatPcm && (bits == 8 || bits == 16) && in.ChannelCount() >= 1 &&
         in.ChannelCount() <= 2 && in.SampleRate() <= kHighestPlainRate;
}

// A WAV that is music but not plain (24 or 32 bits, float, A-law, more
// channels, a higher rate) is converted by the decoder, as compressed music
// is. One whose header cannot be read, or declares what no music has, is
// taken as a WAV and refused with its format's error.
bool WavNeedsConversion(const std::string& path) {
  WavInFile in(path);
  return in.IsOpen() && in.BlockAlign() > 0 &&
         IsCarriedMusicFormat(static_cast<int>(in.SampleRate()), in.BitsPerSample(), in.ChannelCount()) &&
         !IsPlainWav(in);
}

// True when the WAV holds all the data its header claims. One cut short is
// copied instead: the copy's header is mended when the song lengthens it, and
// the encoders refuse a file whose header claims more than it holds.
bool WavDataIsWhole(const std::string& path) {
  WavInFile in(path);
  return in.IsOpen() && in.DataBytesInFile() >= in.DataBytes();
}

// The copy path. None when the partial working file is complete.
Reason CopyToPartialFile(const std::string& path, const std::string& partial, MusicState& state) {
  if (const Reason unreadable = ReadWavFormat(path, state); unreadable != Reason::None) return unreadable;
  // Made new: whatever is at the name is removed, never written through.
  RemoveQuietly(partial);
  std::error_code ec;
  fs::copy_file(path, partial, fs::copy_options::none, ec);
  if (ec) {
    RemoveQuietly(partial);
    return Reason::WriteFailed;
  }
  return Reason::None;
}

}  // namespace

bool IsCarriedMusicFormat(int sampleRate, int bitsPerSample, int channels) {
  return sampleRate >= kMinMusicSampleRate && sampleRate <= kMaxMusicSampleRate && channels >= 1 &&
         channels <= kMaxMusicChannels && bitsPerSample >= 8 && bitsPerSample <= 32 && bitsPerSample % 8 == 0;
}

std::string WorkingMusicFilePath(const std::string& folder) {
  return (fs::path(folder) / kWorkingMusicFileName).string();
}

Outcome PrepareMusic(const std::string& path, MusicState& state, const MusicPreparationContext& context) {
  // The new music is prepared beside the current working file, which is
  // replaced only when the new one is ready: a file that turns out not to be
  // music leaves the project's music, its working copy and `state` as they
  // were, with only the error text set.
  MusicState next;
  state.musicErrorText.clear();
  std::error_code ec;
  // Music is a file: a pipe would hold the decoder and a device never ends.
  if (path.empty() || !fs::is_regular_file(path, ec)) {
    state.musicErrorText = kMusicFileNotFound;
    return MusicFailure(Reason::NotFound, state, path);
  }
  next.extension = LastThreeLower(path);

  const std::string& folder = context.workingFolder;
  const bool plainWav = next.extension == "wav" && !WavNeedsConversion(path);
  next.workingIsMusic = context.wavWhereItLies && plainWav && WavDataIsWhole(path);
  if (folder.empty() && !next.workingIsMusic) {
    state.musicErrorText = kWorkingCopyNotWritten;
    return MusicFailure(Reason::WriteFailed, state, path);
  }
  const std::string working = next.workingIsMusic ? path : WorkingMusicFilePath(folder);
  const std::string partial = next.workingIsMusic ? std::string() : PartialPath(working);  // nothing to write
  Reason reason = next.workingIsMusic ? ReadWavFormat(path, next)
                  : plainWav          ? CopyToPartialFile(path, partial, next)
                                      : DecodeToPartialFile(path, partial, next, context);
  if (reason == Reason::None && !IsCarriedMusicFormat(next.sampleRate, next.bitsPerSample, next.channelCount))
    reason = Reason::BadInput;
  if (reason == Reason::None && !next.workingIsMusic && !RenameOver(partial, working)) reason = Reason::WriteFailed;
  if (reason != Reason::None) {
    RemoveQuietly(partial);
    if (reason == Reason::WriteFailed) next.musicErrorText = kWorkingCopyNotWritten;
    state.musicErrorText = next.musicErrorText.empty() ? ComposeFormatError(next) : next.musicErrorText;
    return MusicFailure(reason, state, path);
  }

  next.workingFilePath = working;
  next.musicFilePath = path;
  const auto slash = path.find_last_of('/');
  next.musicFolder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  next.samplesPerPacket = next.sampleRate / 300;
  state = next;
  if (context.formatChanged) context.formatChanged(state.sampleRate, state.samplesPerPacket);
  return Outcome::Success();
}

namespace {

int64_t ProbeDurationMs(const std::string& path) {
  Event stateEvent(true);
  AudioPlayer player;
  player.Initialize();
  player.SetDeviceMutex(&g_durationProbeMutex);
  player.SetStateEvent(&stateEvent);
  int64_t duration = 0;
  for (int round = 0; round < 3 && duration == 0; ++round) {
    if (player.ReadHeader(path, nullptr)) duration = player.Duration();
    if (duration != 0) break;
    // The header did not say: open it for playing, which reads the stream itself.
    if (player.Play(path, "", nullptr)) duration = player.Duration();
    player.Close(true);
  }
  player.Close(true);
  return duration;
}

// WAV duration from the data the file really holds: a header that claims
// more than is there does not make the music longer.
int64_t WavDurationMs(const std::string& path) {
  WavInFile in(path);
  if (!in.IsOpen() || !in.IsDataTruncated() || in.BlockAlign() <= 0 || in.SampleRate() == 0 || in.FormatTag() > 1)
    return in.DurationMs();
  const double frames = static_cast<double>(in.DataBytesInFile() / in.BlockAlign());
  return std::llround(frames * 1000.0 / in.SampleRate());
}

}  // namespace

int64_t GetMediaDuration(const std::string& path, bool inMilliseconds) {
  const auto dot = path.find_last_of('.');
  const std::string extension = dot == std::string::npos ? std::string() : Lower(path.substr(dot));
  std::error_code notFile;
  if (!fs::is_regular_file(path, notFile)) return 0;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return 0;
  uint64_t length = 0;
  if (std::fseek(f, 0, SEEK_END) == 0) {
    const long end = std::ftell(f);
    length = end > 0 ? static_cast<uint64_t>(end) : 0;
  }
  std::fclose(f);

  int64_t ms = 0;
  if (extension == ".wav")
    ms = WavNeedsConversion(path) ? ProbeDurationMs(path) : WavDurationMs(path);
  else if (extension == ".bin")
    ms = static_cast<int64_t>(length * 1000 / 2448 / 75);
  else if (extension == ".wma" || extension == ".mp3" || extension == ".m4a")
    ms = ProbeDurationMs(path);
  return inMilliseconds ? ms : ms / 1000;
}

bool HasReadableAudio(const std::string& path) {
  MediaReader reader;
  return reader.Open(path) && reader.SelectAudioOutput(nullptr);
}

}  // namespace lf
