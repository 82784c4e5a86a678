#pragma once
// PulseOutput: a blocking playback stream on the PulseAudio server (or
// PipeWire's server for PulseAudio clients), through libpulse's simple API.
// Unlike SDL's driver it tells the whole output latency: what is queued in
// the stream, in the server and in the sink, until the listener hears it.
// Used by one thread at a time (the sound device's writer).
#include <cstddef>
#include <cstdint>
#include <string>

struct pa_simple;

namespace lf {

class PulseOutput {
 public:
  PulseOutput() = default;
  ~PulseOutput();
  PulseOutput(const PulseOutput&) = delete;
  PulseOutput& operator=(const PulseOutput&) = delete;

  // Connects to the default server and sink for 16-bit `channels` at
  // `sampleRate`, asking the server for about `targetLatencyMs` of buffer.
  // False (ErrorText says why) when no server answers.
  bool Open(int sampleRate, int channels, int targetLatencyMs, const std::string& clientName);
  void Close();
  bool IsOpen() const { return m_stream != nullptr; }
  // Blocks until the server has taken all of `bytes`.
  bool Write(const void* data, size_t bytes);
  // Microseconds until a sample written now is heard; negative on failure.
  int64_t LatencyUs();
  const std::string& ErrorText() const { return m_error; }

 private:
  pa_simple* m_stream = nullptr;
  std::string m_error;
};

// True when the program should talk to the sound server itself rather than
// through SDL: SDL_AUDIODRIVER is unset or names the PulseAudio driver.
bool PreferPulseOutput();

}  // namespace lf
