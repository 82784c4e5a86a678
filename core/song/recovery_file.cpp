#include "core/song/recovery_file.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/platform/project_lock.h"
#include "core/platform/settings.h"
#include "core/song/project_file.h"
#include "core/song/song.h"

namespace lf {

namespace fs = std::filesystem;

namespace {

constexpr const char* kOriginSuffix = ".origin";

std::string AbsolutePath(const std::string& path) {
  std::error_code ec;
  const fs::path absolute = fs::weakly_canonical(fs::absolute(path, ec), ec);
  return ec ? path : absolute.string();
}

// FNV-1a, 64 bits: a stable name for a path (std::hash may differ between builds).
std::string PathHash(const std::string& path) {
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : path) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

std::time_t ModifiedAt(const fs::path& path, std::error_code& ec) {
  const auto written = fs::last_write_time(path, ec);
  if (ec) return 0;
  // The file clock's epoch is its own: carried over by the distance from now.
  const auto system =
      std::chrono::system_clock::now() +
      std::chrono::duration_cast<std::chrono::system_clock::duration>(written - fs::file_time_type::clock::now());
  return std::chrono::system_clock::to_time_t(system);
}

void RemoveQuietly(const fs::path& path) {
  std::error_code ignored;
  fs::remove(path, ignored);
}

}  // namespace

int RecoveryIntervalSeconds() {
  return std::clamp(AppSettings().Int("Settings", "RecoveryIntervalSeconds", 60), 0, 3600);
}
void SetRecoveryIntervalSeconds(int seconds) {
  AppSettings().SetInt("Settings", "RecoveryIntervalSeconds", std::clamp(seconds, 0, 3600));
}

std::string RecoveryFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state && *state == '/') return std::string(state) + "/lyricforge";
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.local/state/lyricforge";
}

std::string RecoveryPathFor(const std::string& projectPath) {
  const std::string absolute = AbsolutePath(projectPath);
  return RecoveryFolder() + "/" + fs::path(absolute).stem().string() + "-" + PathHash(absolute) + ".lfp";
}

bool WriteRecovery(const Song& song) {
  if (song.ProjectPath().empty()) return false;
  std::error_code ec;
  fs::create_directories(RecoveryFolder(), ec);
  if (ec) return false;
  const std::string path = RecoveryPathFor(song.ProjectPath());
  {
    std::ofstream origin(path + kOriginSuffix, std::ios::trunc);
    origin << AbsolutePath(song.ProjectPath()) << '\n';
    if (!origin.flush()) return false;
  }
  return WriteProjectFile(song, path);
}

void RemoveRecovery(const std::string& projectPath) {
  const std::string path = RecoveryPathFor(projectPath);
  RemoveQuietly(path);
  RemoveQuietly(path + kOriginSuffix);
}

std::vector<RecoveryEntry> PendingRecoveries() {
  std::vector<RecoveryEntry> entries;
  std::error_code ec;
  for (const fs::directory_entry& file : fs::directory_iterator(RecoveryFolder(), ec)) {
    const std::string origin = file.path().string();
    if (!origin.ends_with(kOriginSuffix)) continue;
    RecoveryEntry entry;
    entry.recoveryPath = origin.substr(0, origin.size() - std::char_traits<char>::length(kOriginSuffix));
    std::ifstream in(origin);
    std::getline(in, entry.projectPath);
    std::error_code statError;
    entry.savedAt = ModifiedAt(entry.recoveryPath, statError);
    if (entry.projectPath.empty() || statError) {
      RemoveQuietly(entry.recoveryPath);
      RemoveQuietly(origin);
      continue;
    }
    std::error_code projectError, recoveryError;
    const auto projectSaved = fs::last_write_time(entry.projectPath, projectError);
    const auto recoverySaved = fs::last_write_time(entry.recoveryPath, recoveryError);
    if (!projectError && !recoveryError && projectSaved > recoverySaved) {
      RemoveRecovery(entry.projectPath);
      continue;
    }
    if (!ProjectLockHolder(entry.projectPath).empty()) continue;  // open in a running program
    entries.push_back(entry);
  }
  return entries;
}

std::string RecoveryQuestion(const RecoveryEntry& entry) {
  char when[64] = "";
  std::tm local{};
  if (localtime_r(&entry.savedAt, &local)) std::strftime(when, sizeof when, "%H:%M on %Y-%m-%d", &local);
  return "Recover unsaved changes to " + fs::path(entry.projectPath).filename().string() + " from " + when + "?";
}

Outcome LoadRecovery(Song& song, const RecoveryEntry& entry) {
  song.SetProjectPath(entry.projectPath);
  Outcome loaded = song.LoadProjectFrom(entry.recoveryPath);
  if (loaded) song.SetModified(true);
  return loaded;
}

}  // namespace lf
