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
  double truePeakDbtp = 0;    // highest inter-sample peak of any channel; -inf for silence
};

// Reads the whole PCM file (8 or 16 bits, mono or stereo; a WAV or headerless
// CD audio, as the encoders take it) once. Progress goes 0..100 and is asked
// for cancel. Nothing on failure or cancel; *error says why.
std::optional<LoudnessMeasure> MeasureLoudness(const std::string& pcmPath, ProgressSink* progress,
                                               std::string* error = nullptr);

// The factor that moves `measured` to `targetLufs`, lowered as far as it
// takes to keep the true peak at or under `ceilingDbtp` (with a little room:
// meters oversample differently, and rounding moves peaks). Silence keeps 1.
double NormalisingGain(const LoudnessMeasure& measured, double targetLufs, double ceilingDbtp = kTruePeakCeiling);

}  // namespace lf
