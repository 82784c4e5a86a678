#pragma once
// MCdgPlayer: plays the working music file with a CD+G packet stream. The
// audio goes to the sound device through a ring of 16 chunks, optionally
// slowed (tempo), shifted (pitch), with a channel mode, volume and level
// meters; an MRwPlayer follows the position that the listener hears, so the
// graphics keep step with the sound. One player exists at a time (the
// global player).
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/playback/packet_stream.h"
#include "platform/event.h"

namespace lf {

class MRwPlayer;
class MRwRenderer;
class RendererHandle;
class SoundDevice;
class TempoPitchProcessor;
class WavInFile;

class MCdgPlayer {
 public:
  enum PlayFlags : int { kPlayAudio = 1, kPlayGraphics = 2 };
  enum State : int { kStopped = 0, kPaused = 1, kPlaying = 2 };
  // Called once per play when it stops (by Stop, the end of the music or the
  // end position), with (0, user value). It runs on the player's own thread
  // when the music ends by itself: it may signal, not call Stop or Play.
  using EndCallback = std::function<void(int code, uintptr_t user)>;

  explicit MCdgPlayer(MRwRenderer* renderer = nullptr);
  virtual ~MCdgPlayer();
  MCdgPlayer(const MCdgPlayer&) = delete;
  MCdgPlayer& operator=(const MCdgPlayer&) = delete;

  // The global player: creating one destroys the one before.
  static MCdgPlayer* CreateGlobal(MRwRenderer* renderer);
  static MCdgPlayer* Global();
  static void DestroyGlobal();

  // The WAV path (empty: silence at 44,100 Hz stereo) and the packet stream
  // (null for audio only), taken at the next Play.
  void SetSource(const std::string& wavPath, PacketStream stream);
  // As above, with a copy of `size` bytes at `stream` (callers that hold a
  // buffer of their own).
  void SetSource(const std::string& wavPath, const uint8_t* stream, size_t size);
  void SetRenderer(MRwRenderer* renderer);
  // Silence, in sample frames, that comes before the music; counts in the length.
  void SetLeadIn(int32_t frames) { m_leadIn = frames; }
  // The music's sample rate as prepared (also what the graphics are paced by).
  void SetSampleRate(int sampleRate, int samplesPerPacket);
  // Signalled (as well as the finished event) when playing stops.
  void SetStopEvent(Event* event) { m_stopEvent = event; }

  // Starts playing `flags` from `startSample` to `endSample` (0 or less: to
  // the end). False when the audio cannot be set up; LastError() says why.
  bool Play(int flags, int32_t startSample, int32_t endSample, EndCallback endCallback = {},
            uintptr_t userValue = 0);
  void Stop();
  // Holds the sound and the graphics where they are; Play is not needed to resume.
  void SetPaused(bool paused);

  int State() const { return m_state; }
  bool IsPlaying() const { return m_state == kPlaying; }
  // Sample position of the music the listener hears now (lead-in included).
  int32_t Position() const;
  void SetPosition(int32_t position) { m_position = position; }
  // Total length in sample frames, lead-in included.
  int32_t Length() const { return m_length; }
  // The time still to play, "mm:ss".
  std::string PlayTimeText() const;

  // Tempo change in percent (-50 to 0) and pitch change in semitones; applied
  // from the next chunk on.
  void SetTempoChange(int percent) { m_tempoChange = percent; }
  int TempoChange() const { return m_tempoChange; }
  void SetPitchChange(int semitones) { m_pitchChange = semitones; }
  int PitchChange() const { return m_pitchChange; }
  void SetChannelMode(int mode) { m_channelMode = mode; }
  // Volume in percent, read for every chunk; null: full volume.
  void SetVolumeSource(const std::atomic<int>* percent) { m_volume = percent; }
  // Peak levels of each chunk: of all samples, the right and the left channel.
  void SetLevelOutputs(std::atomic<int>* all, std::atomic<int>* right, std::atomic<int>* left);

  int SampleRate() const { return m_sampleRate; }
  int SamplesPerPacket() const { return m_samplesPerPacket; }
  int ChunkBytes() const { return m_chunkBytes; }
  int BufferBytes() const { return m_chunkBytes * kChunksInBuffer; }
  MRwPlayer* GraphicsPlayer() const { return m_rwPlayer.get(); }
  const std::string& LastError() const { return m_lastError; }

  Event& StoppedEvent() { return m_stoppedEvent; }
  Event& FinishedEvent() { return m_finishedEvent; }
  Event& DataWantedEvent() { return m_dataWantedEvent; }
  Event& PlayEndedEvent() { return m_playEndedEvent; }

  static constexpr int kChunksInBuffer = 16;
  static constexpr int kCdSectorAudioBytes = 2352;
  static constexpr int kChunkBaseBytes = 13 * kCdSectorAudioBytes;  // 30576

 private:
  bool SetUpSound();
  void ReleaseSound();
  void ReaderThread(int32_t startSample);
  void PlaybackThread();
  bool WriteToDevice(const int16_t* samples, size_t count);
  void ProcessChunk(std::vector<int16_t>& samples);
  void UpdatePosition();
  double PositionAt(uint64_t heardBytes) const;  // with m_positionMutex held
  void RunWithoutSound();
  void SetPlayTime(int32_t position);
  void FinishPlay(bool reachedEnd);
  void NotifyEnd();

  std::shared_ptr<RendererHandle> m_renderer;
  std::unique_ptr<MRwPlayer> m_rwPlayer;
  std::unique_ptr<SoundDevice> m_device;
  std::unique_ptr<TempoPitchProcessor> m_processor;
  std::unique_ptr<WavInFile> m_wav;
  mutable std::mutex m_bufferMutex;  // around every use of the sound device

  std::string m_wavPath;
  PacketStream m_stream;

  int m_flags = 0;
  int32_t m_startSample = 0;
  int32_t m_endSample = 0;
  int32_t m_leadIn = 0;
  std::atomic<int32_t> m_length{0};
  std::atomic<int32_t> m_position{0};
  mutable std::mutex m_positionMutex;  // the exact position and the device bytes it stands for
  double m_exactPosition = 0;
  uint64_t m_lastHeard = 0;
  std::atomic<int> m_state{kStopped};

  int m_sampleRate = 44100;
  std::atomic<int> m_samplesPerPacket{147};
  int m_channels = 2;
  int m_blockBytes = 4;  // one frame as the device takes it (16-bit samples)
  int m_chunkBytes = kChunkBaseBytes;

  std::atomic<uint64_t> m_bytesWritten{0};
  std::atomic<uint64_t> m_bytesAllowed{0};
  uint64_t m_leadBytes = 0;  // written ahead beyond the one chunk, for the device's period
  std::atomic<bool> m_readerDone{false};
  std::atomic<bool> m_firstChunkWritten{false};

  std::atomic<int> m_tempoChange{0};
  std::atomic<int> m_pitchChange{0};
  std::atomic<int> m_channelMode{0};
  // Set from the interface thread while the reader uses them.
  std::atomic<const std::atomic<int>*> m_volume{nullptr};
  std::atomic<std::atomic<int>*> m_levelAll{nullptr};
  std::atomic<std::atomic<int>*> m_levelRight{nullptr};
  std::atomic<std::atomic<int>*> m_levelLeft{nullptr};

  mutable std::mutex m_textMutex;
  std::string m_playTimeText = "00:00";
  std::string m_lastError;

  EndCallback m_endCallback;
  uintptr_t m_userValue = 0;
  std::atomic<bool> m_endNotified{true};
  std::atomic<Event*> m_stopEvent{nullptr};

  Event m_stoppedEvent{true};
  Event m_finishedEvent{true};
  Event m_dataWantedEvent{true};
  Event m_playEndedEvent{true};
  Event m_notifyEvent{false};

  std::thread m_readerThread;
  std::thread m_playbackThread;
};

}  // namespace lf
