#pragma once
// The values the settings sheet's fields take: text size lists, typed sizes
// and hold times, the advance sweep's steps, and the duet dialog's hold.
// A typed value that is not a whole, in-range number is refused (nullopt),
// so a field never stores half of what was typed.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/song/song.h"

namespace lf {

// 14, 16, ... 28, 36, (48 on the lyrics page only), 72.
std::vector<int> TextSizeChoices(int32_t pageKind);

// Up to 2 digits, above 0.
std::optional<int> ParseTypedSize(std::string_view text);

inline constexpr int kHoldFieldCharacters = 7;
// Seconds (at most 7 characters, not negative) as hundredths, rounded.
std::optional<int> ParseHoldSeconds(std::string_view text);
// Hundredths shown as seconds with two decimals ("2.00").
std::string HoldText(int hundredths);

inline constexpr int kSweepAdvanceStep = 5;  // hundredths per up-down step
inline constexpr int kSweepAdvanceMinimum = -500;
// Moves the song's advance sweep by `steps` steps (negative: earlier), kept
// within -500 ... 0; returns the new value.
int StepSweepAdvance(Song& song, int steps);
// The advance as shown: its absolute value in seconds with two decimals.
std::string SweepAdvanceText(int advance);

// The duet dialog's "Hold:": 1.0 to 10.0 seconds in steps of 0.1, stored in
// "DuetDisplayDuration" as hundredths.
inline constexpr int kDuetHoldMinimum = 100;
inline constexpr int kDuetHoldMaximum = 1000;
int ClampDuetHold(int hundredths);

// The duet dialog's Save: the three labels into the song, the hold into the
// stored settings. Both bypass the sheet's working copy, so a Cancel of the
// sheet keeps them.
void SaveDuetDialog(Song& song, const std::string (&labels)[3], int holdHundredths);

}  // namespace lf
