#pragma once
// A manual- or auto-reset event, as the player threads hand work over with.
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace lf {

class Event {
 public:
  explicit Event(bool manualReset, bool initiallySet = false) : m_manualReset(manualReset), m_set(initiallySet) {}

  void Set() {
    {
      std::lock_guard lock(m_mutex);
      m_set = true;
    }
    m_cv.notify_all();
  }
  void Reset() {
    std::lock_guard lock(m_mutex);
    m_set = false;
  }
  bool IsSet() const {
    std::lock_guard lock(m_mutex);
    return m_set;
  }

  // Waits until set; an auto-reset event is cleared by the waiter it wakes.
  void Wait() {
    std::unique_lock lock(m_mutex);
    m_cv.wait(lock, [this] { return m_set; });
    if (!m_manualReset) m_set = false;
  }
  // Returns false on time-out.
  bool WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    if (!m_cv.wait_for(lock, timeout, [this] { return m_set; })) return false;
    if (!m_manualReset) m_set = false;
    return true;
  }

 private:
  const bool m_manualReset;
  bool m_set;
  mutable std::mutex m_mutex;
  std::condition_variable m_cv;
};

}  // namespace lf
