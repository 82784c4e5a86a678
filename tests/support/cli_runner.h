#pragma once
// Runs lyricforge-cli as a black box: arguments in; exit code, standard output
// and standard error out.
#include <string>
#include <utility>
#include <vector>

#include "tests/support/wav_fixture.h"  // WriteFileBytes, ReadFileBytes

namespace lf::test {

struct CliResult {
  int exitCode = -1;  // -1 when the program did not exit normally (a crash)
  std::string out;
  std::string err;
};

CliResult RunCli(const std::vector<std::string>& args);

// Each word's saved start and end, in sample frames, as `lines --json` tells
// them (a failed run fails the calling test and gives none).
std::vector<std::pair<long, long>> SavedWordTimes(const std::string& project);

// A fresh empty folder under the system's temporary folder, removed by the destructor.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return m_path; }
  std::string File(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

}  // namespace lf::test
