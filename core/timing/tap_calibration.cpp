#include "core/timing/tap_calibration.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "core/audio/wav_out_file.h"
#include "core/platform/settings.h"

namespace lf {

namespace {

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

std::optional<double> TapCalibration::Tap(double heardMs) {
  const int nearest = static_cast<int>(std::lround((heardMs - kFirstClickMs) / kIntervalMs));
  if (nearest < 0 || nearest >= kClicks) return std::nullopt;
  if (std::find(m_tapped.begin(), m_tapped.end(), nearest) != m_tapped.end()) return std::nullopt;
  const double offset = heardMs - ClickMs(nearest);
  if (std::abs(offset) >= kIntervalMs / 2) return std::nullopt;
  m_tapped.push_back(nearest);
  m_offsets.push_back(offset);
  return offset;
}

std::optional<double> TapCalibration::MedianMs() const {
  if (m_offsets.size() < kClicks / 2) return std::nullopt;
  return Median(m_offsets);
}

std::optional<double> TapCalibration::SpreadMs() const {
  const std::optional<double> median = MedianMs();
  if (!median) return std::nullopt;
  std::vector<double> distances;
  for (double offset : m_offsets) distances.push_back(std::abs(offset - *median));
  return Median(distances);
}

void TapCalibration::Clear() {
  m_offsets.clear();
  m_tapped.clear();
}

double StoredTapOffsetMs() { return std::clamp(AppSettings().Double("Settings", "TapOffsetMs", 0), -500.0, 500.0); }
void StoreTapOffsetMs(double ms) { AppSettings().SetDouble("Settings", "TapOffsetMs", std::clamp(ms, -500.0, 500.0)); }
bool StoredHoldToTime() { return AppSettings().Int("Settings", "HoldToTime", 0) != 0; }
void StoreHoldToTime(bool hold) { AppSettings().SetInt("Settings", "HoldToTime", hold ? 1 : 0); }
bool StoredLinesFirst() { return AppSettings().Int("Settings", "PlaceLinesFirst", 0) != 0; }
void StoreLinesFirst(bool on) { AppSettings().SetInt("Settings", "PlaceLinesFirst", on ? 1 : 0); }

std::string FormatTapOffset(int tapNumber, double offsetMs) {
  char text[64];
  std::snprintf(text, sizeof text, "Tap %d of %d: %+.0f ms", tapNumber, TapCalibration::kClicks, offsetMs);
  return text;
}

std::string FormatCalibrationSummary(double medianMs, double spreadMs) {
  char text[64];
  std::snprintf(text, sizeof text, "Median %+.0f ms, spread %.0f ms", medianMs, spreadMs);
  return text;
}

bool WriteClickTrack(const std::string& wavPath) {
  constexpr int kRate = 44100, kTickFrames = kRate / 100;  // 10 ms ticks
  const auto frames = static_cast<size_t>(TapCalibration::LengthMs() * kRate / 1000);
  std::vector<int16_t> samples(frames * 2, 0);
  for (int click = 0; click < TapCalibration::kClicks; ++click) {
    const auto start = static_cast<size_t>(std::lround(TapCalibration::ClickMs(click) * kRate / 1000));
    for (int i = 0; i < kTickFrames && start + static_cast<size_t>(i) < frames; ++i) {
      const double fade = 1.0 - static_cast<double>(i) / kTickFrames;
      const auto v = static_cast<int16_t>(20000 * fade * std::sin(2 * std::numbers::pi * 1000.0 * i / kRate));
      samples[(start + static_cast<size_t>(i)) * 2] = samples[(start + static_cast<size_t>(i)) * 2 + 1] = v;
    }
  }
  {
    WavOutFile out(wavPath, kRate, 16, 2);
    if (!out.IsOpen()) return false;
    out.WriteSamples(samples.data(), static_cast<int>(samples.size()));
    if (!out.Good()) return false;
  }
  return true;
}

}  // namespace lf
