#pragma once
// AudioPlayer: opens a music file (or an http address), reads its descriptive
// attributes and duration, and either decodes it into a WAV file (music
// preparation) or plays it to the sound device (the duration probe). Decoding
// runs on a thread of its own; the caller learns of its progress through the
// state event and the progress routine.
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "core/audio/failure_text.h"
#include "core/audio/media_reader.h"
#include "core/platform/outcome.h"

namespace lf {

class Event;
class ProgressSink;
class SoundDevice;

// Descriptive attributes as ReadHeader fills them in.
struct AudioHeaderAttributes {
  std::string title;
  std::string author;  // "Author", else "WM/AlbumArtist"
  std::string publisher;
  std::string albumTitle;
  std::string track;  // "WM/Track", else "WM/TrackNumber"
};

class AudioPlayer {
 public:
  AudioPlayer();
  virtual ~AudioPlayer();
  AudioPlayer(const AudioPlayer&) = delete;
  AudioPlayer& operator=(const AudioPlayer&) = delete;

  void Initialize();

  // Formats other than 44,100 Hz, 16-bit stereo are refused unless accepted here.
  void SetAcceptAnySampleRate(bool accept) { m_acceptAnyRate = accept; }
  void SetAcceptAnySampleWidth(bool accept) { m_acceptAnyWidth = accept; }
  void SetAcceptAnyChannelCount(bool accept) { m_acceptAnyChannels = accept; }
  // Decodes to what a song carries (MediaReader::SetSongFormatOutput).
  void SetSongFormatOutput(bool on) { m_reader.SetSongFormatOutput(on); }
  // Set when playback or decoding starts, stops, reaches the end, or the device
  // closes. The event (and the device mutex) must outlive the player.
  void SetStateEvent(Event* event) { m_stateEvent = event; }
  // Guards every use of the sound device.
  void SetDeviceMutex(std::mutex* mutex) { m_deviceMutex = mutex; }

  // Opens `path` (empty: the file already open) and reads the attributes into
  // `attributes` when given; also updates the duration.
  Outcome ReadHeader(const std::string& path, AudioHeaderAttributes* attributes);

  // Decodes `path` into `outputWavPath` (44 bytes of header space, then the
  // PCM samples; the header is filled in at the end), reporting to `progress`;
  // or, with an empty output path, plays it to the sound device from
  // `startCdFrames` (1/75 s). Returns once decoding or playback has started.
  // A failure's text is ErrorText() when the file was refused, or the message
  // for the user when the sound device cannot be opened.
  Outcome Play(const std::string& path, const std::string& outputWavPath, ProgressSink* progress,
               int startCdFrames = 0);
  // Stops decoding or playback, closes the file and the device.
  void Close(bool closeDevice = true);

  int64_t Duration() const { return m_duration100ns / 10'000; }  // milliseconds
  int SampleRate() const { return m_format.sampleRate; }
  int BitsPerSample() const { return m_format.bitsPerSample; }
  int ChannelCount() const { return m_format.channels; }
  int BlockAlign() const { return m_format.BlockAlign(); }
  const std::string& ErrorText() const { return m_errorText; }
  // True once writing the output WAV failed (it could not be made, or the disk is full).
  bool OutputWriteFailed() const { return m_outputWriteFailed; }
  // The last failure composed anywhere (attributes, opening, the device).
  std::string LastMessage() const;

  bool IsStreaming() const { return m_streaming; }
  bool IsEndOfFile() const { return m_endOfFile; }
  bool IsPlaying() const { return m_worker.joinable() && !m_workerDone; }
  // Decode-to-file: the output is complete and closed (DecodeResult tells
  // whether it succeeded).
  bool DecodeComplete() const { return m_decodeComplete; }
  bool DecodeSucceeded() const { return m_decodeSucceeded; }
  int64_t BytesWritten() const { return m_bytesWritten; }

  int64_t PositionMs() const;
  int64_t RemainingTime() const;  // 100-nanosecond units
  std::string RemainingTimeText() const;
  // "[h:]mm:ss" of a time in 100-nanosecond units.
  static std::string FormatRemainingTime(int64_t time100ns);

 private:
  Outcome OpenFile(const std::string& path);
  Outcome OutputFormatStep(bool toFile);
  Outcome OpenDevice();
  Outcome OpenOutputFile(const std::string& outputWavPath, ProgressSink* progress);
  void CloseDevice();
  void DecodeToFile();
  void PlayToDevice();
  bool WriteDecoded(const std::vector<uint8_t>& pcm);
  bool FinishOutputFile();
  void ReportProgress(bool complete);
  void UpdateRemaining();
  void SignalState();
  void Compose(const std::string& text);
  void StopWorker();

  MediaReader m_reader;
  MediaFormat m_format;
  bool m_initialized = false;
  bool m_acceptAnyRate = false;
  bool m_acceptAnyWidth = false;
  bool m_acceptAnyChannels = false;
  std::string m_errorText;
  std::atomic<bool> m_outputWriteFailed{false};
  mutable std::mutex m_messageMutex;
  std::string m_lastMessage;

  Event* m_stateEvent = nullptr;
  std::mutex* m_deviceMutex = nullptr;
  std::mutex m_ownDeviceMutex;  // used when the caller gave none
  std::unique_ptr<SoundDevice> m_device;

  std::string m_path;
  bool m_streaming = false;
  int64_t m_duration100ns = 0;
  int64_t m_start100ns = 0;
  std::atomic<int64_t> m_remaining100ns{0};
  std::atomic<bool> m_endOfFile{false};

  // Decode-to-file.
  std::FILE* m_output = nullptr;
  std::string m_outputPath;
  ProgressSink* m_progress = nullptr;
  std::atomic<int64_t> m_bytesWritten{0};
  int64_t m_bytesExpected = 0;
  int m_lastPercent = -1;
  std::atomic<bool> m_decodeComplete{false};
  std::atomic<bool> m_decodeSucceeded{true};

  std::thread m_worker;
  std::atomic<bool> m_stopRequested{false};
  std::atomic<bool> m_workerDone{false};
};

}  // namespace lf
