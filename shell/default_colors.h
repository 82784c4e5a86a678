#pragma once
// "Restore Default Colors": forgets the user's sixteen default page colours,
// so new projects take the built-in ones again.
#include <array>

#include "platform/settings.h"

namespace lf {

// The colour values under "Settings", in the order they are deleted.
extern const std::array<const char*, 16> kDefaultColorKeys;

void RestoreDefaultColors(ISettings& settings);

}  // namespace lf
