#pragma once
// "Restore Default Colors": forgets the user's sixteen default page colours,
// so new projects take the built-in ones again.
#include "core/platform/settings.h"

namespace lf {

// Deletes the stored default colours (AllColorSettings()) from "Settings".
void RestoreDefaultColors(SettingsStore& settings);

}  // namespace lf
