#include "core/platform/thread_priority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>

namespace lf {

void SetCurrentThreadPriority(int priority) {
  constexpr int kNiceStep = 5;  // one Windows priority step, in nice units
  const int nice = -std::clamp(priority, -2, 2) * kNiceStep;
  // On Linux a nice value set for a thread id applies to that thread alone.
  const auto tid = static_cast<id_t>(syscall(SYS_gettid));
  (void)setpriority(PRIO_PROCESS, tid, nice);
}

}  // namespace lf
