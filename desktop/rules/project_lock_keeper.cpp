#include "desktop/rules/project_lock_keeper.h"

#include "core/platform/quoted_text.h"

namespace lf {

std::string ProjectInUseText(const std::string& path, const std::string& holder, bool savingOverIt) {
  return "The project\n" + QuoteControlCharacters(path) + "\nis in use by " + QuoteControlCharacters(holder) + ".\n\n" +
         (savingOverIt ? "Your project was not saved over it. Choose another name, or close it there first."
                       : "Close it there, then open it again.");
}

std::optional<ProjectLockKeeper::Claim> ProjectLockKeeper::ClaimLock(const std::string& path,
                                                                     std::string* holder) const {
  Claim claim;
  // A second lock of our own on the same file would wait for ourselves.
  if (m_held && m_held->LockPath() == ProjectLockPath(path)) {
    claim.alreadyHeld = true;
    return claim;
  }
  std::string why;
  claim.lock = ProjectLock::Acquire(path, kDesktopLockHolder, m_wait, &why);
  if (claim.lock) return claim;
  std::string other = ProjectLockHolder(path);
  // Let go of between the two looks: one more try decides.
  if (other.empty()) claim.lock = ProjectLock::Acquire(path, kDesktopLockHolder, std::chrono::milliseconds(0), &why);
  if (!claim.lock && other.empty()) other = ProjectLockHolder(path);
  if (!other.empty()) {
    if (holder) *holder = other;
    return std::nullopt;
  }
  return claim;
}

void ProjectLockKeeper::Keep(Claim claim) {
  if (claim.alreadyHeld) return;
  m_held = std::move(claim.lock);
}

}  // namespace lf
