#pragma once
// CdgPlayer: plays the working music file with a CD+G packet stream. The
// audio goes to the sound device through a ring of 16 chunks, optionally
// slowed (tempo), shifted (pitch), with a channel mode, volume and level
// meters; an SubcodePlayer follows the position that the listener hears, so the
// graphics keep step with the sound. One player exists at a time (the
// global player).
//
// The sound device, once open, stays open across Stop and Play (it closes
// when the format changes or the player goes), so that a loop restarts at
// once: Stop, SetSource with a recompiled stream, Play.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/cdg/cdg_packet.h"
#include "core/platform/event.h"
#include "core/platform/outcome.h"
#include "core/playback/output_timeline.h"
#include "core/playback/packet_stream.h"
#include "core/playback/playback_clock.h"

namespace lf {

class SubcodePlayer;
class CdgRenderer;
class RendererHandle;
class SoundDevice;
class TempoPitchProcessor;
class WavInFile;

class CdgPlayer {
 public:
  enum PlayFlags : int { kPlayAudio = 1, kPlayGraphics = 2 };
  enum State : int { kStopped = 0, kPaused = 1, kPlaying = 2 };
  // Called once per play when it stops (by Stop, the end of the music or the
  // end position), with (0, user value). Which thread runs it:
  // - a play stopped by Stop (or by Play, which stops a running play): the
  //   thread that called it, before it returns;
  // - a play that ended by itself: the player's playback thread, where it may
  //   signal but not call Stop or Play; or, with a dispatcher set, wherever
  //   the dispatcher runs it (a GUI posts it to its own thread), and then
  //   not at all when another Play started before it ran.
  using EndCallback = std::function<void(int code, uintptr_t user)>;
  // Hands a call to the thread that should run it (for example a queued call
  // to the GUI thread).
  using Dispatcher = std::function<void(std::function<void()> call)>;

  explicit CdgPlayer(CdgRenderer* renderer = nullptr, const PlaybackClock& clock = SteadyPlaybackClock());
  virtual ~CdgPlayer();
  CdgPlayer(const CdgPlayer&) = delete;
  CdgPlayer& operator=(const CdgPlayer&) = delete;

  // The global player: creating one destroys the one before.
  static CdgPlayer* CreateGlobal(CdgRenderer* renderer);
  static CdgPlayer* Global();
  static void DestroyGlobal();

  // The WAV path (empty: silence at 44,100 Hz stereo) and the packet stream
  // (null for audio only), taken at the next Play.
  void SetSource(const std::string& wavPath, PacketStream stream);
  // As above, with a copy of `size` bytes at `stream` (callers that hold a
  // buffer of their own).
  void SetSource(const std::string& wavPath, const uint8_t* stream, size_t size);
  void SetRenderer(CdgRenderer* renderer);
  // Silence, in sample frames, that comes before the music; counts in the length.
  void SetLeadIn(int32_t frames) { m_leadIn = frames; }
  // The music's sample rate as prepared (also what the graphics are paced by).
  void SetSampleRate(int sampleRate, int samplesPerPacket);
  // Signalled (as well as the finished event) when playing stops.
  void SetStopEvent(Event* event) { m_stopEvent = event; }
  // Where the end callback of a play that ended by itself runs (empty: the
  // playback thread).
  void SetEndDispatcher(Dispatcher dispatcher);

  // Starts playing `flags` from `startSample` to `endSample` (0 or less: to
  // the end). Fails when the audio cannot be set up: the music cannot be
  // read (BadInput) or there is no sound device (Failed), with the message
  // for the user and, as detail, what went wrong.
  // With graphics, the renderer shows the screen as it stands at the start
  // before Play returns; the music is sought there, not read up to it.
  Outcome Play(int flags, int32_t startSample, int32_t endSample, EndCallback endCallback = {},
               uintptr_t userValue = 0);
  void Stop();
  // Holds the sound and the graphics where they are; Play is not needed to resume.
  void SetPaused(bool paused);

  int State() const { return m_state; }
  bool IsPlaying() const { return m_state == kPlaying; }
  // The sound device's whole output latency (see SoundDevice).
  double OutputLatencyMs() const;
  std::string OutputName() const;
  // Sample position of the music the listener hears now (lead-in included):
  // the device's heard frame (its whole output latency allowed for) looked up
  // in what each written frame stands for, at whatever tempo it was written.
  int32_t Position() const;
  void SetPosition(int32_t position) { m_position = position; }
  // Total length in sample frames, lead-in included.
  int32_t Length() const { return m_length; }
  // The time still to play, "mm:ss".
  std::string PlayTimeText() const;

  // Tempo change in percent (-75 to 0) and pitch change in semitones; applied
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
  SubcodePlayer* GraphicsPlayer() const { return m_rwPlayer.get(); }

  Event& StoppedEvent() { return m_stoppedEvent; }
  Event& FinishedEvent() { return m_finishedEvent; }
  Event& DataWantedEvent() { return m_dataWantedEvent; }
  Event& PlayEndedEvent() { return m_playEndedEvent; }

  static constexpr int kChunksInBuffer = 16;
  static constexpr int kChunkBaseBytes = 13 * kBinAudioBytes;  // 30576: thirteen sectors' audio

 private:
  Outcome SetUpSound();
  bool OpenDevice(int rate, int channels);
  void ReleaseSound();
  void WakeThreads();
  void ReaderThread(int32_t startSample);
  void PlaybackThread();
  bool WriteToDevice(const int16_t* samples, size_t count);
  void ProcessChunk(std::vector<int16_t>& samples);
  void UpdatePosition();
  double PositionAt(uint64_t heardBytes) const;  // with m_positionMutex held
  void RunWithoutSound();
  void SetPlayTime(int32_t position);
  void FinishPlay(bool reachedEnd);
  void NotifyEnd(bool fromPlayerThread);

  std::shared_ptr<RendererHandle> m_renderer;
  const PlaybackClock& m_clock;
  int64_t m_playStartMs = 0;  // the clock at Play, where a play without sound counts from
  std::unique_ptr<SubcodePlayer> m_rwPlayer;
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
  mutable std::mutex m_positionMutex;  // the exact position and the device frames' music
  double m_exactPosition = 0;
  OutputTimeline m_timeline;
  std::atomic<int> m_state{kStopped};

  std::atomic<int> m_sampleRate{44100};  // read by the graphics player's thread
  std::atomic<int> m_samplesPerPacket{147};
  int m_channels = 2;
  int m_blockBytes = 4;  // one frame as the device takes it (16-bit samples)
  int m_chunkBytes = kChunkBaseBytes;
  int m_deviceRate = 0;  // the format the open device was opened for
  int m_deviceChannels = 0;

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

  EndCallback m_endCallback;
  uintptr_t m_userValue = 0;
  std::atomic<bool> m_endNotified{true};
  std::mutex m_dispatchMutex;
  Dispatcher m_endDispatcher;
  // Tells a dispatched end notice whether its play is still the latest; shared
  // with notices that may run after the player is gone.
  std::shared_ptr<std::atomic<uint64_t>> m_playSerial = std::make_shared<std::atomic<uint64_t>>(0);
  std::atomic<Event*> m_stopEvent{nullptr};

  Event m_stoppedEvent{true};
  Event m_finishedEvent{true};
  Event m_dataWantedEvent{true};
  Event m_playEndedEvent{true};
  Event m_notifyEvent{false};     // a chunk was heard; also wakes the playback thread on Stop
  Event m_readerWake{false};      // room for another chunk, or Stop
  Event m_firstChunkEvent{true};  // the reader has written its first chunk (or ended)

  std::thread m_readerThread;
  std::thread m_playbackThread;
};

}  // namespace lf
