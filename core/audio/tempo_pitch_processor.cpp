#include "core/audio/tempo_pitch_processor.h"

#include <SoundTouch.h>
#include <rubberband/RubberBandStretcher.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <numbers>
#include <tuple>

namespace lf {

namespace {

int16_t ToSample(float v) { return static_cast<int16_t>(std::clamp(std::round(v * 32768.0f), -32768.0f, 32767.0f)); }

}  // namespace

// One engine behind the processor: float samples in, float samples out.
class TempoPitchProcessor::Engine {
 public:
  virtual ~Engine() = default;
  virtual void Configure(int sampleRate, int channels) = 0;
  virtual void SetSpeed(double speed) = 0;  // 0.25 plays four times as long
  virtual void SetPitchScale(double scale) = 0;
  virtual void Put(const int16_t* samples, size_t frames, bool last) = 0;
  virtual void Take(std::vector<int16_t>& out) = 0;
  virtual void Clear() = 0;
};

namespace {

class SoundTouchEngine : public TempoPitchProcessor::Engine {
 public:
  void Configure(int sampleRate, int channels) override {
    m_channels = channels;
    m_touch.setSampleRate(static_cast<unsigned>(sampleRate));
    m_touch.setChannels(static_cast<unsigned>(channels));
  }
  void SetSpeed(double speed) override { m_touch.setTempo(speed); }
  void SetPitchScale(double scale) override { m_touch.setPitch(scale); }
  void Put(const int16_t* samples, size_t frames, bool last) override {
    const size_t count = frames * static_cast<size_t>(m_channels);
    m_in.resize(count);
    for (size_t i = 0; i < count; ++i) m_in[i] = static_cast<soundtouch::SAMPLETYPE>(samples[i] / 32768.0f);
    if (frames > 0) m_touch.putSamples(m_in.data(), static_cast<unsigned>(frames));
    if (last) m_touch.flush();
  }
  void Take(std::vector<int16_t>& out) override {
    const unsigned block = 4096;
    m_out.resize(static_cast<size_t>(block) * static_cast<size_t>(m_channels));
    for (;;) {
      const unsigned got = m_touch.receiveSamples(m_out.data(), block);
      if (got == 0) break;
      const size_t count = static_cast<size_t>(got) * static_cast<size_t>(m_channels);
      for (size_t i = 0; i < count; ++i) out.push_back(ToSample(m_out[i]));
    }
  }
  void Clear() override { m_touch.clear(); }

 private:
  soundtouch::SoundTouch m_touch;
  int m_channels = 2;
  std::vector<soundtouch::SAMPLETYPE> m_in, m_out;
};

using RB = RubberBand::RubberBandStretcher;
constexpr RB::Options kRubberBandOptions = RB::OptionProcessRealTime | RB::OptionEngineFiner;

// Pads the start of `stretcher`'s input as it asks, feeds `input` in blocks
// and returns its output with the start delay it tells trimmed off.
std::vector<float> StretchMono(RB& stretcher, const std::vector<float>& input) {
  std::vector<float> padded(stretcher.getPreferredStartPad(), 0.0f), out, block(1 << 16);
  const size_t delay = stretcher.getStartDelay();
  padded.insert(padded.end(), input.begin(), input.end());
  for (size_t i = 0; i < padded.size(); i += 1024) {
    const size_t n = std::min<size_t>(1024, padded.size() - i);
    const float* in = padded.data() + i;
    stretcher.process(&in, n, i + n >= padded.size());
    for (int ready = stretcher.available(); ready > 0; ready = stretcher.available()) {
      float* to = block.data();
      const size_t got = stretcher.retrieve(&to, std::min(static_cast<size_t>(ready), block.size()));
      out.insert(out.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(got));
    }
  }
  out.erase(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(std::min(delay, out.size())));
  return out;
}

// Where a click comes out after the trim the engine tells, less where the
// speed puts it, in output frames: the finer engine's told delay is exact at
// full speed only (slowed, a click comes out up to 5 ms of music early).
// Measured once per speed and pitch on a click of its own.
double MeasureLeadFrames(int rate, double speed, double pitch) {
  static std::mutex mutex;
  static std::map<std::tuple<int, long, long>, double> measured;
  const auto key = std::make_tuple(rate, std::lround(speed * 1000), std::lround(pitch * 1000));
  std::lock_guard lock(mutex);
  if (const auto found = measured.find(key); found != measured.end()) return found->second;
  constexpr size_t kClickAt = 8192;
  std::vector<float> probe(kClickAt + 16384, 0.0f);
  for (int i = 0; i < rate / 250; ++i)
    probe[kClickAt + static_cast<size_t>(i)] =
        0.6f * static_cast<float>(std::sin(2 * std::numbers::pi * 2000.0 * i / rate));
  RB stretcher(static_cast<size_t>(rate), 1, kRubberBandOptions, 1.0 / speed, pitch);
  const std::vector<float> out = StretchMono(stretcher, probe);
  float peak = 0;
  for (float v : out) peak = std::max(peak, std::fabs(v));
  double lead = 0;
  for (size_t f = 0; f < out.size() && peak > 0; ++f)
    if (std::fabs(out[f]) >= 0.5f * peak) {
      lead = static_cast<double>(f) - static_cast<double>(kClickAt) / speed;
      break;
    }
  measured[key] = lead;
  return lead;
}

// Real-time mode, so that tempo can change while playing. After each Clear
// the input is padded and the output trimmed so that output frame k stands
// for input frame k * speed; at the end the tail is fed out and the output
// stops at the length the input and the speed give.
class RubberBandEngine : public TempoPitchProcessor::Engine {
 public:
  void Configure(int sampleRate, int channels) override {
    if (m_stretcher && sampleRate == m_rate && channels == m_channels) return;
    m_rate = sampleRate;
    m_channels = channels;
    m_stretcher = std::make_unique<RB>(static_cast<size_t>(sampleRate), static_cast<size_t>(channels),
                                       kRubberBandOptions, 1.0 / m_speed, m_pitch);
    m_in.assign(static_cast<size_t>(channels), {});
    m_out.assign(static_cast<size_t>(channels), {});
    m_started = false;
  }
  void SetSpeed(double speed) override {
    m_speed = speed;
    if (m_stretcher) m_stretcher->setTimeRatio(1.0 / speed);
  }
  void SetPitchScale(double scale) override {
    m_pitch = scale;
    if (m_stretcher) m_stretcher->setPitchScale(scale);
  }
  void Put(const int16_t* samples, size_t frames, bool last) override {
    if (!m_started) Start();
    const auto channels = static_cast<size_t>(m_channels);
    for (size_t c = 0; c < channels; ++c) {
      m_in[c].resize(frames);
      for (size_t i = 0; i < frames; ++i) m_in[c][i] = samples[i * channels + c] / 32768.0f;
    }
    m_expected += static_cast<double>(frames) / m_speed;
    if (last) {  // silence after the music pushes its tail through the window
      for (auto& channel : m_in) channel.resize(frames + m_tailFrames, 0.0f);
      frames += m_tailFrames;
    }
    Feed(frames, last);
  }
  void Take(std::vector<int16_t>& out) override {
    out.insert(out.end(), m_ready.begin(), m_ready.end());
    m_ready.clear();
  }
  void Clear() override {
    if (m_stretcher) m_stretcher->reset();
    m_ready.clear();
    m_started = false;
  }

 private:
  void Start() {
    m_started = true;
    m_expected = 0;
    m_emitted = 0;
    const size_t pad = m_stretcher->getPreferredStartPad();
    const double lead = MeasureLeadFrames(m_rate, m_speed, m_pitch);
    m_toDiscard = static_cast<size_t>(std::max<double>(static_cast<double>(m_stretcher->getStartDelay()) + lead, 0));
    m_tailFrames = pad + m_stretcher->getStartDelay();
    for (auto& channel : m_in) channel.assign(pad, 0.0f);
    Feed(pad, false);
  }
  // Hands `frames` of the planar input to the stretcher in blocks, taking
  // its output after each so that its buffers never fill.
  void Feed(size_t frames, bool last) {
    const auto channels = static_cast<size_t>(m_channels);
    std::vector<const float*> pointers(channels);
    size_t done = 0;
    do {
      const size_t n = std::min(kBlockFrames, frames - done);
      for (size_t c = 0; c < channels; ++c) pointers[c] = m_in[c].data() + done;
      m_stretcher->process(pointers.data(), n, last && done + n == frames);
      done += n;
      Retrieve();
    } while (done < frames);
  }
  void Retrieve() {
    const auto channels = static_cast<size_t>(m_channels);
    std::vector<float*> pointers(channels);
    for (int ready = m_stretcher->available(); ready > 0; ready = m_stretcher->available()) {
      const auto frames = static_cast<size_t>(ready);
      for (size_t c = 0; c < channels; ++c) {
        m_out[c].resize(frames);
        pointers[c] = m_out[c].data();
      }
      const size_t got = m_stretcher->retrieve(pointers.data(), frames);
      const size_t skip = std::min(got, m_toDiscard);
      m_toDiscard -= skip;
      const auto allowed = static_cast<size_t>(std::llround(m_expected));
      const size_t keep = std::min(got - skip, allowed - std::min(allowed, m_emitted));
      for (size_t i = skip; i < skip + keep; ++i)
        for (size_t c = 0; c < channels; ++c) m_ready.push_back(ToSample(m_out[c][i]));
      m_emitted += keep;
    }
  }

  static constexpr size_t kBlockFrames = 1024;
  std::unique_ptr<RB> m_stretcher;
  std::vector<std::vector<float>> m_in, m_out;
  std::vector<int16_t> m_ready;
  int m_rate = 0, m_channels = 0;
  double m_speed = 1.0, m_pitch = 1.0;
  bool m_started = false;
  size_t m_toDiscard = 0, m_tailFrames = 0, m_emitted = 0;
  double m_expected = 0;  // output frames the input fed so far stands for
};

std::unique_ptr<TempoPitchProcessor::Engine> MakeEngine(StretchEngine engine) {
  if (engine == StretchEngine::SoundTouch) return std::make_unique<SoundTouchEngine>();
  return std::make_unique<RubberBandEngine>();
}

}  // namespace

TempoPitchProcessor::TempoPitchProcessor(StretchEngine engine) : m(MakeEngine(engine)) { SetFormat(44100, 2); }

TempoPitchProcessor::~TempoPitchProcessor() = default;

void TempoPitchProcessor::SetFormat(int sampleRate, int channels) {
  m->Configure(sampleRate > 0 ? sampleRate : 44100, std::clamp(channels, 1, 16));
}

void TempoPitchProcessor::SetTempoChange(double percent) { m->SetSpeed(std::max(1.0 + percent / 100.0, 0.05)); }

void TempoPitchProcessor::SetPitchSemiTones(double semitones) { m->SetPitchScale(std::pow(2.0, semitones / 12.0)); }

void TempoPitchProcessor::Process(const int16_t* samples, size_t frames, std::vector<int16_t>& out) {
  out.clear();
  m->Put(samples, frames, false);
  m->Take(out);
}

void TempoPitchProcessor::Flush(std::vector<int16_t>& out) {
  out.clear();
  m->Put(nullptr, 0, true);
  m->Take(out);
}

void TempoPitchProcessor::Clear() { m->Clear(); }

}  // namespace lf
