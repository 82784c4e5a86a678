// The two time-stretch engines at slow tempos, by measures that stand in for
// listening:
//   click_error_ms  worst distance of a click from where the tempo puts it,
//                   in music time (what a tap is held against);
//   echoes          onsets heard per click beyond the first (an engine that
//                   repeats its windows doubles every consonant and drum hit);
//   tone_ripple_pct the level's wobble on a steady 441 Hz tone, windows of
//                   ten of its periods (warble, "phasiness"; 0 for the tone itself);
//   tone_hz_error   how far the pitch moved (it should stay);
// and the time to stretch one second of stereo music (the benchmark's time).
#include <SoundTouch.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>
#include <vector>

#include "core/audio/tempo_pitch_processor.h"

namespace {

constexpr int kRate = 44100;

std::vector<int16_t> Stretch(lf::StretchEngine engine, int percent, const std::vector<int16_t>& in) {
  lf::TempoPitchProcessor p(engine);
  p.SetFormat(kRate, 2);
  p.SetTempoChange(percent - 100);
  std::vector<int16_t> all, part;
  const size_t chunk = 7644 * 2;
  for (size_t i = 0; i < in.size(); i += chunk) {
    p.Process(in.data() + i, std::min(chunk, in.size() - i) / 2, part);
    all.insert(all.end(), part.begin(), part.end());
  }
  p.Flush(part);
  all.insert(all.end(), part.begin(), part.end());
  return all;
}

// SoundTouch with its window set by hand rather than chosen by the tempo:
// short sequences (40 ms), a 15 ms seek window and 8 ms overlaps, full seek.
std::vector<int16_t> StretchTunedSoundTouch(int percent, const std::vector<int16_t>& in) {
  soundtouch::SoundTouch touch;
  touch.setSampleRate(kRate);
  touch.setChannels(2);
  touch.setTempo(percent / 100.0);
  touch.setSetting(SETTING_SEQUENCE_MS, 40);
  touch.setSetting(SETTING_SEEKWINDOW_MS, 15);
  touch.setSetting(SETTING_OVERLAP_MS, 8);
  touch.setSetting(SETTING_USE_QUICKSEEK, 0);
  std::vector<float> samples(in.size());
  for (size_t i = 0; i < in.size(); ++i) samples[i] = in[i] / 32768.0f;
  touch.putSamples(samples.data(), static_cast<unsigned>(in.size() / 2));
  touch.flush();
  std::vector<float> block(2 * 4096);
  std::vector<int16_t> out;
  for (unsigned got; (got = touch.receiveSamples(block.data(), 4096)) > 0;)
    for (size_t i = 0; i < 2 * got; ++i)
      out.push_back(static_cast<int16_t>(std::clamp(block[i] * 32768.0f, -32768.0f, 32767.0f)));
  return out;
}

std::vector<size_t> ClickFrames() {
  std::vector<size_t> frames;
  for (size_t f = 11'000; f < 4 * kRate; f += 17'389) frames.push_back(f);
  return frames;
}

std::vector<int16_t> Clicks() {
  std::vector<int16_t> s(2 * 4 * kRate, 0);
  for (size_t start : ClickFrames())
    for (size_t i = 0; i < kRate / 250; ++i)
      s[2 * (start + i)] = s[2 * (start + i) + 1] =
          static_cast<int16_t>(20000 * std::sin(2 * std::numbers::pi * 2000.0 * static_cast<double>(i) / kRate));
  return s;
}

std::vector<int16_t> Tone() {
  std::vector<int16_t> s(2 * 2 * kRate);
  for (size_t f = 0; f < s.size() / 2; ++f)
    s[2 * f] = s[2 * f + 1] =
        static_cast<int16_t>(12000 * std::sin(2 * std::numbers::pi * 441 * static_cast<double>(f) / kRate));
  return s;
}

struct ClickFigures {
  double worstErrorMs = 0;
  double echoes = 0;
};

ClickFigures MeasureClicks(const std::vector<int16_t>& out, double speed) {
  const std::vector<size_t> clicks = ClickFrames();
  ClickFigures f;
  // Each click's stretch of output: from half way to the click before to half way to the next.
  for (size_t i = 0; i < clicks.size(); ++i) {
    const double at = static_cast<double>(clicks[i]) / speed;
    const double from = at - 0.4 * 17'389 / speed, to = at + 0.6 * 17'389 / speed;
    int onsets = 0;
    double first = -1, lastLoud = -1e9;
    for (auto frame = static_cast<size_t>(std::max(from, 0.0)); frame < std::min<double>(to, out.size() / 2.0);
         ++frame) {
      if (std::abs(out[2 * frame]) < 5000) continue;
      if (static_cast<double>(frame) - lastLoud > 0.015 * kRate) {
        ++onsets;
        if (first < 0) first = static_cast<double>(frame);
      }
      lastLoud = static_cast<double>(frame);
    }
    if (first >= 0)
      f.worstErrorMs =
          std::max(f.worstErrorMs, std::fabs(first * speed - static_cast<double>(clicks[i])) * 1000 / kRate);
    f.echoes += std::max(onsets - 1, 0);
  }
  f.echoes /= static_cast<double>(clicks.size());
  return f;
}

// The wobble of the RMS level over the middle of the output, percent of its mean.
double Ripple(const std::vector<int16_t>& out) {
  const size_t window = kRate / 441 * 10, frames = out.size() / 2;  // whole periods
  std::vector<double> levels;
  for (size_t w = frames / 5; w + window < frames * 4 / 5; w += window) {
    double sum = 0;
    for (size_t f = w; f < w + window; ++f) sum += static_cast<double>(out[2 * f]) * out[2 * f];
    levels.push_back(std::sqrt(sum / static_cast<double>(window)));
  }
  const double mean = std::accumulate(levels.begin(), levels.end(), 0.0) / static_cast<double>(levels.size());
  double var = 0;
  for (double l : levels) var += (l - mean) * (l - mean);
  return 100 * std::sqrt(var / static_cast<double>(levels.size())) / mean;
}

// The tone's frequency from its period, by autocorrelation over a third of the output.
double PitchHz(const std::vector<int16_t>& out) {
  const size_t frames = out.size() / 2, from = frames / 3, n = 8192;
  double best = 0;
  int bestLag = 0;
  for (int lag = kRate / 600; lag < kRate / 300; ++lag) {
    double sum = 0;
    for (size_t f = from; f < from + n; ++f)
      sum += static_cast<double>(out[2 * f]) * out[2 * (f + static_cast<size_t>(lag))];
    if (sum > best) {
      best = sum;
      bestLag = lag;
    }
  }
  return bestLag ? static_cast<double>(kRate) / bestLag : 0;
}

enum class Variant { RubberBand, SoundTouch, TunedSoundTouch };

std::vector<int16_t> StretchBy(Variant variant, int percent, const std::vector<int16_t>& in) {
  switch (variant) {
    case Variant::RubberBand:
      return Stretch(lf::StretchEngine::RubberBand, percent, in);
    case Variant::SoundTouch:
      return Stretch(lf::StretchEngine::SoundTouch, percent, in);
    default:
      return StretchTunedSoundTouch(percent, in);
  }
}

void BM_Stretch(benchmark::State& state, Variant engine) {
  const int percent = static_cast<int>(state.range(0));
  const std::vector<int16_t> clicks = Clicks(), tone = Tone();
  const std::vector<int16_t> second(tone.begin(), tone.begin() + 2 * kRate);
  for (auto _ : state) benchmark::DoNotOptimize(StretchBy(engine, percent, second));
  const double speed = percent / 100.0;
  const ClickFigures c = MeasureClicks(StretchBy(engine, percent, clicks), speed);
  const std::vector<int16_t> stretched = StretchBy(engine, percent, tone);
  state.counters["click_error_ms"] = c.worstErrorMs;
  state.counters["echoes"] = c.echoes;
  state.counters["tone_ripple_pct"] = Ripple(stretched);
  state.counters["tone_hz_error"] = std::fabs(PitchHz(stretched) - 441.0);
}

// Full speed and the slow tempos where the engines part ways.
void Tempos(benchmark::internal::Benchmark* b) {
  for (int percent : {100, 50, 35, 25}) b->Arg(percent);
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK_CAPTURE(BM_Stretch, rubberband, Variant::RubberBand)->Apply(Tempos);
BENCHMARK_CAPTURE(BM_Stretch, soundtouch, Variant::SoundTouch)->Apply(Tempos);
BENCHMARK_CAPTURE(BM_Stretch, soundtouch_tuned, Variant::TunedSoundTouch)->Apply(Tempos);

}  // namespace
