// The layers of the engine, checked on the sources: the packet and generator
// layer knows nothing of playback, and playback nothing of the song above it.
// And the core's headers include no third-party header: the core links those
// libraries privately, so its users do not compile against them.
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

constexpr const char* kCoreFolders[] = {"engine", "audio", "export", "lyrics", "platform", "shell"};
constexpr const char* kThirdPartyHeaders[] = {"libav", "libsw", "SDL", "ft2build", "freetype", "hb",
                                              "fontconfig", "SoundTouch", "zip.h", "png.h", "aubio"};

// "path:line" of each line of the files in `folder` (headers only, or .cpp
// too) that starts with `forbidden`.
std::vector<std::string> Offenders(const fs::path& folder, const std::string& forbidden, bool headersOnly) {
  std::vector<std::string> found;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".h" && (headersOnly || ext != ".cpp")) continue;
    std::ifstream in(entry.path());
    std::string line;
    for (int n = 1; std::getline(in, line); ++n)
      if (line.rfind(forbidden, 0) == 0) found.push_back(entry.path().string() + ":" + std::to_string(n));
  }
  return found;
}

TEST(IncludeRules, LowerLayersDoNotIncludeUpperOnes) {
  const fs::path root = LYRICFORGE_SOURCE_DIR;
  for (const IncludeRule& rule : kRules) {
    const fs::path folder = root / rule.folder;
    ASSERT_TRUE(fs::is_directory(folder)) << folder;
    for (const std::string& where : Offenders(folder, std::string("#include \"") + rule.forbidden, false))
      ADD_FAILURE() << where << " includes " << rule.forbidden << "; " << rule.folder << " must not";
  }
}

TEST(IncludeRules, CoreHeadersIncludeNoThirdPartyHeader) {
  const fs::path root = LYRICFORGE_SOURCE_DIR;
  for (const char* folder : kCoreFolders) {
    ASSERT_TRUE(fs::is_directory(root / folder)) << folder;
    for (const char* header : kThirdPartyHeaders)
      for (const std::string& where : Offenders(root / folder, std::string("#include <") + header, true))
        ADD_FAILURE() << where << " includes " << header << ", a third-party header only the core's sources may use";
  }
}

}  // namespace
}  // namespace lf
