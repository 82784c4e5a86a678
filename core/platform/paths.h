#pragma once
#include <string>

namespace lf {

// The program's data folder: ../share/lyricforge beside the executable when
// installed, else the source tree's resources folder.
std::string DataFolder();

// A new private folder under $TMPDIR for one run's working files, named
// PREFIX.lfrun-PID-XXXXXX; removed by the caller (or by ScopedTempFolder), and
// by the next run when a killed one could not.
std::string MakePrivateTempFolder(const std::string& prefix = "lyricforge");

class ScopedTempFolder {
 public:
  explicit ScopedTempFolder(const std::string& prefix = "lyricforge");
  ~ScopedTempFolder();
  ScopedTempFolder(const ScopedTempFolder&) = delete;
  ScopedTempFolder& operator=(const ScopedTempFolder&) = delete;
  const std::string& Path() const { return m_path; }
  std::string File(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

}  // namespace lf
