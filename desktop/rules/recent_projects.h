#pragma once
// The projects opened last, most recent first, as the File menu lists them
// and the settings keep them ("Recent File List", "File1" to "File4").
#include <string>
#include <vector>

namespace lf {

class SettingsStore;

inline constexpr int kRecentProjectCount = 4;

class RecentProjects {
 public:
  // The stored list; empty and repeated entries are skipped.
  static RecentProjects Read(const SettingsStore& settings);
  void Write(SettingsStore& settings) const;

  // `path` becomes the first entry; an older entry of it goes, and the list
  // keeps the four most recent.
  void Add(const std::string& path);
  void Remove(const std::string& path);
  const std::vector<std::string>& Paths() const { return m_paths; }

 private:
  std::vector<std::string> m_paths;
};

// The File menu item of entry `index` (0 is the most recent): "&1 " and the
// path, the home folder shown as "~", a long path shortened in its middle
// with its file name whole, and '&' doubled so it is no mnemonic.
std::string RecentProjectLabel(int index, const std::string& path, const std::string& home);

// What the user is told when a recent project is no longer there.
std::string RecentProjectMissingText(const std::string& path);

}  // namespace lf
