#pragma once
// An output file written under a temporary name beside its final path and
// renamed into place only when complete, so a failed or cancelled export never
// leaves a partial file (nor destroys the file it would have replaced).
#include <string>

namespace lf {

class StagedOutput {
 public:
  // `finalPath` is where the file goes. The temporary name keeps the extension,
  // so tools that pick a format by extension treat both alike.
  explicit StagedOutput(std::string finalPath);
  ~StagedOutput();  // removes the temporary file unless committed
  StagedOutput(const StagedOutput&) = delete;
  StagedOutput& operator=(const StagedOutput&) = delete;

  const std::string& TempPath() const { return m_tempPath; }
  const std::string& FinalPath() const { return m_finalPath; }
  // Renames the temporary file over the final path; false (and an error text) on failure.
  bool Commit(std::string* error = nullptr);
  void Discard();

 private:
  std::string m_finalPath;
  std::string m_tempPath;
  bool m_done = false;
};

// Why `path` cannot be written as an output ("" when it can): its folder must
// exist, be a folder and be writable, and the path itself must not be a folder.
std::string OutputPathProblem(const std::string& path);

// True when a and b name the same file (also through links or relative forms).
bool SameFile(const std::string& a, const std::string& b);

// `path` up to its last dot (in the file name) followed by `extension` (with its dot).
std::string ReplaceExtension(const std::string& path, const std::string& extension);

}  // namespace lf
