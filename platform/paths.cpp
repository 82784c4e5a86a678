#include "platform/paths.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
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

std::string MakePrivateTempFolder(const std::string& prefix) {
  std::string base = fs::temp_directory_path().string();
  std::string templ = base + "/" + prefix + "-XXXXXX";
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
