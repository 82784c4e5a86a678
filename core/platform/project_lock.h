#pragma once
// The advisory lock of a project: whoever changes a project (a command-line
// run between its load and its save, the desktop program while the project is
// open) holds it, so two writers never both load the same state and the later
// save loses the earlier one's change. The lock lives in a small hidden file
// beside the project (".NAME.lock", the project's own file is replaced by each
// save), holds a line saying who holds it, and ends with its holder's process,
// however that ends.
#include <chrono>
#include <memory>
#include <string>

namespace lf {

class ProjectLock {
 public:
  // Takes the lock of the project at `projectPath` (links followed) for
  // `holder` (what a second opener is told, such as "lyricforge-cli set"),
  // waiting up to `wait` for another holder to let go. Null when it cannot,
  // with the reason in `*why`: who holds it (errno EWOULDBLOCK), or why the
  // lock cannot be made (errno says, EACCES for a folder that cannot be written).
  static std::unique_ptr<ProjectLock> Acquire(const std::string& projectPath, const std::string& holder,
                                              std::chrono::milliseconds wait, std::string* why);
  ~ProjectLock();  // lets go
  ProjectLock(const ProjectLock&) = delete;
  ProjectLock& operator=(const ProjectLock&) = delete;

  const std::string& LockPath() const { return m_lockPath; }

 private:
  ProjectLock(int fd, std::string lockPath) : m_fd(fd), m_lockPath(std::move(lockPath)) {}
  int m_fd;
  std::string m_lockPath;
};

// The lock file of a project: ".NAME.lock" beside the real file, shortened to
// fit the folder's name limit.
std::string ProjectLockPath(const std::string& projectPath);
// Who holds the lock of the project ("" when nobody does).
std::string ProjectLockHolder(const std::string& projectPath);

}  // namespace lf
