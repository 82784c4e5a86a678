#pragma once
// The Place Lyrics tempo: percent of normal speed, 50 to 100 in steps of 5,
// kept as the up-down control's position 10 to 20.
#include <cstdio>
#include <string>

namespace lf {

class PlacementTempo {
 public:
  static constexpr int kMinPosition = 10, kMaxPosition = 20, kPercentPerStep = 5;

  int Percent() const { return m_position * kPercentPerStep; }
  int Position() const { return m_position; }
  // The player's tempo change: -50 to 0 percent.
  int TempoChange() const { return Percent() - 100; }
  // Moves by `steps`; refused (false, nothing changes) outside 50-100 %.
  bool Step(int steps) {
    const int proposed = m_position + steps;
    if (proposed < kMinPosition || proposed > kMaxPosition) return false;
    m_position = proposed;
    return true;
  }
  std::string Text() const {
    char text[8];
    std::snprintf(text, sizeof text, "%d%%", Percent());
    return text;
  }

 private:
  int m_position = kMaxPosition;
};

}  // namespace lf
