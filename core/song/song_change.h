#pragma once
// What the song tells its observers when it changes. Notices come on the
// thread that changed the song (the GUI thread in the desktop program),
// after the change, once per change.
#include <algorithm>
#include <functional>
#include <vector>

namespace lf {

enum class SongChange {
  Modified,      // the modified flag changed (the window title follows it)
  LinesRebuilt,  // lines and words were replaced: every held line or word pointer is stale
  Artist,
  Title,
  DuetLabels,
};

// The song's list of observers. Add hands back an id for Remove; an observer
// must be removed before it goes away.
class SongObservers {
 public:
  using Observer = std::function<void(SongChange)>;
  int Add(Observer observer) {
    m_observers.push_back({++m_lastId, std::move(observer)});
    return m_lastId;
  }
  void Remove(int id) {
    std::erase_if(m_observers, [id](const Entry& e) { return e.id == id; });
  }
  // An observer may add or remove observers while it is told: those removed
  // are not told any more, those added hear from the next notice on.
  void Notify(SongChange change) {
    if (m_held > 0) {
      if (std::find(m_pending.begin(), m_pending.end(), change) == m_pending.end()) m_pending.push_back(change);
      return;
    }
    std::vector<int> ids;
    for (const Entry& e : m_observers) ids.push_back(e.id);
    for (int id : ids) {
      auto it = std::find_if(m_observers.begin(), m_observers.end(), [id](const Entry& e) { return e.id == id; });
      if (it == m_observers.end()) continue;
      const Observer observer = it->observer;  // the entry may go while it runs
      observer(change);
    }
  }

  // Work that makes many changes at once (a load) holds the notices and tells
  // each kind once, in the order first made, when the last hold ends.
  void Hold() { ++m_held; }
  void Release() {
    if (m_held == 0 || --m_held > 0) return;
    const std::vector<SongChange> pending = std::move(m_pending);
    m_pending.clear();
    for (SongChange change : pending) Notify(change);
  }

 private:
  struct Entry {
    int id;
    Observer observer;
  };
  std::vector<Entry> m_observers;
  int m_lastId = 0;
  int m_held = 0;
  std::vector<SongChange> m_pending;
};

}  // namespace lf
