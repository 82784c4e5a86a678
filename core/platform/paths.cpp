#include "core/platform/paths.h"

#include <signal.h>
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
  std::string base = fs::temp_directory_path().string();
  RemoveStaleRunFolders(base);
  std::string templ = base + "/" + prefix + kRunMarker + std::to_string(getpid()) + "-XXXXXX";
  std::vector<char> buf(templ.begin(), templ.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data())) throw std::runtime_error("cannot create a temporary folder in " + base);
  return std::string(buf.data());
}

ScopedTempFolder::ScopedTempFolder(const std::string& prefix) : m_path(MakePrivateTempFolder(prefix)) {}

ScopedTempFolder::~ScopedTempFolder() {
  std::error_code ec;
  fs::remove_all(m_path, ec);
}

}  // namespace lf
