#include "core/audio/loudness.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "core/audio/pcm_source.h"
#include "core/platform/progress.h"

namespace lf {

namespace {

constexpr std::size_t kPieceFrames = 44100;  // about a second at a time
// Meters' true peaks differ by a few hundredths of a dB (each oversamples its
// own way), and rounding to whole samples moves a peak by as much again.
constexpr double kCeilingRoomDb = 0.1;

std::optional<LoudnessMeasure> Fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return std::nullopt;
}

struct StateCloser {
  void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};

// Source bytes to 16-bit samples, channel for channel.
void ToShorts(const uint8_t* in, std::size_t samples, int bits, int16_t* out) {
  for (std::size_t i = 0; i < samples; ++i)
    out[i] =
        bits == 8 ? static_cast<int16_t>((in[i] - 128) * 256) : static_cast<int16_t>(in[2 * i] | (in[2 * i + 1] << 8));
}

double Decibels(double linear) { return linear > 0 ? 20.0 * std::log10(linear) : -HUGE_VAL; }

}  // namespace

std::optional<LoudnessMeasure> MeasureLoudness(const std::string& pcmPath, ProgressSink* progress, std::string* error,
                                               bool truePeak) {
  PcmSource source;
  if (!source.Open(pcmPath, error)) return std::nullopt;
  const PcmFormat format = source.Format();
  std::unique_ptr<ebur128_state, StateCloser> state(
      ebur128_init(unsigned(format.channels), format.sampleRate,
                   EBUR128_MODE_I | (truePeak ? EBUR128_MODE_TRUE_PEAK : EBUR128_MODE_SAMPLE_PEAK)));
  if (!state) return Fail(error, "The loudness meter could not be started (out of memory?).");

  const std::size_t block = std::size_t(format.BlockAlign());
  std::vector<uint8_t> bytes(kPieceFrames * block);
  std::vector<int16_t> samples(kPieceFrames * std::size_t(format.channels));
  uint64_t done = 0;
  int lastPercent = -1;
  for (std::size_t got; (got = source.Read(bytes.data(), bytes.size())) > 0;) {
    if (progress && progress->CancelRequested()) return Fail(error, "The loudness measurement was cancelled.");
    const std::size_t frames = got / block;
    ToShorts(bytes.data(), frames * std::size_t(format.channels), format.bits, samples.data());
    if (ebur128_add_frames_short(state.get(), samples.data(), frames) != EBUR128_SUCCESS)
      return Fail(error, "The loudness meter failed on \"" + pcmPath + "\".");
    done += got;
    const int percent = int(std::min<uint64_t>(done * 100 / std::max<uint64_t>(source.DataBytes(), 1), 100));
    if (progress && percent != lastPercent) progress->Report(lastPercent = percent);
  }

  LoudnessMeasure measure;
  measure.truePeak = truePeak;
  if (ebur128_loudness_global(state.get(), &measure.integratedLufs) != EBUR128_SUCCESS)
    return Fail(error, "The loudness of \"" + pcmPath + "\" could not be measured.");
  double peak = 0;
  for (unsigned channel = 0; channel < unsigned(format.channels); ++channel) {
    double channelPeak = 0;
    const int got = truePeak ? ebur128_true_peak(state.get(), channel, &channelPeak)
                             : ebur128_sample_peak(state.get(), channel, &channelPeak);
    if (got != EBUR128_SUCCESS) return Fail(error, "The true peak of \"" + pcmPath + "\" could not be measured.");
    peak = std::max(peak, channelPeak);
  }
  measure.truePeakDbtp = Decibels(peak);
  return measure;
}

double NormalisingGain(const LoudnessMeasure& measured, double targetLufs, double ceilingDbtp) {
  if (!std::isfinite(measured.integratedLufs) || !std::isfinite(measured.truePeakDbtp)) return 1.0;
  const double gainDb =
      std::min(targetLufs - measured.integratedLufs, ceilingDbtp - kCeilingRoomDb - measured.truePeakDbtp);
  return std::pow(10.0, gainDb / 20.0);
}

std::optional<double> GainForLoudness(const std::string& pcmPath, double targetLufs, ProgressSink* progress,
                                      std::string* error) {
  const auto quick = MeasureLoudness(pcmPath, progress, error, false);
  if (!quick) return std::nullopt;
  const double gain = NormalisingGain(*quick, targetLufs, kTruePeakCeiling - kInterSamplePeakRoom);
  if (gain >= NormalisingGain(*quick, targetLufs)) return gain;  // far enough under the ceiling
  const auto exact = MeasureLoudness(pcmPath, progress, error, true);
  if (!exact) return std::nullopt;
  return NormalisingGain(*exact, targetLufs);
}

}  // namespace lf
