#include "desktop/rules/default_colors.h"

#include "core/song/color_settings.h"

namespace lf {

void RestoreDefaultColors(SettingsStore& settings) {
  for (const ColorSetting& colour : AllColorSettings()) settings.Remove("Settings", colour.key);
}

}  // namespace lf
