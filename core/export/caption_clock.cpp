#include "core/export/caption_clock.h"

#include <cstdio>

namespace lf {

std::string ClockText(Millis t, ClockStyle style) {
  const long long ms = t < 0 ? 0 : static_cast<long long>(t);
  char text[48];
  switch (style) {
    case ClockStyle::kHoursMillis:
    case ClockStyle::kHoursCommaMillis:
      std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld%c%03lld", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60,
                    style == ClockStyle::kHoursMillis ? '.' : ',', ms % 1000);
      break;
    case ClockStyle::kAssCentis: {
      const long long cs = Centis(t);
      std::snprintf(text, sizeof text, "%lld:%02lld:%02lld.%02lld", cs / 360000, cs / 6000 % 60, cs / 100 % 60,
                    cs % 100);
      break;
    }
    case ClockStyle::kMinutesCentis: {
      const long long cs = Centis(t);
      std::snprintf(text, sizeof text, "%02lld:%02lld.%02lld", cs / 6000, cs / 100 % 60, cs % 100);
      break;
    }
    case ClockStyle::kMinutesMillis:
      std::snprintf(text, sizeof text, "%02lld:%02lld.%03lld", ms / 60000, ms / 1000 % 60, ms % 1000);
      break;
    case ClockStyle::kMinutesSeconds: {
      const long long s = (ms + 500) / 1000;
      std::snprintf(text, sizeof text, "%02lld:%02lld", s / 60, s % 60);
      break;
    }
  }
  return text;
}

}  // namespace lf
