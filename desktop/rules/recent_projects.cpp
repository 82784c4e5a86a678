#include "desktop/rules/recent_projects.h"

#include <algorithm>

#include "core/platform/quoted_text.h"
#include "core/platform/settings.h"

namespace lf {
namespace {

constexpr const char* kRecentGroup = "Recent File List";
// Longer paths are shortened so the File menu stays a usable width.
constexpr size_t kLabelPathChars = 60;
constexpr const char* kEllipsis = "...";

std::string RecentKey(int index) { return "File" + std::to_string(index + 1); }

std::string HomeAsTilde(const std::string& path, const std::string& home) {
  if (home.empty() || home == "/" || path.size() <= home.size() || path.compare(0, home.size(), home) != 0 ||
      path[home.size()] != '/')
    return path;
  return "~" + path.substr(home.size());
}

// Keeps the start of the folder and the whole file name, cutting between
// whole UTF-8 characters.
std::string ShortenedInTheMiddle(const std::string& path) {
  if (path.size() <= kLabelPathChars) return path;
  const size_t slash = path.find_last_of('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash;
  const size_t nameBytes = path.size() - nameStart;
  if (nameBytes + std::char_traits<char>::length(kEllipsis) >= kLabelPathChars)
    return kEllipsis + path.substr(nameStart);
  size_t keep = kLabelPathChars - nameBytes - std::char_traits<char>::length(kEllipsis);
  while (keep > 0 && (static_cast<unsigned char>(path[keep]) & 0xC0) == 0x80) --keep;
  return path.substr(0, keep) + kEllipsis + path.substr(nameStart);
}

std::string DoubledAmpersands(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '&') out += '&';
    out += c;
  }
  return out;
}

}  // namespace

RecentProjects RecentProjects::Read(const SettingsStore& settings) {
  RecentProjects recent;
  for (int i = 0; i < kRecentProjectCount; ++i) {
    const std::string path = settings.String(kRecentGroup, RecentKey(i), "");
    const auto& paths = recent.m_paths;
    if (!path.empty() && std::find(paths.begin(), paths.end(), path) == paths.end()) recent.m_paths.push_back(path);
  }
  return recent;
}

void RecentProjects::Write(SettingsStore& settings) const {
  for (int i = 0; i < kRecentProjectCount; ++i) {
    if (i < static_cast<int>(m_paths.size()))
      settings.SetValue(kRecentGroup, RecentKey(i), m_paths[size_t(i)]);
    else
      settings.Remove(kRecentGroup, RecentKey(i));
  }
}

void RecentProjects::Add(const std::string& path) {
  Remove(path);
  m_paths.insert(m_paths.begin(), path);
  if (m_paths.size() > size_t(kRecentProjectCount)) m_paths.resize(kRecentProjectCount);
}

void RecentProjects::Remove(const std::string& path) {
  m_paths.erase(std::remove(m_paths.begin(), m_paths.end(), path), m_paths.end());
}

std::string RecentProjectLabel(int index, const std::string& path, const std::string& home) {
  const std::string shown = QuoteControlCharacters(HomeAsTilde(path, home));
  return "&" + std::to_string(index + 1) + " " + DoubledAmpersands(ShortenedInTheMiddle(shown));
}

std::string RecentProjectMissingText(const std::string& path) {
  return "The project\n" + QuoteControlCharacters(path) +
         "\ncannot be found. It may have been moved, renamed or deleted.\n\n"
         "It is taken off the list of recent projects.";
}

}  // namespace lf
