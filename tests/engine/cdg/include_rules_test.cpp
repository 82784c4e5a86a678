// The layers of the engine, checked on the sources: the packet and generator
// layer knows nothing of playback, and playback nothing of the song above it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace lf {
namespace {

namespace fs = std::filesystem;

struct IncludeRule {
  const char* folder;     // under the source root
  const char* forbidden;  // include path prefix the folder must not use
};

constexpr IncludeRule kRules[] = {
    {"engine/cdg", "engine/playback/"}, {"engine/cdg", "engine/song/"}, {"engine/cdg", "export/"},
    {"engine/cdg", "cli/"},             {"engine/playback", "engine/song/"}, {"engine/playback", "export/"},
    {"engine/playback", "cli/"},
};

// "path:line" of each include in `folder` that starts with `forbidden`.
std::vector<std::string> Offenders(const fs::path& folder, const std::string& forbidden) {
  std::vector<std::string> found;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".h" && ext != ".cpp") continue;
    std::ifstream in(entry.path());
    std::string line;
    for (int n = 1; std::getline(in, line); ++n)
      if (line.rfind("#include \"" + forbidden, 0) == 0) found.push_back(entry.path().string() + ":" + std::to_string(n));
  }
  return found;
}

TEST(IncludeRules, LowerLayersDoNotIncludeUpperOnes) {
  const fs::path root = LYRICFORGE_SOURCE_DIR;
  for (const IncludeRule& rule : kRules) {
    const fs::path folder = root / rule.folder;
    ASSERT_TRUE(fs::is_directory(folder)) << folder;
    for (const std::string& where : Offenders(folder, rule.forbidden))
      ADD_FAILURE() << where << " includes " << rule.forbidden << "; " << rule.folder << " must not";
  }
}

}  // namespace
}  // namespace lf
