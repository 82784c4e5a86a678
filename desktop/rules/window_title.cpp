#include "desktop/rules/window_title.h"

namespace lf {

std::string ProjectDisplayName(const std::string& projectPath) {
  const size_t slash = projectPath.find_last_of('/');
  std::string name = slash == std::string::npos ? projectPath : projectPath.substr(slash + 1);
  return name.empty() ? "Untitled" : name;
}

std::string WindowTitle(const std::string& projectPath) {
  return std::string(kApplicationName) + " - " + ProjectDisplayName(projectPath);
}

}  // namespace lf
