#include "platform/staged_output.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace lf {

namespace {
std::string TempNameFor(const std::string& finalPath) {
  static std::atomic<unsigned> counter{0};
  const fs::path p(finalPath);
  std::string name(".");
  name += p.stem().string();
  name += ".lf-";
  name += std::to_string(getpid());
  name += '-';
  name += std::to_string(counter++);
  name += p.extension().string();
  return (p.parent_path() / name).string();
}
}  // namespace

StagedOutput::StagedOutput(std::string finalPath)
    : m_finalPath(std::move(finalPath)), m_tempPath(TempNameFor(m_finalPath)) {}

StagedOutput::~StagedOutput() { Discard(); }

bool StagedOutput::Commit(std::string* error) {
  if (m_done) return false;
  std::error_code ec;
  fs::rename(m_tempPath, m_finalPath, ec);
  if (ec) {
    if (error) *error = "cannot write " + m_finalPath + ": " + ec.message();
    Discard();
    return false;
  }
  m_done = true;
  return true;
}

void StagedOutput::Discard() {
  if (m_done) return;
  std::error_code ec;
  fs::remove(m_tempPath, ec);
  m_done = true;
}

std::string OutputPathProblem(const std::string& path) {
  if (path.empty()) return "no output file was given";
  std::error_code ec;
  fs::path p(path);
  fs::path folder = p.parent_path();
  if (folder.empty()) folder = ".";
  if (!fs::exists(folder, ec)) return "the folder " + folder.string() + " does not exist";
  if (!fs::is_directory(folder, ec)) return folder.string() + " is not a folder";
  if (access(folder.c_str(), W_OK | X_OK) != 0) return "the folder " + folder.string() + " cannot be written";
  if (fs::is_directory(p, ec)) return path + " is a folder";
  return "";
}

bool SameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec) && !ec;
  return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

std::string ReplaceExtension(const std::string& path, const std::string& extension) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path + extension;
  return path.substr(0, dot) + extension;
}

}  // namespace lf
