#pragma once
// SoundDevice: 16-bit interleaved PCM to the system's sound output: the
// PulseAudio (or PipeWire) server when one answers and SDL_AUDIODRIVER does not
// name another driver, else SDL2.
// The caller writes into a ring buffer of a fixed size; the device's callback
// takes from it. HeardBytes() is what the listener has heard by now: audio
// that is written, or already handed to the device but not yet played, does
// not count. SDL2 is used behind this class only.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace lf {

class Event;

class SoundDevice {
 public:
  SoundDevice();
  ~SoundDevice();
  SoundDevice(const SoundDevice&) = delete;
  SoundDevice& operator=(const SoundDevice&) = delete;

  // Opens the default output for `sampleRate` and `channels` (16-bit samples)
  // with a ring buffer of `bufferBytes`. The device starts paused. On failure
  // ErrorText() says why.
  bool Open(int sampleRate, int channels, size_t bufferBytes);
  void Close();
  bool IsOpen() const;
  const std::string& ErrorText() const { return m_error; }

  void Play();
  void Pause();
  bool IsPlaying() const;

  // Copies as much of `data` as the ring buffer has room for; returns the
  // number of bytes taken (whole sample frames).
  size_t Write(const void* data, size_t bytes);
  size_t FreeBytes() const;
  // Written but not yet heard.
  size_t PendingBytes() const;
  uint64_t WrittenBytes() const;
  uint64_t HeardBytes() const;
  // Bytes the device takes at a time: keep at least this much written ahead.
  size_t PeriodBytes() const;
  // The whole time from handing a sample over to hearing it, as last
  // measured (the server's) or known (SDL's buffer); 0 for a driver that
  // plays nothing. HeardBytes already allows for it.
  double OutputLatencyMs() const;
  // "sound server" or SDL's driver name; empty while closed.
  std::string OutputName() const;
  // Drops what is buffered and starts the counters again from 0.
  void Clear();

  // Sets `event` each time the device has taken another `intervalBytes`
  // (nullptr: no notification).
  void SetNotification(Event* event, size_t intervalBytes);

 private:
  struct Impl;
  std::unique_ptr<Impl> m;
  std::string m_error;
};

}  // namespace lf
