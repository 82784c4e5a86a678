#include "audio/staged_output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

namespace lf {

StagedOutputFile::StagedOutputFile(std::string targetPath) : m_targetPath(std::move(targetPath)) {}

StagedOutputFile::~StagedOutputFile() {
  CloseWithoutCommit();
  if (!m_committed && !m_tempPath.empty()) ::unlink(m_tempPath.c_str());
}

bool StagedOutputFile::Create() {
  if (m_targetPath.empty()) {
    m_error = "No output file name was given.";
    return false;
  }
  std::random_device seed;
  std::mt19937 rng(seed());
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::string candidate = m_targetPath + ".part" + std::to_string(rng() % 1000000);
    // O_EXCL: never reuse someone else's file; 0666 lets the umask decide as
    // it would for the target itself.
    const int fd = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      m_error = "Unable to create \"" + m_targetPath + "\": " + std::strerror(errno);
      return false;
    }
    m_file = ::fdopen(fd, "w+b");
    if (!m_file) {
      ::close(fd);
      ::unlink(candidate.c_str());
      m_error = "Unable to open \"" + candidate + "\" for writing.";
      return false;
    }
    m_tempPath = candidate;
    return true;
  }
  m_error = "Unable to find a free temporary name beside \"" + m_targetPath + "\".";
  return false;
}

void StagedOutputFile::CloseWithoutCommit() {
  if (m_file) std::fclose(m_file);
  m_file = nullptr;
}

bool StagedOutputFile::Commit() {
  if (m_tempPath.empty()) {
    m_error = "The output file was never created.";
    return false;
  }
  if (m_file) {
    const bool flushed = std::fflush(m_file) == 0;
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (!flushed || !closed) {
      m_error = "Unable to finish writing \"" + m_targetPath + "\" (disk full?).";
      return false;
    }
  }
  if (::rename(m_tempPath.c_str(), m_targetPath.c_str()) != 0) {
    m_error = "Unable to write \"" + m_targetPath + "\": " + std::strerror(errno);
    return false;
  }
  m_committed = true;
  return true;
}

}  // namespace lf
