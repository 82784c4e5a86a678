#include "core/platform/staged_output.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <set>

namespace fs = std::filesystem;

namespace lf {

namespace {

constexpr const char* kStagingPrefix = ".lftmp-";

// The longest file name the folder takes (255 on the usual file systems).
size_t NameLimit(const fs::path& folder) {
  const long limit = pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
  return limit > 0 ? static_cast<size_t>(limit) : 255;
}

// `text` cut to at most `bytes` bytes without splitting a UTF-8 character.
std::string CutUtf8(const std::string& text, size_t bytes) {
  if (text.size() <= bytes) return text;
  size_t end = bytes;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

std::string TempNameFor(const fs::path& finalPath) {
  static std::atomic<unsigned> counter{0};
  const std::string prefix = kStagingPrefix + std::to_string(getpid()) + "-" + std::to_string(counter++) + "-";
  const size_t limit = NameLimit(finalPath.parent_path());
  std::string stem = finalPath.stem().string();
  std::string extension = finalPath.extension().string();
  if (prefix.size() + extension.size() > limit) extension.clear();
  stem = CutUtf8(stem, limit - prefix.size() - extension.size());
  return (finalPath.parent_path() / (prefix + stem + extension)).string();
}

// A link at `path` is followed (through chains of links) to the file it names.
std::string ThroughLinks(const std::string& path) {
  std::error_code ec;
  fs::path p(path);
  for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(p, ec)); ++hops) {
    const fs::path target = fs::read_symlink(p, ec);
    if (ec) break;
    p = target.is_absolute() ? target : p.parent_path() / target;
  }
  return p.lexically_normal().string();
}

bool ProcessAlive(long pid) { return pid > 0 && (kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM); }

// Each folder is swept once per run, before its first staged file.
void SweepOnce(const fs::path& folder) {
  static std::mutex mutex;
  static std::set<std::string> swept;
  std::string key = folder.empty() ? "." : folder.string();
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (!swept.insert(key).second) return;
  }
  RemoveStaleStagingFiles(key);
}

// The file is on the disk before its name replaces the old one.
bool FlushToDisk(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = fsync(fd) == 0 || errno == EINVAL;
  close(fd);
  return ok;
}

}  // namespace

bool IsStagingName(const std::string& fileName) { return StagingOwner(fileName) > 0; }

long StagingOwner(const std::string& fileName) {
  const std::string prefix = kStagingPrefix;
  if (fileName.compare(0, prefix.size(), prefix) != 0) return 0;
  const char* digits = fileName.c_str() + prefix.size();
  char* end = nullptr;
  const long pid = std::strtol(digits, &end, 10);
  if (end == digits || *end != '-' || pid <= 0) return 0;
  const char* counter = end + 1;
  std::strtoul(counter, &end, 10);
  return end != counter && *end == '-' ? pid : 0;
}

void RemoveStaleStagingFiles(const std::string& folder) {
  std::error_code ec;
  for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end; it.increment(ec)) {
    const long owner = StagingOwner(it->path().filename().string());
    if (owner <= 0 || ProcessAlive(owner)) continue;
    std::error_code ignored;
    if (it->is_regular_file(ignored)) fs::remove(it->path(), ignored);
  }
}

StagedOutput::StagedOutput(const std::string& finalPath) : m_finalPath(ThroughLinks(finalPath)) {
  SweepOnce(fs::path(m_finalPath).parent_path());
  m_tempPath = TempNameFor(m_finalPath);
}

StagedOutput::~StagedOutput() { Discard(); }

bool StagedOutput::Commit(std::string* error) {
  if (m_done) return false;
  struct stat existing {};
  if (stat(m_finalPath.c_str(), &existing) == 0) {
    if (!S_ISREG(existing.st_mode)) {
      if (error) *error = "cannot write " + m_finalPath + ": not a regular file";
      Discard();
      return false;
    }
    chmod(m_tempPath.c_str(), existing.st_mode & 07777);
  }
  std::error_code ec;
  if (!FlushToDisk(m_tempPath)) ec = std::error_code(errno, std::generic_category());
  if (!ec) fs::rename(m_tempPath, m_finalPath, ec);
  if (ec) {
    if (error) *error = "cannot write " + m_finalPath + ": " + ec.message();
    Discard();
    return false;
  }
  m_done = true;
  return true;
}

void StagedOutput::Discard() {
  if (m_done) return;
  std::error_code ec;
  fs::remove(m_tempPath, ec);
  m_done = true;
}

std::string OutputPathProblem(const std::string& path) {
  if (path.empty()) return "no output file was given";
  std::error_code ec;
  fs::path p(ThroughLinks(path));
  fs::path folder = p.parent_path();
  if (folder.empty()) folder = ".";
  if (!fs::exists(folder, ec)) return "the folder " + folder.string() + " does not exist";
  if (!fs::is_directory(folder, ec)) return folder.string() + " is not a folder";
  if (access(folder.c_str(), W_OK | X_OK) != 0) return "the folder " + folder.string() + " cannot be written";
  if (fs::is_directory(p, ec)) return path + " is a folder";
  if (fs::exists(p, ec) && !fs::is_regular_file(p, ec)) return path + " is not a regular file";
  return "";
}

bool SameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec) && !ec;
  return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

std::string OutputClash(const std::vector<std::string>& inputs, const std::vector<std::string>& outputs) {
  for (size_t i = 0; i < outputs.size(); ++i) {
    for (const std::string& input : inputs)
      if (SameFile(outputs[i], input)) return outputs[i] + " would replace the input " + input;
    for (size_t j = 0; j < i; ++j)
      if (SameFile(outputs[i], outputs[j])) return outputs[i] + " is named twice as an output";
  }
  return "";
}

std::string ReplaceExtension(const std::string& path, const std::string& extension) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path + extension;
  return path.substr(0, dot) + extension;
}

}  // namespace lf
