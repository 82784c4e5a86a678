#pragma once
// TapCalibration: measures how late (or early) an author taps against the
// beat they hear. A click track of 16 clicks plays; each Space press is
// held against the nearest click, and the median of those offsets becomes
// the tap offset that placing subtracts from every tap. Times are heard
// times in milliseconds of music at full tempo, so the rules run on any clock.
#include <optional>
#include <string>
#include <vector>

namespace lf {

class TapCalibration {
 public:
  static constexpr int kClicks = 16;
  static constexpr double kIntervalMs = 600;  // 100 beats a minute
  static constexpr double kFirstClickMs = 1500;

  static double ClickMs(int index) { return kFirstClickMs + index * kIntervalMs; }
  // The track's length: the last click and a beat after it.
  static double LengthMs() { return ClickMs(kClicks - 1) + kIntervalMs; }

  // A tap heard at `heardMs`: its offset from the nearest click, kept when
  // within half a beat of it and that click has no tap yet.
  std::optional<double> Tap(double heardMs);
  const std::vector<double>& Offsets() const { return m_offsets; }
  bool Done() const { return m_offsets.size() == kClicks; }

  // Needs at least half the clicks tapped.
  std::optional<double> MedianMs() const;
  // The median distance of the offsets from their median: how steady the taps were.
  std::optional<double> SpreadMs() const;
  void Clear();

 private:
  std::vector<double> m_offsets;
  std::vector<int> m_tapped;  // the click each offset belongs to
};

// The author's tapping preferences, kept in the settings ("Settings" group):
// the offset subtracted from each tap, and hold to time.
double StoredTapOffsetMs();
void StoreTapOffsetMs(double ms);
bool StoredHoldToTime();
void StoreHoldToTime(bool hold);
// Place Lyrics taps where lines begin, not every word.
bool StoredLinesFirst();
void StoreLinesFirst(bool on);

// "Tap 12 of 16: +38 ms", and the summary line "Median +37 ms, spread 4 ms".
std::string FormatTapOffset(int tapNumber, double offsetMs);
std::string FormatCalibrationSummary(double medianMs, double spreadMs);

// Writes the click track (44,100 Hz stereo, 16-bit): a short 1 kHz tick at
// each click. False when the file cannot be written.
bool WriteClickTrack(const std::string& wavPath);

}  // namespace lf
