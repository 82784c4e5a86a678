#pragma once
// The main window's title: "Lyricforge - NAME", NAME being the project file's
// name (after the last '/'), or "Untitled" when there is none.
#include <string>

namespace lf {

inline constexpr const char* kApplicationName = "Lyricforge";

std::string ProjectDisplayName(const std::string& projectPath);
std::string WindowTitle(const std::string& projectPath);

}  // namespace lf
