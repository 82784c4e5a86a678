#pragma once
// An output file written under a temporary name beside its final path and
// renamed into place only when complete, so a failed or cancelled export never
// leaves a partial file (nor destroys the file it would have replaced).
#include <cstdio>
#include <string>
#include <vector>

namespace lf {

class StagedOutput {
 public:
  // `finalPath` is where the file goes; a symbolic link there is written
  // through, so the link stays and its target gets the new content. The
  // temporary name keeps the extension, so tools that pick a format by
  // extension treat both alike, and it is recognisable as ours (see
  // IsStagingName): one left by a killed run is removed by the next run that
  // stages a file in the same folder. The temporary file is created here,
  // new (never through a link or over a file someone else put at its name),
  // readable by its owner only until it is committed.
  explicit StagedOutput(const std::string& finalPath);
  ~StagedOutput();  // removes the temporary file unless committed
  StagedOutput(const StagedOutput&) = delete;
  StagedOutput& operator=(const StagedOutput&) = delete;

  const std::string& TempPath() const { return m_tempPath; }
  // False when the temporary file could not be created (the folder cannot be
  // written); writing to TempPath() then fails, and so does Commit().
  bool IsCreated() const { return m_descriptor >= 0; }
  // The temporary file opened for writing through the descriptor it was
  // created with ("wb" empties it, "w+b" also reads); null when it was not
  // created. The caller closes the stream.
  std::FILE* OpenStream(const char* mode) const;
  // A name that opens the file created here whatever is at TempPath() by
  // then ("/proc/self/fd/N"), for writers that take a name (FFmpeg, libpng,
  // streams); TempPath() where /proc is missing.
  std::string DescriptorPath() const;
  // Where the file lands: the requested path, or the target of a link there.
  const std::string& FinalPath() const { return m_finalPath; }
  // Renames the temporary file over the final path, giving it the mode of the
  // file it replaces (a new file gets the mode the umask allows); false (and
  // an error text) on failure, when what was there is left as it was. A
  // temporary name that holds neither the file created for it nor another
  // file of this user (an encoder that staged its own output there) is never
  // renamed into place: another process put it there.
  bool Commit(std::string* error = nullptr);
  void Discard();

  // Commits files that a reader takes as one set by their names (an audio
  // file and its .cdg and .lrc): the companions (all but the first) are
  // renamed into place first and the first file last, so a reader that opens
  // the new first file finds its new companions, and each name holds a whole
  // file at every moment. When any step fails, every path already committed
  // is given back what it held before (or left without a file, when it had
  // none) and false is returned.
  static bool CommitTogether(const std::vector<StagedOutput*>& outputs, std::string* error = nullptr);

 private:
  std::string m_finalPath;
  std::string m_tempPath;
  int m_descriptor = -1;
  bool m_done = false;
  int m_keptMode = -1;  // the mode of the file this replaces, when it was moved aside first
};

// A temporary file name of ours: ".lftmp-PID-N-" and the final name (shortened
// to fit the folder's name limit).
bool IsStagingName(const std::string& fileName);
// The process that made a staging name (0 when it is not one).
long StagingOwner(const std::string& fileName);
// Removes the staging files in `folder` whose process has ended.
void RemoveStaleStagingFiles(const std::string& folder);

// Why `path` cannot be written as an output ("" when it can): its folder must
// exist, be a folder and be writable, and the path itself, when it exists,
// must be a regular file (a device, a pipe or a folder is never replaced).
std::string OutputPathProblem(const std::string& path);

// True when a and b name the same file (also through links or relative forms).
bool SameFile(const std::string& a, const std::string& b);

// The first clash among a command's files ("" when none): an output that is
// one of its inputs, or two outputs that are one file. Paths are compared as
// the files they name, through links and relative forms.
std::string OutputClash(const std::vector<std::string>& inputs, const std::vector<std::string>& outputs);

// `path` up to its last dot (in the file name) followed by `extension` (with its dot).
std::string ReplaceExtension(const std::string& path, const std::string& extension);

}  // namespace lf
