#pragma once
// The Qt keys the timing pages act on, as the core's TimingKey.
#include <optional>

#include "core/timing/timing_key.h"

class QKeyEvent;

namespace lf {

std::optional<TimingKey> TimingKeyOf(const QKeyEvent& event);
// Ctrl is held with the key.
bool CtrlDown(const QKeyEvent& event);

}  // namespace lf
