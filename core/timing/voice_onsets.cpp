#include "core/timing/voice_onsets.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>

namespace lf {

namespace {
constexpr uint_t kWindow = 2048;
constexpr uint_t kHop = 512;
}  // namespace

struct VoiceOnsetDetector::Impl {
  int rate;
  aubio_pvoc_t* mid = nullptr;
  aubio_pvoc_t* side = nullptr;
  fvec_t* midIn = nullptr;
  fvec_t* sideIn = nullptr;
  fvec_t* voice = nullptr;
  cvec_t* midSpectrum = nullptr;
  cvec_t* sideSpectrum = nullptr;
  uint_t filled = 0;
  uint_t lowBin = 0, highBin = 0;
  OnsetDetector detector;
  std::vector<float> levels;

  explicit Impl(int sampleRate)
      : rate(sampleRate > 0 ? sampleRate : 44100),
        mid(new_aubio_pvoc(kWindow, kHop)),
        side(new_aubio_pvoc(kWindow, kHop)),
        midIn(new_fvec(kHop)),
        sideIn(new_fvec(kHop)),
        voice(new_fvec(kHop)),
        midSpectrum(new_cvec(kWindow)),
        sideSpectrum(new_cvec(kWindow)),
        detector(rate) {
    const float binHz = static_cast<float>(rate) / static_cast<float>(kWindow);
    lowBin = static_cast<uint_t>(kVoiceLowHz / binHz);
    highBin = std::min<uint_t>(static_cast<uint_t>(kVoiceHighHz / binHz), kWindow / 2);
  }
  ~Impl() {
    if (mid) del_aubio_pvoc(mid);
    if (side) del_aubio_pvoc(side);
    for (fvec_t* v : {midIn, sideIn, voice})
      if (v) del_fvec(v);
    for (cvec_t* c : {midSpectrum, sideSpectrum})
      if (c) del_cvec(c);
  }
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  bool Ready() const { return mid && side && midIn && sideIn && voice && midSpectrum && sideSpectrum; }

  // One hop: the centre's spectrum less the side's, in the vocal band, back to samples.
  void Separate() {
    aubio_pvoc_do(mid, midIn, midSpectrum);
    aubio_pvoc_do(side, sideIn, sideSpectrum);
    for (uint_t bin = 0; bin < midSpectrum->length; ++bin) {
      const bool inBand = bin >= lowBin && bin <= highBin;
      const float kept = midSpectrum->norm[bin] - kSideWeight * sideSpectrum->norm[bin];
      midSpectrum->norm[bin] = inBand ? std::max(kept, 0.0f) : 0.0f;
    }
    aubio_pvoc_rdo(mid, midSpectrum, voice);
    detector.Push(voice->data, kHop);
    double energy = 0;
    for (uint_t i = 0; i < kHop; ++i) energy += double{voice->data[i]} * voice->data[i];
    levels.push_back(static_cast<float>(std::sqrt(energy / kHop)));
  }
};

VoiceOnsetDetector::VoiceOnsetDetector(int sampleRate) : m(std::make_unique<Impl>(sampleRate)) {}
VoiceOnsetDetector::~VoiceOnsetDetector() = default;

void VoiceOnsetDetector::Push(const float* left, const float* right, size_t frames) {
  if (!m->Ready()) return;
  for (size_t i = 0; i < frames; ++i) {
    const float l = left[i], r = right ? right[i] : left[i];
    m->midIn->data[m->filled] = 0.5f * (l + r);
    m->sideIn->data[m->filled] = 0.5f * (l - r);
    if (++m->filled < kHop) continue;
    m->filled = 0;
    m->Separate();
  }
}

VoicePart VoiceOnsetDetector::Part() const {
  // The phase vocoder gives each sample back a window less a hop later.
  constexpr int64_t kDelay = kWindow - kHop;
  static_assert(kHop == VoicePart::kHop && kDelay % kHop == 0);
  VoicePart part;
  for (const Onset& onset : m->detector.Onsets())
    if (onset.frame >= kDelay) part.onsets.push_back({onset.frame - kDelay, onset.strength});
  const auto skipped = std::min<size_t>(kDelay / kHop, m->levels.size());
  part.levels.assign(m->levels.begin() + static_cast<std::ptrdiff_t>(skipped), m->levels.end());
  return part;
}

int64_t VoicePart::LastSoundingFrame(int64_t from, int64_t to, float share) const {
  const auto first = static_cast<size_t>(std::clamp<int64_t>(from / kHop, 0, static_cast<int64_t>(levels.size())));
  const auto end = static_cast<size_t>(std::clamp<int64_t>(to / kHop, 0, static_cast<int64_t>(levels.size())));
  if (first >= end) return -1;
  const float loudest = *std::max_element(levels.begin() + static_cast<std::ptrdiff_t>(first),
                                          levels.begin() + static_cast<std::ptrdiff_t>(end));
  if (loudest <= 0) return -1;
  for (size_t i = end; i-- > first;)
    if (levels[i] >= share * loudest) return static_cast<int64_t>(i + 1) * kHop;
  return -1;
}

}  // namespace lf
