#include "core/platform/paths.h"

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace fs = std::filesystem;

namespace lf {

std::string DataFolder() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    fs::path installed = exe.parent_path() / ".." / "share" / "lyricforge";
    if (fs::is_directory(installed, ec)) return fs::weakly_canonical(installed, ec).string();
  }
#ifdef LYRICFORGE_SOURCE_DIR
  return std::string(LYRICFORGE_SOURCE_DIR) + "/resources";
#else
  return "resources";
#endif
}

namespace {

constexpr const char* kRunMarker = ".lfrun-";

// The process that made a private folder name "PREFIX.lfrun-PID-XXXXXX"; 0 otherwise.
long RunFolderOwner(const std::string& name) {
  const size_t at = name.rfind(kRunMarker);
  if (at == std::string::npos) return 0;
  const char* digits = name.c_str() + at + std::string(kRunMarker).size();
  char* end = nullptr;
  const long pid = std::strtol(digits, &end, 10);
  return end != digits && *end == '-' && std::strlen(end + 1) == 6 ? pid : 0;
}

// Folders of runs that were killed before they could remove their own.
void RemoveStaleRunFolders(const fs::path& base) {
  static std::once_flag once;
  std::call_once(once, [&] {
    std::error_code ec;
    for (fs::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
      const long owner = RunFolderOwner(it->path().filename().string());
      if (owner <= 0 || kill(static_cast<pid_t>(owner), 0) == 0 || errno == EPERM) continue;
      std::error_code ignored;
      struct stat info {};
      if (it->is_directory(ignored) && lstat(it->path().c_str(), &info) == 0 && info.st_uid == getuid())
        fs::remove_all(it->path(), ignored);
    }
  });
}

}  // namespace

std::string MakePrivateTempFolder(const std::string& prefix) {
  std::error_code ec;
  const std::string base = fs::temp_directory_path(ec).string();
  if (ec) {
    const char* named = std::getenv("TMPDIR");
    throw TempFolderError("the working folder cannot be made in " + std::string(named ? named : "/tmp") + ": " +
                          ec.message());
  }
  RemoveStaleRunFolders(base);
  std::string templ = base + "/" + prefix + kRunMarker + std::to_string(getpid()) + "-XXXXXX";
  std::vector<char> buf(templ.begin(), templ.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data()))
    throw TempFolderError("the working folder cannot be made in " + base + ": " + std::strerror(errno));
  return std::string(buf.data());
}

bool IsPrivateFolder(const std::string& path) {
  struct stat info {};
  return !path.empty() && lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid() &&
         (info.st_mode & 077) == 0;
}

std::string PrivateRuntimeFolder(const std::string& fallbackBase) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime == '/' && IsPrivateFolder(runtime)) return runtime;
  const std::string folder = fallbackBase + "/lyricforge-" + std::to_string(getuid());
  // mkdir makes it ours and closed, or fails on what is there, which is then checked.
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return "";
  return IsPrivateFolder(folder) ? folder : "";
}

bool PeerIsThisUser(int fd) {
  struct ucred peer {};
  socklen_t length = sizeof peer;
  return fd >= 0 && getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && length == sizeof peer &&
         peer.uid == getuid();
}

ScopedTempFolder::ScopedTempFolder(const std::string& prefix) : m_path(MakePrivateTempFolder(prefix)) {}

ScopedTempFolder::~ScopedTempFolder() {
  std::error_code ec;
  fs::remove_all(m_path, ec);
}

}  // namespace lf
