#pragma once
// The timing pages' tempo: percent of normal speed, 25 to 100 in steps of 5,
// kept as the up-down control's position 5 to 20.
#include <cstdio>
#include <string>

namespace lf {

class PlacementTempo {
 public:
  static constexpr int kMinPosition = 5, kMaxPosition = 20, kPercentPerStep = 5;

  int Percent() const { return m_position * kPercentPerStep; }
  int Position() const { return m_position; }
  // The player's tempo change: -75 to 0 percent.
  int TempoChange() const { return Percent() - 100; }
  // Moves by `steps`; refused (false, nothing changes) outside 25-100 %.
  bool Step(int steps) {
    const int proposed = m_position + steps;
    if (proposed < kMinPosition || proposed > kMaxPosition) return false;
    m_position = proposed;
    return true;
  }
  // The music's speed: 0.25 to 1.
  double Speed() const { return Percent() / 100.0; }
  std::string Text() const {
    char text[8];
    std::snprintf(text, sizeof text, "%d%%", Percent());
    return text;
  }

 private:
  int m_position = kMaxPosition;
};

}  // namespace lf
