#include "shell/default_colors.h"

namespace lf {

const std::array<const char*, 16> kDefaultColorKeys = {
    "ColorTitleBckgnd",   "ColorTitleBorder",   "ColorTitleText",     "ColorTitleShadow",
    "ColorCreditsBckgnd", "ColorCreditsBorder", "ColorCreditsText",   "ColorCreditsShadow",
    "ColorLyricsBckgnd",  "ColorLyricsBorder",  "ColorLyricsSinger1", "ColorLyricsSinger2",
    "ColorLyricsDuet",    "ColorLyricsShadow",  "ColorLyricsSweep",   "ColorLyricsFixed"};

void RestoreDefaultColors(ISettings& settings) {
  for (const char* key : kDefaultColorKeys) settings.Remove("Settings", key);
}

}  // namespace lf
