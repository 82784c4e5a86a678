#pragma once
// An output file written under a temporary name beside its target and renamed
// into place only when complete, so a failed or cancelled encode never leaves
// a file that passes for a good one, and an older target survives the failure.
#include <cstdio>
#include <string>

namespace lf {

class StagedOutputFile {
 public:
  explicit StagedOutputFile(std::string targetPath);
  ~StagedOutputFile();  // removes the temporary file unless committed
  StagedOutputFile(const StagedOutputFile&) = delete;
  StagedOutputFile& operator=(const StagedOutputFile&) = delete;

  // Creates the temporary file; false (with Error()) when it cannot be made.
  bool Create();
  // The temporary file, open for reading and writing ("w+b"), until Commit.
  std::FILE* File() const { return m_file; }
  const std::string& TempPath() const { return m_tempPath; }
  const std::string& TargetPath() const { return m_targetPath; }

  // Closes the file (a failed close is a failed write) and renames it onto
  // the target. False with Error() on failure; the temporary file is removed.
  bool Commit();
  // Closes the file without committing; the destructor removes it.
  void CloseWithoutCommit();
  const std::string& Error() const { return m_error; }

 private:
  std::string m_targetPath;
  std::string m_tempPath;
  std::FILE* m_file = nullptr;
  bool m_committed = false;
  std::string m_error;
};

}  // namespace lf
