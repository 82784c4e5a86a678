#include "core/platform/project_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace lf {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(20);

// The project's real file: both names of a linked project share one lock.
fs::path RealProject(const std::string& projectPath) {
  std::error_code ec;
  fs::path p = fs::weakly_canonical(fs::absolute(projectPath, ec), ec);
  return ec ? fs::path(projectPath) : p;
}

std::string HolderLine(const std::string& holder) {
  char host[HOST_NAME_MAX + 1] = {};
  gethostname(host, sizeof host - 1);
  const char* user = std::getenv("USER");
  return holder + " (process " + std::to_string(getpid()) + ", " + (user && *user ? user : "?") + "@" + host + ")";
}

std::string ReadHolder(int fd) {
  char text[512] = {};
  const ssize_t n = pread(fd, text, sizeof text - 1, 0);
  std::string line(text, n > 0 ? static_cast<size_t>(n) : 0);
  line = line.substr(0, line.find('\n'));
  return line.empty() ? "another program" : line;
}

// A lock file made by another user may not be writable; locking needs only reading.
// When neither open works, errno is the first one's (a folder that cannot be
// written says EACCES, not that the lock file is missing).
int OpenLockFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd >= 0 || errno != EACCES) return fd;
  const int readOnly = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (readOnly < 0) errno = EACCES;
  return readOnly;
}

}  // namespace

std::string ProjectLockPath(const std::string& projectPath) {
  const fs::path real = RealProject(projectPath);
  const long limit = pathconf(real.parent_path().c_str(), _PC_NAME_MAX);
  const size_t room = (limit > 0 ? static_cast<size_t>(limit) : 255) - std::strlen("..lock");
  std::string name = real.filename().string();
  if (name.size() > room) name.resize(room);
  return (real.parent_path() / ("." + name + ".lock")).string();
}

std::unique_ptr<ProjectLock> ProjectLock::Acquire(const std::string& projectPath, const std::string& holder,
                                                  std::chrono::milliseconds wait, std::string* why) {
  const std::string lockPath = ProjectLockPath(projectPath);
  const int fd = OpenLockFile(lockPath);
  if (fd < 0) {
    const int error = errno;
    if (why) *why = "cannot lock the project (" + lockPath + "): " + std::strerror(error);
    errno = error;
    return nullptr;
  }
  const auto deadline = std::chrono::steady_clock::now() + wait;
  while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) {
      if (why) *why = "cannot lock the project: " + std::string(std::strerror(errno));
      close(fd);
      return nullptr;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      if (why) *why = "the project is in use by " + ReadHolder(fd);
      close(fd);
      errno = EWOULDBLOCK;
      return nullptr;
    }
    std::this_thread::sleep_for(kPollInterval);
  }
  const std::string line = HolderLine(holder) + "\n";
  if (ftruncate(fd, 0) == 0) {
    const ssize_t written = pwrite(fd, line.data(), line.size(), 0);
    (void)written;  // the lock holds without its description
  }
  return std::unique_ptr<ProjectLock>(new ProjectLock(fd, lockPath));
}

ProjectLock::~ProjectLock() {
  // The file stays: removing it would let a waiting opener lock a name that a
  // newcomer then creates afresh, and both would hold "the" lock.
  [[maybe_unused]] const int cleared = ftruncate(m_fd, 0);
  close(m_fd);
}

std::string ProjectLockHolder(const std::string& projectPath) {
  const int fd = open(ProjectLockPath(projectPath).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return "";
  std::string holder;
  if (flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK)
    holder = ReadHolder(fd);
  else
    flock(fd, LOCK_UN);
  close(fd);
  return holder;
}

}  // namespace lf
