#include "core/audio/audio_play.h"

#include <strings.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "core/audio/sound_device.h"
#include "core/audio/wav_file.h"
#include "core/platform/event.h"
#include "core/platform/progress.h"
#include "core/platform/settings.h"
#include "core/platform/thread_priority.h"

namespace lf {

namespace {

constexpr int64_t kTicksPerSecond = 10'000'000;
// A RIFF file counts its length in 32 bits.
constexpr int64_t kMaxWavDataBytes = 0xFFFFFFFFll - 36;
// Two seconds of 44,100 Hz 16-bit stereo: how much the device may hold ahead.
constexpr size_t kDeviceBufferBytes = 352'800;

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

AudioPlayer::AudioPlayer() : m_device(std::make_unique<SoundDevice>()) {}

AudioPlayer::~AudioPlayer() { Close(true); }

void AudioPlayer::Initialize() {
  m_acceptAnyRate = m_acceptAnyWidth = m_acceptAnyChannels = false;
  m_errorText.clear();
  m_initialized = true;
}

void AudioPlayer::Compose(const std::string& text) {
  std::lock_guard lock(m_messageMutex);
  m_lastMessage = text;
}

std::string AudioPlayer::LastMessage() const {
  std::lock_guard lock(m_messageMutex);
  return m_lastMessage;
}

void AudioPlayer::SignalState() {
  if (m_stateEvent) m_stateEvent->Set();
}

Outcome AudioPlayer::OpenFile(const std::string& path) {
  m_streaming = path.size() >= 4 && strncasecmp(path.c_str(), "http", 4) == 0;
  Outcome opened = m_reader.Open(path);
  if (!opened) Compose("Could not open the specified file");
  return opened;
}

Outcome AudioPlayer::ReadHeader(const std::string& path, AudioHeaderAttributes* attributes) {
  if (!path.empty()) {
    if (Outcome opened = OpenFile(path); !opened) return opened;
  } else if (!m_reader.IsOpen()) {
    Compose("Could not open the specified file");
    return Outcome::Quiet(Reason::Failed, "no file is open");
  }
  auto read = [&](const char* name, const char* failure, std::string* into) {
    auto value = m_reader.Attribute(name);
    if (!value) Compose(failure);
    if (into) *into = value.value_or("");
  };
  if (attributes) {
    read("Title", "Could not get the Title attribute", &attributes->title);
    read("Author", "Could not get the Author attribute", &attributes->author);
    if (attributes->author.empty())
      read("WM/AlbumArtist", "Could not get the AlbumArtist attribute", &attributes->author);
    read("WM/Publisher", "Could not get the Brand attribute", &attributes->publisher);
    read("WM/AlbumTitle", "Could not get the DiscId attribute", &attributes->albumTitle);
    read("WM/Track", "Could not get the Track attribute", &attributes->track);
    if (attributes->track.empty()) read("WM/TrackNumber", "Could not get the Track attribute", &attributes->track);
  }
  if (!m_streaming) {
    m_duration100ns = m_reader.Duration100ns();
    if (m_duration100ns == 0) m_duration100ns = m_reader.ScanDuration100ns();
    if (m_duration100ns == 0) Compose("Could not get the Duration attribute");
    m_remaining100ns = m_duration100ns;
  }
  if (!path.empty()) m_reader.Close();
  return Outcome::Success();
}

Outcome AudioPlayer::OutputFormatStep(bool toFile) {
  MediaFormat format;
  if (Outcome selected = m_reader.SelectAudioOutput(&format); !selected) {
    m_errorText = FormatResult("Could not get audio stream in the specified file", FailureCodeFor(selected.reason));
    return Outcome::Quiet(Reason::BadInput, m_errorText);
  }
  m_format = format;
  if (toFile && m_duration100ns > 0) m_bytesExpected = Duration() * m_format.sampleRate * m_format.BlockAlign() / 1000;
  const char* refusal = nullptr;
  if (!m_acceptAnyRate && m_format.sampleRate != 44100)
    refusal = "Input stream is not 44,100 samples per second";
  else if (!m_acceptAnyWidth && m_format.bitsPerSample != 16)
    refusal = "Input stream is not 16 bits per sample";
  else if (!m_acceptAnyChannels && m_format.channels != 2)
    refusal = "Input music file is not stereo (2 channel)";
  if (refusal) {
    m_errorText = FormatResult(refusal, FailureCode::NotImplemented);
    return Outcome::Quiet(Reason::NotAllowed, m_errorText);
  }
  return Outcome::Success();
}

Outcome AudioPlayer::Play(const std::string& path, const std::string& outputWavPath, ProgressSink* progress,
                          int startCdFrames) {
  if (!m_deviceMutex) m_deviceMutex = &m_ownDeviceMutex;
  Close(true);
  m_errorText.clear();
  m_format = {};
  m_endOfFile = false;
  m_decodeComplete = false;
  m_decodeSucceeded = true;
  m_bytesWritten = 0;
  m_bytesExpected = 0;
  m_lastPercent = -1;
  m_duration100ns = 0;
  m_stopRequested = false;
  m_workerDone = false;
  if (path.empty()) return Outcome::Quiet(Reason::BadInput, "no music file was given");
  if (!m_initialized) return Outcome::Quiet(Reason::Failed, "the player was not initialised");

  m_path = path;
  m_outputWriteFailed = false;
  const bool toFile = !outputWavPath.empty();
  Outcome r = toFile ? OpenOutputFile(outputWavPath, progress) : Outcome::Success();
  if (r) r = OpenFile(path);
  if (r) r = ReadHeader("", nullptr);
  if (r) r = OutputFormatStep(toFile);
  if (r) {
    m_start100ns = static_cast<int64_t>(std::max(startCdFrames, 0)) * kTicksPerSecond / 75;
    if (m_start100ns > 0 && !m_reader.SeekTo(m_start100ns)) m_start100ns = 0;
  }
  if (r && !toFile) r = OpenDevice();
  if (!r) {
    Close(true);
    return r;
  }
  const int priority = AppSettings().Int("Default", "AutoPlayAudioPriority", 1);
  m_worker = std::thread([this, toFile, priority] {
    SetCurrentThreadPriority(priority);
    if (toFile)
      DecodeToFile();
    else
      PlayToDevice();
    m_workerDone = true;
  });
  return Outcome::Success();
}

Outcome AudioPlayer::OpenOutputFile(const std::string& outputWavPath, ProgressSink* progress) {
  m_output = std::fopen(outputWavPath.c_str(), "wb");
  if (!m_output) {
    m_outputWriteFailed = true;
    Compose("Could not create the output file");
    return Outcome::Quiet(Reason::WriteFailed, "Could not create the output file");
  }
  m_outputPath = outputWavPath;
  m_progress = progress;
  static const char zeros[kCanonicalWavHeaderBytes] = {};
  if (std::fwrite(zeros, 1, sizeof zeros, m_output) != sizeof zeros) {
    m_outputWriteFailed = true;
    return Outcome::Quiet(Reason::WriteFailed, "Could not write the output file");
  }
  return Outcome::Success();
}

Outcome AudioPlayer::OpenDevice() {
  std::lock_guard lock(*m_deviceMutex);
  if (m_device->IsOpen()) {
    m_device->Close();
    SleepMs(50);
  }
  if (!m_device->Open(m_format.sampleRate, m_format.channels, kDeviceBufferBytes)) {
    Compose(m_device->ErrorText());
    return Outcome::Failure(
        Reason::Failed,
        "Lyricforge cannot play this file because there is a problem\nwith your sound device. There might not be "
        "a sound device\ninstalled on your computer, it might be in use by another\nprogram, or it might not be "
        "functioning properly.",
        "Lyricforge", MessageIcon::Error, m_device->ErrorText());
  }
  return Outcome::Success();
}

void AudioPlayer::CloseDevice() {
  if (!m_deviceMutex) return;
  std::lock_guard lock(*m_deviceMutex);
  if (m_device->IsOpen()) m_device->Close();
}

void AudioPlayer::ReportProgress(bool complete) {
  if (!m_progress) return;
  int percent;
  if (complete) {
    percent = 100;
  } else {
    if (m_bytesExpected <= 0) return;
    // The expected size comes from the header's duration, which may be a
    // little short: 100 is kept for the moment the file is complete.
    percent = static_cast<int>(std::min<int64_t>(m_bytesWritten * 100 / m_bytesExpected, 99));
  }
  if (percent > m_lastPercent) {
    m_lastPercent = percent;
    m_progress->Report(percent);
  }
}

bool AudioPlayer::WriteDecoded(const std::vector<uint8_t>& pcm) {
  if (m_bytesWritten + static_cast<int64_t>(pcm.size()) > kMaxWavDataBytes) {
    Compose("The decoded music is too long for a WAV file");
    return false;
  }
  if (std::fwrite(pcm.data(), 1, pcm.size(), m_output) != pcm.size()) {
    m_outputWriteFailed = true;
    Compose("Could not write the output file");
    return false;
  }
  m_bytesWritten += static_cast<int64_t>(pcm.size());
  return true;
}

bool AudioPlayer::FinishOutputFile() {
  bool written = std::fseek(m_output, 0, SEEK_SET) == 0 &&
                 WriteCanonicalWavHeader(m_output, static_cast<uint32_t>(m_format.sampleRate),
                                         static_cast<uint16_t>(m_format.bitsPerSample),
                                         static_cast<uint16_t>(m_format.channels)) &&
                 PatchWavSizes(m_output, static_cast<uint32_t>(m_bytesWritten));
  if (std::fflush(m_output) != 0 || std::ferror(m_output)) written = false;
  if (std::fclose(m_output) != 0) written = false;
  m_output = nullptr;
  if (!written) {
    m_outputWriteFailed = true;
    Compose("Could not write the output file");
  }
  return written;
}

void AudioPlayer::DecodeToFile() {
  SignalState();  // started
  std::vector<uint8_t> pcm;
  bool decoded = true;
  for (;;) {
    if (m_stopRequested || (m_progress && m_progress->CancelRequested())) {
      decoded = false;
      break;
    }
    int64_t n = m_reader.ReadPcm(pcm);
    if (n == MediaReader::kReadFailed) {
      decoded = false;
      break;
    }
    if (n == 0) break;
    if (!WriteDecoded(pcm)) {
      decoded = false;
      break;
    }
    ReportProgress(false);
  }
  if (decoded && m_bytesWritten == 0) {
    Compose("The file holds no audio that can be decoded");
    decoded = false;
  }
  const bool finished = FinishOutputFile();
  m_decodeSucceeded = decoded && finished;
  if (m_decodeSucceeded) ReportProgress(true);
  m_endOfFile = true;
  m_decodeComplete = true;
  SignalState();  // end of file: the output is complete and closed
}

void AudioPlayer::UpdateRemaining() {
  if (m_streaming) return;
  m_remaining100ns = std::max<int64_t>(m_duration100ns - PositionMs() * 10'000, 0);
}

void AudioPlayer::PlayToDevice() {
  {
    std::lock_guard lock(*m_deviceMutex);
    m_device->Play();
  }
  SignalState();  // started
  std::vector<uint8_t> pcm;
  while (!m_stopRequested) {
    int64_t n = m_reader.ReadPcm(pcm);
    if (n <= 0) break;
    size_t done = 0;
    while (done < pcm.size() && !m_stopRequested) {
      size_t took;
      {
        std::lock_guard lock(*m_deviceMutex);
        took = m_device->Write(pcm.data() + done, pcm.size() - done);
      }
      done += took;
      if (done < pcm.size()) {
        UpdateRemaining();
        SleepMs(10);
      }
    }
  }
  m_endOfFile = true;
  // Let the device play out what it holds before closing it.
  while (!m_stopRequested) {
    size_t pending;
    {
      std::lock_guard lock(*m_deviceMutex);
      pending = m_device->PendingBytes();
    }
    UpdateRemaining();
    if (pending == 0) break;
    SleepMs(10);
  }
  if (!m_stopRequested) {
    CloseDevice();
    SleepMs(50);
    m_remaining100ns = m_duration100ns;
    if (m_streaming) m_reader.Close();
  }
  SignalState();  // end of file, device closed
}

void AudioPlayer::StopWorker() {
  if (!m_worker.joinable()) return;
  m_stopRequested = true;
  m_worker.join();
  m_stopRequested = false;
}

void AudioPlayer::Close(bool closeDevice) {
  const bool wasRunning = m_worker.joinable();
  StopWorker();
  m_reader.Close();
  if (m_output) {  // an output that was never finished
    std::fclose(m_output);
    m_output = nullptr;
  }
  if (closeDevice) CloseDevice();
  if (wasRunning) SignalState();  // stopped
}

int64_t AudioPlayer::PositionMs() const {
  int64_t position = m_start100ns;
  if (m_format.sampleRate > 0 && m_format.BlockAlign() > 0) {
    const int64_t frames = static_cast<int64_t>(m_device->HeardBytes()) / m_format.BlockAlign();
    position += frames * kTicksPerSecond / m_format.sampleRate;
  }
  return position / 10'000;
}

int64_t AudioPlayer::RemainingTime() const { return m_remaining100ns; }

std::string AudioPlayer::RemainingTimeText() const { return FormatRemainingTime(m_remaining100ns); }

std::string AudioPlayer::FormatRemainingTime(int64_t time100ns) {
  const int64_t hundredths = std::max<int64_t>(time100ns, 0) / 100'000;
  const int64_t hours = hundredths / 360'000;
  const int64_t rest = (hundredths / 100) % 3600;
  char text[32];
  if (hours != 0)
    std::snprintf(text, sizeof text, "%d:%02d:%02d", static_cast<int>(hours), static_cast<int>(rest / 60),
                  static_cast<int>(rest % 60));
  else
    std::snprintf(text, sizeof text, "%02d:%02d", static_cast<int>(rest / 60), static_cast<int>(rest % 60));
  return text;
}

}  // namespace lf
