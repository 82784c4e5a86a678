#include "core/song/settings_sheet_values.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace lf {

std::vector<int> TextSizeChoices(int32_t pageKind) {
  std::vector<int> sizes;
  for (int size = 14; size <= 28; size += 2) sizes.push_back(size);
  sizes.push_back(36);
  if (pageKind == LyricsPage) sizes.push_back(48);
  sizes.push_back(72);
  return sizes;
}

std::optional<int> ParseTypedSize(std::string_view text) {
  if (text.empty() || text.size() > 2) return std::nullopt;
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value <= 0) return std::nullopt;
  return value;
}

std::optional<int> ParseHoldSeconds(std::string_view text) {
  if (text.empty() || text.size() > kHoldFieldCharacters) return std::nullopt;
  // Digits with at most one decimal point, and at least one digit.
  int points = 0, digits = 0;
  for (char c : text) {
    if (c == '.')
      ++points;
    else if (c >= '0' && c <= '9')
      ++digits;
    else
      return std::nullopt;
  }
  if (points > 1 || digits == 0) return std::nullopt;
  double seconds = 0;  // from_chars ignores the locale, as a typed "2.5" must
  std::from_chars(text.data(), text.data() + text.size(), seconds);
  return static_cast<int>(std::lround(seconds * 100));
}

std::string HoldText(int hundredths) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", hundredths / 100.0);
  return text;
}

int StepSweepAdvance(Song& song, int steps) {
  int& advance = song.Look().Settings().sweepAdvance;
  const long long moved = static_cast<long long>(advance) + static_cast<long long>(steps) * kSweepAdvanceStep;
  advance = static_cast<int>(std::clamp<long long>(moved, kSweepAdvanceMinimum, 0));
  return advance;
}

std::string SweepAdvanceText(int advance) { return HoldText(std::abs(advance)); }

int ClampDuetHold(int hundredths) { return std::clamp(hundredths, kDuetHoldMinimum, kDuetHoldMaximum); }

void SaveDuetDialog(Song& song, const std::string (&labels)[3], int holdHundredths) {
  for (int k = 0; k < 3; ++k) song.Lyrics().SetDuetLabel(k, labels[k]);
  SongLook::SetDuetDisplayDuration(ClampDuetHold(holdHundredths));
}

}  // namespace lf
