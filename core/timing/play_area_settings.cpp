#include "core/timing/play_area_settings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/song/song.h"

namespace lf {

namespace {

std::string Format(const char* format, double value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

PlayAreaSettingsEdit::PlayAreaSettingsEdit(Song& song) : m_song(song), m_copy(song.Look().Settings()) {
  m_song.Look().Settings().playBeforeInSeconds = 0;
  m_song.Look().Settings().playAfterInSeconds = 0;
  m_song.SetModified(true);
}

std::string PlayAreaSettingsEdit::AreaText() const {
  if (InSeconds()) return Format("%.1f", m_copy.playBeforeAmount / 1000.0);
  char text[16];
  std::snprintf(text, sizeof text, "%d", m_copy.playBeforeAmount / 1000);
  return text;
}

void PlayAreaSettingsEdit::SetArea(double amount) {
  m_copy.playBeforeAmount = m_copy.playAfterAmount = static_cast<int32_t>(std::lround(amount * 1000));
}

void PlayAreaSettingsEdit::TypeArea(const std::string& text) { SetArea(std::atof(text.c_str())); }

void PlayAreaSettingsEdit::StepArea(int steps) {
  const double shown = m_copy.playBeforeAmount / 1000.0;
  if (InSeconds())
    SetArea(std::clamp(shown + 0.5 * steps, 0.0, 9.5));
  else
    SetArea(std::clamp(std::floor(shown) + steps, 2.0, 4.0));
}

std::string PlayAreaSettingsEdit::StepText() const { return Format("%.2f", m_copy.adjustStep / 1000.0); }

void PlayAreaSettingsEdit::TypeStep(const std::string& text) {
  // Truncated, with a hair of slack so that a typed 0.29 is 290 ms and not 289.
  const double ms = std::atof(text.c_str()) * 1000;
  m_copy.adjustStep = static_cast<int32_t>(ms + (ms < 0 ? -1e-6 : 1e-6));
}

void PlayAreaSettingsEdit::StepStep(int steps) {
  m_copy.adjustStep = std::clamp(m_copy.adjustStep + 50 * steps, 0, 1000);
}

void PlayAreaSettingsEdit::LeaveStepBox() { m_copy.adjustStep = std::abs(m_copy.adjustStep); }

void PlayAreaSettingsEdit::Accept() {
  m_song.Look().Settings() = m_copy;
  m_song.SetModified(true);
}

}  // namespace lf
