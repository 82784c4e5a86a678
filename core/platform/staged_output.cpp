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
#include <random>
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

// `unguessable` draws the number at random, for a name after one someone
// else already holds: the next numbers in turn may be taken as well.
std::string TempNameFor(const fs::path& finalPath, bool unguessable = false) {
  static std::atomic<unsigned> counter{0};
  const unsigned number = unguessable ? std::random_device{}() : counter++;
  const std::string prefix = kStagingPrefix + std::to_string(getpid()) + "-" + std::to_string(number) + "-";
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

// A new file at `path`, never an existing one nor the target of a link there.
int CreateNewFile(const std::string& path) {
  return open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}

// True when `path` names the file open at `fd`, or a file of this user's
// that only that name holds (what a writer staging its own output renamed
// there): never a link, nor a file of someone else's.
bool StillNamesFile(const std::string& path, int fd) {
  struct stat named {};
  struct stat opened {};
  if (lstat(path.c_str(), &named) != 0 || fstat(fd, &opened) != 0 || !S_ISREG(named.st_mode)) return false;
  if (named.st_dev == opened.st_dev && named.st_ino == opened.st_ino) return true;
  return named.st_uid == geteuid() && named.st_nlink == 1;
}

// Gives the file at `path` (never through a link) its mode and puts it on
// the disk before its name replaces the old one.
bool SetModeAndFlush(const std::string& path, mode_t mode) {
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = fchmod(fd, mode) == 0 && (fsync(fd) == 0 || errno == EINVAL);
  const int error = errno;
  close(fd);
  errno = error;
  return ok;
}

// The mode a file created by open() would have had: 0666 less the umask
// (read from /proc, as umask() itself would change it for every thread).
mode_t NewFileMode() {
  unsigned mask = 022;
  if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, status))
      if (std::sscanf(line, "Umask: %o", &mask) == 1) break;
    std::fclose(status);
  }
  return static_cast<mode_t>(0666 & ~mask);
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
  // A name someone else holds (a planted link, a file) is passed over for the next one.
  constexpr int kNameTries = 100;
  for (int attempt = 0; attempt < kNameTries; ++attempt) {
    m_tempPath = TempNameFor(m_finalPath, attempt > 0);
    m_descriptor = CreateNewFile(m_tempPath);
    if (m_descriptor >= 0 || errno != EEXIST) break;
  }
}

StagedOutput::~StagedOutput() {
  Discard();
  if (m_descriptor >= 0) close(m_descriptor);
}

std::FILE* StagedOutput::OpenStream(const char* mode) const {
  if (m_descriptor < 0) return nullptr;
  const int copy = fcntl(m_descriptor, F_DUPFD_CLOEXEC, 0);
  if (copy < 0) return nullptr;
  std::FILE* stream = nullptr;
  if (ftruncate(copy, 0) == 0 && lseek(copy, 0, SEEK_SET) == 0) stream = fdopen(copy, mode);
  if (!stream) close(copy);
  return stream;
}

std::string StagedOutput::DescriptorPath() const {
  if (m_descriptor < 0) return m_tempPath;
  const std::string path = "/proc/self/fd/" + std::to_string(m_descriptor);
  return access(path.c_str(), W_OK) == 0 ? path : m_tempPath;
}

bool StagedOutput::Commit(std::string* error) {
  if (m_done) return false;
  if (m_descriptor < 0 || !StillNamesFile(m_tempPath, m_descriptor)) {
    if (error) *error = "cannot write " + m_finalPath + ": its temporary file could not be created or was replaced";
    m_done = true;  // a name that is not ours is left alone
    return false;
  }
  struct stat existing {};
  if (stat(m_finalPath.c_str(), &existing) != 0) existing.st_mode = 0;
  if (existing.st_mode != 0 && !S_ISREG(existing.st_mode)) {
    if (error) *error = "cannot write " + m_finalPath + ": not a regular file";
    Discard();
    return false;
  }
  const mode_t mode = S_ISREG(existing.st_mode) ? existing.st_mode & 07777
                      : m_keptMode >= 0         ? static_cast<mode_t>(m_keptMode)
                                                : NewFileMode();
  std::error_code ec;
  if (!SetModeAndFlush(m_tempPath, mode)) ec = std::error_code(errno, std::generic_category());
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
  m_done = true;
  // Only the file created here is removed, never what another process put at its name.
  if (m_descriptor < 0 || !StillNamesFile(m_tempPath, m_descriptor)) return;
  std::error_code ec;
  fs::remove(m_tempPath, ec);
}

namespace {

// What a final path held before a set was committed: a second name (a hard
// link under a staging name, swept like one) for the old file, or none.
struct KeptFile {
  std::string finalPath;
  std::string keptPath;  // "" when there was no file
};

KeptFile KeepAside(const std::string& finalPath) {
  KeptFile kept{finalPath, ""};
  struct stat info {};
  if (lstat(finalPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return kept;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = TempNameFor(finalPath, attempt > 0);
    if (link(finalPath.c_str(), name.c_str()) == 0) {
      kept.keptPath = name;
      break;
    }
    if (errno != EEXIST) break;
  }
  return kept;
}

// Gives the final path back what it held; a path that held nothing is emptied.
void GiveBack(const KeptFile& kept) {
  std::error_code ec;
  if (kept.keptPath.empty()) {
    fs::remove(kept.finalPath, ec);
    return;
  }
  fs::rename(kept.keptPath, kept.finalPath, ec);
  fs::remove(kept.keptPath, ec);  // still there when both names were one file
}

}  // namespace

bool StagedOutput::CommitTogether(const std::vector<StagedOutput*>& outputs, std::string* error) {
  std::vector<KeptFile> kept;
  kept.reserve(outputs.size());
  bool ok = true;
  for (StagedOutput* out : outputs) {
    kept.push_back(KeepAside(out->m_finalPath));
    struct stat info {};
    const bool existed = lstat(out->m_finalPath.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    if (existed && kept.back().keptPath.empty()) ok = false;  // the old file could not be kept
    if (existed) out->m_keptMode = static_cast<int>(info.st_mode & 07777);
  }
  // The companions go first and the first file last, each renamed over the
  // old one, so every name always holds a whole file (old or new, even when
  // the process is killed between two renames) and the new first file, which
  // a reader opens, only ever appears beside its new companions.
  std::vector<size_t> order;
  for (size_t i = 1; i < outputs.size(); ++i) order.push_back(i);
  if (!outputs.empty()) order.push_back(0);
  std::vector<bool> committed(outputs.size(), false);
  for (size_t i : order) {
    if (!ok) break;
    committed[i] = outputs[i]->Commit(error);
    ok = committed[i];
  }
  if (!ok) {
    for (StagedOutput* out : outputs) out->Discard();
    std::error_code ec;
    for (size_t i = 0; i < kept.size(); ++i) {
      if (committed[i])
        GiveBack(kept[i]);
      else if (!kept[i].keptPath.empty())
        fs::remove(kept[i].keptPath, ec);  // the final path still holds the old file
    }
    if (error && error->empty()) *error = "the files could not be put in place together";
    return false;
  }
  std::error_code ec;
  for (const KeptFile& k : kept)
    if (!k.keptPath.empty()) fs::remove(k.keptPath, ec);
  return true;
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
