#pragma once
// The desktop program's hold on the open project's lock: taken when a project
// is opened or saved under a new name, let go when it is closed, so a
// command-line run or another copy of the program cannot change the file
// underneath it. The name in the lock says who holds it ("lyricforge (process
// N, user@host)").
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "core/platform/project_lock.h"

namespace lf {

inline constexpr const char* kDesktopLockHolder = "lyricforge";

// What the user is told when another program holds the project at `path`
// that they tried to open, or to save their project over.
std::string ProjectInUseText(const std::string& path, const std::string& holder, bool savingOverIt);

class ProjectLockKeeper {
 public:
  // The lock of one project, taken beside the one held until it is kept.
  struct Claim {
    std::unique_ptr<ProjectLock> lock;  // null when the lock cannot be made or is held already
    bool alreadyHeld = false;
  };

  explicit ProjectLockKeeper(std::chrono::milliseconds wait = std::chrono::seconds(1)) : m_wait(wait) {}

  // Claims the lock of the project at `path`. Nothing when another program
  // holds it, with its description in `*holder`. A lock that cannot be made
  // at all (a folder the user may not write to) gives an empty claim: such a
  // project opens, as nothing of ours can write beside it either.
  std::optional<Claim> ClaimLock(const std::string& path, std::string* holder) const;
  // The claim becomes the held lock; the one before is let go.
  void Keep(Claim claim);
  void Release() { m_held.reset(); }
  // The lock file held ("" when none).
  std::string HeldLockPath() const { return m_held ? m_held->LockPath() : std::string(); }

 private:
  std::chrono::milliseconds m_wait;
  std::unique_ptr<ProjectLock> m_held;
};

}  // namespace lf
