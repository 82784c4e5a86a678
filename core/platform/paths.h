#pragma once
#include <stdexcept>
#include <string>

namespace lf {

// The program's data folder: ../share/lyricforge beside the executable when
// installed, else the source tree's resources folder.
std::string DataFolder();

// What MakePrivateTempFolder throws when the folder cannot be made (the
// temporary folder is full, missing or not writable).
class TempFolderError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A new private folder under $TMPDIR for one run's working files, named
// PREFIX.lfrun-PID-XXXXXX; removed by the caller (or by ScopedTempFolder), and
// by the next run when a killed one could not.
std::string MakePrivateTempFolder(const std::string& prefix = "lyricforge");

// A folder only this user can enter, for rendezvous files such as a local
// socket: $XDG_RUNTIME_DIR when it is this user's own and closed to others,
// else FALLBACKBASE/lyricforge-UID made (or found) so: one place whatever
// $TMPDIR says, so every run of the user meets there, and nothing is left in
// $TMPDIR. "" when neither can be had safely: a folder of that name owned by
// someone else, open to others or a link is never used.
std::string PrivateRuntimeFolder(const std::string& fallbackBase = "/tmp");

// True when `path` is a folder (not a link) owned by this user that no one
// else may enter or change.
bool IsPrivateFolder(const std::string& path);

// True when the process at the other end of the connected local socket `fd`
// runs as this user (SO_PEERCRED).
bool PeerIsThisUser(int fd);

class ScopedTempFolder {
 public:
  explicit ScopedTempFolder(const std::string& prefix = "lyricforge");
  ~ScopedTempFolder();
  ScopedTempFolder(const ScopedTempFolder&) = delete;
  ScopedTempFolder& operator=(const ScopedTempFolder&) = delete;
  const std::string& Path() const { return m_path; }
  std::string File(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

}  // namespace lf
