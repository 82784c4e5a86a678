#include "core/audio/pulse_output.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <cstdlib>
#include <cstring>

namespace lf {

PulseOutput::~PulseOutput() { Close(); }

bool PulseOutput::Open(int sampleRate, int channels, int targetLatencyMs, const std::string& clientName) {
  Close();
  m_error.clear();
  pa_sample_spec sampleFormat{};
  sampleFormat.format = PA_SAMPLE_S16NE;
  sampleFormat.rate = static_cast<uint32_t>(sampleRate);
  sampleFormat.channels = static_cast<uint8_t>(channels);
  if (!pa_sample_spec_valid(&sampleFormat)) {
    m_error = "unsupported sound format";
    return false;
  }
  const auto bytes = [&](int ms) {
    return static_cast<uint32_t>(pa_usec_to_bytes(static_cast<pa_usec_t>(ms) * 1000, &sampleFormat));
  };
  pa_buffer_attr attr{};
  attr.maxlength = static_cast<uint32_t>(-1);
  attr.tlength = bytes(targetLatencyMs);
  attr.prebuf = static_cast<uint32_t>(-1);
  attr.minreq = bytes(targetLatencyMs / 4 > 0 ? targetLatencyMs / 4 : 1);
  attr.fragsize = static_cast<uint32_t>(-1);
  int error = 0;
  m_stream = pa_simple_new(nullptr, clientName.c_str(), PA_STREAM_PLAYBACK, nullptr, "Music", &sampleFormat, nullptr,
                           &attr, &error);
  if (!m_stream) {
    m_error = pa_strerror(error);
    return false;
  }
  return true;
}

void PulseOutput::Close() {
  if (!m_stream) return;
  pa_simple_free(m_stream);
  m_stream = nullptr;
}

bool PulseOutput::Write(const void* data, size_t bytes) {
  int error = 0;
  if (!m_stream || pa_simple_write(m_stream, data, bytes, &error) < 0) {
    if (m_stream) m_error = pa_strerror(error);
    return false;
  }
  return true;
}

int64_t PulseOutput::LatencyUs() {
  int error = 0;
  if (!m_stream) return -1;
  const pa_usec_t latency = pa_simple_get_latency(m_stream, &error);
  if (latency == static_cast<pa_usec_t>(-1)) {
    m_error = pa_strerror(error);
    return -1;
  }
  return static_cast<int64_t>(latency);
}

bool PreferPulseOutput() {
  const char* driver = std::getenv("SDL_AUDIODRIVER");
  return !driver || !*driver || !std::strcmp(driver, "pulseaudio") || !std::strcmp(driver, "pulse");
}

}  // namespace lf
