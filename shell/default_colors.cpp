#include "shell/default_colors.h"

#include "engine/song/color_settings.h"

namespace lf {

void RestoreDefaultColors(ISettings& settings) {
  for (const ColorSetting& colour : AllColorSettings()) settings.Remove("Settings", colour.key);
}

}  // namespace lf
