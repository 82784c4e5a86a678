#pragma once
// Recovery files: while a project has unsaved changes the program writes
// the song, every minute, to a project file of its own in the user's state
// folder ($XDG_STATE_HOME/lyricforge, else ~/.local/state/lyricforge), never
// over the project. Each is "STEM-HASH.lfp" (the hash of the project's full
// path, so that two songs of one name in two folders keep apart) with
// "STEM-HASH.lfp.origin" beside it naming the project. A clean close or a
// save removes both; what is left after a crash is offered at the next
// start. lyricforge-cli opens a recovery file like any project.
#include <ctime>
#include <string>
#include <vector>

#include "core/platform/outcome.h"

namespace lf {

class Song;

struct RecoveryEntry {
  std::string recoveryPath;  // the autosaved project file
  std::string projectPath;   // the project it holds changes to
  std::time_t savedAt = 0;   // when it was last written
};

// Seconds between two recovery saves ("RecoveryIntervalSeconds", 60 unless
// set; 0 turns them off).
int RecoveryIntervalSeconds();
void SetRecoveryIntervalSeconds(int seconds);

std::string RecoveryFolder();
std::string RecoveryPathFor(const std::string& projectPath);

// Writes `song` (which has a project path) to its recovery file; its own
// file, path and modified flag are left as they are. False when it cannot.
bool WriteRecovery(const Song& song);
// Removes the recovery file of `projectPath` and its origin, when there are any.
void RemoveRecovery(const std::string& projectPath);

// Recovery files to offer: those whose project is not open in a running
// program (its lock is free). Stale ones are removed on the way: an origin
// without its file (or unreadable), and a file older than its project (the
// project was saved after it, by this program or another).
std::vector<RecoveryEntry> PendingRecoveries();

// "Recover unsaved changes to NAME from TIME?"
std::string RecoveryQuestion(const RecoveryEntry& entry);

// Reads the recovered work into `song`, which becomes the project at
// entry.projectPath with unsaved changes; the recovery file stays until the
// author saves or closes cleanly.
Outcome LoadRecovery(Song& song, const RecoveryEntry& entry);

}  // namespace lf
