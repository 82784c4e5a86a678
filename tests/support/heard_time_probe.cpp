#include "tests/support/heard_time_probe.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <thread>
#include <vector>

#include "core/audio/wav_out_file.h"
#include "core/playback/cdg_player.h"
#include "core/song/song.h"
#include "core/timing/cdg_timing_player.h"
#include "core/timing/placement_session.h"

namespace lf::test {

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRate = 44100;
constexpr double kFirstClick = 0.2, kClickGap = 0.4;  // seconds of music

double Seconds(Clock::time_point t) { return std::chrono::duration<double>(t.time_since_epoch()).count(); }

double ClickSeconds(size_t index) { return kFirstClick + kClickGap * static_cast<double>(index); }

// 4 ms bursts of 2 kHz, every 0.4 s, for `length` seconds.
bool WriteClicks(const std::string& path, double length) {
  const auto frames = static_cast<size_t>(length * kRate);
  std::vector<int16_t> samples(2 * frames, 0);
  for (size_t click = 0; ClickSeconds(click) < length - 0.1; ++click) {
    const auto start = static_cast<size_t>(std::lround(ClickSeconds(click) * kRate));
    for (size_t i = 0; i < kRate / 250; ++i)
      samples[2 * (start + i)] = samples[2 * (start + i) + 1] =
          static_cast<int16_t>(20000 * std::sin(2 * std::numbers::pi * 2000.0 * static_cast<double>(i) / kRate));
  }
  WavOutFile out(path, kRate, 16, 2);
  out.WriteSamples(samples.data(), static_cast<int>(samples.size()));
  return out.Good();
}

// The monitor, read in 5 ms blocks; after each, the capture time of its last
// frame is now less the recording's latency.
class MonitorRecorder {
 public:
  bool Start(const std::string& monitor, std::string* error) {
    pa_sample_spec sampleFormat{PA_SAMPLE_S16NE, kRate, 2};
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(5000, &sampleFormat));
    int code = 0;
    m_stream = pa_simple_new(nullptr, "heard-time truth", PA_STREAM_RECORD, monitor.c_str(), "monitor", &sampleFormat,
                             nullptr, &attr, &code);
    if (!m_stream) {
      *error = std::string("cannot record the monitor: ") + pa_strerror(code);
      return false;
    }
    m_thread = std::thread([this] { Record(); });
    return true;
  }
  void Stop() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    if (m_stream) pa_simple_free(m_stream);
    m_stream = nullptr;
  }
  ~MonitorRecorder() { Stop(); }

  // Capture times (seconds of the steady clock) of the clicks' onsets.
  std::vector<double> ClickTimes() const {
    std::vector<double> times;
    size_t lastLoud = 0;
    bool any = false;
    for (size_t f = 0; f < m_left.size(); ++f) {
      if (std::abs(m_left[f]) < 5000) continue;
      if (!any || f - lastLoud > kRate / 10) times.push_back(CaptureTime(f));
      lastLoud = f;
      any = true;
    }
    return times;
  }

 private:
  struct Mark {
    size_t frameEnd;
    double captured;  // of the frame before frameEnd
  };
  void Record() {
    std::vector<int16_t> block(2 * kRate / 200);
    while (!m_stop) {
      int code = 0;
      if (pa_simple_read(m_stream, block.data(), block.size() * sizeof(int16_t), &code) < 0) return;
      const double now = Seconds(Clock::now());
      const pa_usec_t latency = pa_simple_get_latency(m_stream, &code);
      for (size_t i = 0; i < block.size(); i += 2) m_left.push_back(block[i]);
      if (latency != static_cast<pa_usec_t>(-1)) m_marks.push_back({m_left.size(), now - latency / 1e6});
    }
  }
  double CaptureTime(size_t frame) const {
    const auto mark = std::lower_bound(m_marks.begin(), m_marks.end(), frame + 1,
                                       [](const Mark& m, size_t f) { return m.frameEnd < f; });
    if (mark == m_marks.end()) return m_marks.empty() ? 0 : m_marks.back().captured;
    return mark->captured - static_cast<double>(mark->frameEnd - 1 - frame) / kRate;
  }

  pa_simple* m_stream = nullptr;
  std::thread m_thread;
  std::atomic<bool> m_stop{false};
  std::vector<int16_t> m_left;
  std::vector<Mark> m_marks;
};

// A fresh folder, removed with everything in it at the end (the probe also
// runs in benchmarks, which have no test support library).
class ProbeFolder {
 public:
  ProbeFolder() {
    char pattern[] = "/tmp/lyricforge-heard-XXXXXX";
    if (mkdtemp(pattern)) m_path = pattern;
  }
  ~ProbeFolder() {
    std::error_code ignored;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
  }
  std::string File(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

std::optional<HeardTimeFigures> MeasureHeardTime(int percent, double seconds, const std::string& monitor,
                                                 std::string* error) {
  ProbeFolder dir;
  const double speed = percent / 100.0;
  const std::string wav = dir.File("clicks.wav");
  if (!WriteClicks(wav, (seconds + 5) * speed + 1.0)) {
    *error = "cannot write the click track";
    return std::nullopt;
  }
  // One word per press: a press every 0.37 s, from a second in.
  const int taps = static_cast<int>((seconds - 0.5) / 0.37);
  std::string lyrics;
  for (int i = 0; i < taps; ++i) lyrics += "w" + std::to_string(i) + " ";
  Song song(dir.File("song.lfp"));
  song.ResetSongDefaults();
  song.SetMusicPath(wav);
  song.Music().SetWorkingMusicPath(wav);
  song.Lyrics().SetRawLyrics(lyrics);

  MonitorRecorder recorder;
  if (!monitor.empty() && !recorder.Start(monitor, error)) return std::nullopt;
  HeardTimeFigures figures;
  std::vector<double> pressed;
  {
    CdgTimingPlayer player(nullptr, kRate, kRate / 300);
    PlacementSession session(song, player);
    session.Open();
    while (session.Tempo().Percent() > percent && session.StepTempo(-1)) {
    }
    if (Outcome started = session.Start(); !started) {
      *error = "the music does not play: " + started.detail;
      return std::nullopt;
    }
    // A new stream on a sink that was idle may take a second or two to start:
    // the taps begin once the music is heard.
    const auto opened = Clock::now();
    while (player.Position() < kRate / 10 && Clock::now() - opened < std::chrono::seconds(5))
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto start = Clock::now();
    figures.startMs = std::chrono::duration<double, std::milli>(start - opened).count();
    for (int i = 0; i < taps; ++i) {
      std::this_thread::sleep_until(
          start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(0.25 + 0.37 * i)));
      pressed.push_back(Seconds(Clock::now()));
      session.KeyDown(TimingKey::Space);
      session.KeyUp(TimingKey::Space);
    }
    if (CdgPlayer* cdg = CdgPlayer::Global()) {
      figures.latencyMs = cdg->OutputLatencyMs();
      figures.output = cdg->OutputName();
    }
    session.Stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the last clicks reach the monitor
  }
  recorder.Stop();
  CdgPlayer::DestroyGlobal();  // its device belongs to this output; the next play opens its own

  std::vector<double> placed;
  for (int i = 0; i < taps; ++i) placed.push_back(static_cast<double>(song.Lyrics().Word(i)->m_startTime) / kRate);
  // The music heard at steady-clock time t is intercept + speed * t.
  double intercept = 0;
  if (!monitor.empty()) {
    const std::vector<double> clicks = recorder.ClickTimes();
    figures.clicksHeard = static_cast<int>(clicks.size());
    if (clicks.size() < 2) {
      *error = "the monitor heard " + std::to_string(clicks.size()) + " clicks";
      return std::nullopt;
    }
    std::vector<double> intercepts;
    for (size_t i = 0; i < clicks.size(); ++i) intercepts.push_back(ClickSeconds(i) - speed * clicks[i]);
    intercept = Median(intercepts);
  } else {
    std::vector<double> intercepts;
    for (int i = 0; i < taps; ++i)
      intercepts.push_back(placed[static_cast<size_t>(i)] - speed * pressed[static_cast<size_t>(i)]);
    intercept = Median(intercepts);
  }
  std::vector<double> errors;
  for (int i = 0; i < taps; ++i)
    errors.push_back((placed[static_cast<size_t>(i)] - (intercept + speed * pressed[static_cast<size_t>(i)])) * 1000);
  for (double& e : errors) e = std::fabs(e);
  figures.medianMs = Median(errors);
  figures.worstMs = *std::max_element(errors.begin(), errors.end());
  figures.taps = taps;
  return figures;
}

}  // namespace lf::test
