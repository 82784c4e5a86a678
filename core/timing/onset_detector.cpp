#include "core/timing/onset_detector.h"

#include <aubio/aubio.h>

namespace lf {

namespace {
constexpr uint_t kWindow = 1024;
constexpr uint_t kHop = 256;  // 5.8 ms at 44,100 Hz
}  // namespace

struct OnsetDetector::Impl {
  aubio_onset_t* onset = nullptr;
  fvec_t* in = nullptr;
  fvec_t* out = nullptr;
  uint_t filled = 0;

  explicit Impl(int rate) {
    onset = new_aubio_onset("hfc", kWindow, kHop, static_cast<uint_t>(rate > 0 ? rate : 44100));
    in = new_fvec(kHop);
    out = new_fvec(1);
    if (onset) aubio_onset_set_minioi_ms(onset, 50);
  }
  ~Impl() {
    if (onset) del_aubio_onset(onset);
    if (in) del_fvec(in);
    if (out) del_fvec(out);
  }
};

OnsetDetector::OnsetDetector(int sampleRate) : m(std::make_unique<Impl>(sampleRate)) {}

OnsetDetector::~OnsetDetector() = default;

void OnsetDetector::Push(const float* samples, size_t count) {
  if (!m->onset) return;
  for (size_t i = 0; i < count; ++i) {
    m->in->data[m->filled++] = samples[i];
    if (m->filled < kHop) continue;
    m->filled = 0;
    aubio_onset_do(m->onset, m->in, m->out);
    if (m->out->data[0] != 0)
      m_onsets.push_back({static_cast<int64_t>(aubio_onset_get_last(m->onset)), aubio_onset_get_descriptor(m->onset)});
  }
}

}  // namespace lf
