#include "core/audio/tempo_pitch_processor.h"

#include <SoundTouch.h>

#include <algorithm>
#include <cmath>

namespace lf {

struct TempoPitchProcessor::Impl {
  soundtouch::SoundTouch touch;
  int channels = 2;
  std::vector<soundtouch::SAMPLETYPE> in;
  std::vector<soundtouch::SAMPLETYPE> out;
};

TempoPitchProcessor::TempoPitchProcessor() : m(std::make_unique<Impl>()) { SetFormat(44100, 2); }

TempoPitchProcessor::~TempoPitchProcessor() = default;

void TempoPitchProcessor::SetFormat(int sampleRate, int channels) {
  m->channels = std::clamp(channels, 1, 16);
  m->touch.setSampleRate(static_cast<unsigned>(sampleRate > 0 ? sampleRate : 44100));
  m->touch.setChannels(static_cast<unsigned>(m->channels));
}

void TempoPitchProcessor::SetTempoChange(double percent) { m->touch.setTempoChange(percent); }

void TempoPitchProcessor::SetPitchSemiTones(double semitones) { m->touch.setPitchSemiTones(semitones); }

void TempoPitchProcessor::Process(const int16_t* samples, size_t frames, std::vector<int16_t>& out) {
  const size_t count = frames * static_cast<size_t>(m->channels);
  m->in.resize(count);
  for (size_t i = 0; i < count; ++i) m->in[i] = static_cast<soundtouch::SAMPLETYPE>(samples[i] / 32768.0f);
  m->touch.putSamples(m->in.data(), static_cast<unsigned>(frames));
  out.clear();
  Receive(out);
}

void TempoPitchProcessor::Flush(std::vector<int16_t>& out) {
  out.clear();
  m->touch.flush();
  Receive(out);
}

void TempoPitchProcessor::Clear() { m->touch.clear(); }

void TempoPitchProcessor::Receive(std::vector<int16_t>& out) {
  const unsigned block = 4096;
  m->out.resize(static_cast<size_t>(block) * m->channels);
  for (;;) {
    const unsigned got = m->touch.receiveSamples(m->out.data(), block);
    if (got == 0) break;
    const size_t count = static_cast<size_t>(got) * m->channels;
    for (size_t i = 0; i < count; ++i) {
      const float v = std::round(m->out[i] * 32768.0f);
      out.push_back(static_cast<int16_t>(std::clamp(v, -32768.0f, 32767.0f)));
    }
  }
}

}  // namespace lf
