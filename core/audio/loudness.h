#pragma once
// Programme loudness (EBU R 128 / ITU-R BS.1770) of a PCM file, and the gain
// that brings it to a target without pushing its true peak over a ceiling.
#include <optional>
#include <string>

namespace lf {

class ProgressSink;

inline constexpr double kDefaultLoudnessTarget = -14.0;  // LUFS, what streaming services play at
inline constexpr double kTruePeakCeiling = -1.0;         // dBTP: room for a lossy encoder's overshoot
// Targets offered; outside them a gain would be a mistake, not a choice.
inline constexpr double kMinLoudnessTarget = -40.0, kMaxLoudnessTarget = -5.0;

struct LoudnessMeasure {
  double integratedLufs = 0;  // gated programme loudness; -inf for silence
  double truePeakDbtp = 0;    // highest peak of any channel (dB); -inf for silence
  bool truePeak = true;       // the peak between samples (4x oversampled), else of the samples only
};

// Reads the whole PCM file (8 or 16 bits, mono or stereo; a WAV or headerless
// CD audio, as the encoders take it) once; the true peak costs three times
// the rest. Progress goes 0..100 and is asked for cancel. Nothing on failure
// or cancel; *error says why.
std::optional<LoudnessMeasure> MeasureLoudness(const std::string& pcmPath, ProgressSink* progress,
                                               std::string* error = nullptr, bool truePeak = true);

// Peaks between samples stand at most this far over the samples' own in music.
inline constexpr double kInterSamplePeakRoom = 3.0;  // dB

// NormalisingGain on the file, measured as little as it takes: loudness and
// sample peaks first, the true peak only when the gain brings the samples
// within kInterSamplePeakRoom of the ceiling. Nothing on failure or cancel.
std::optional<double> GainForLoudness(const std::string& pcmPath, double targetLufs, ProgressSink* progress,
                                      std::string* error = nullptr);

// The factor that moves `measured` to `targetLufs`, lowered as far as it
// takes to keep the true peak at or under `ceilingDbtp` (with a little room:
// meters oversample differently, and rounding moves peaks). Silence keeps 1.
double NormalisingGain(const LoudnessMeasure& measured, double targetLufs, double ceilingDbtp = kTruePeakCeiling);

}  // namespace lf
