// The layers of the tree, checked on the sources. Each folder is a layer and
// includes project headers only from the layers below it (and its own);
// core/ and the desktop's rules include no Qt; the core's headers include no
// third-party header, since the core links those libraries privately.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace lf {
namespace {

namespace fs = std::filesystem;

struct Layer {
  const char* folder;                // under the source root
  std::vector<const char*> may_use;  // folders it may include from, besides its own
  bool qt;                           // whether it may include Qt
};

const std::vector<const char*> kCore = {"core/platform", "core/audio",  "core/cdg",    "core/playback",
                                        "core/song",     "core/lyrics", "core/timing", "core/export"};

std::vector<const char*> CoreAnd(std::vector<const char*> more) {
  std::vector<const char*> all = kCore;
  all.insert(all.end(), more.begin(), more.end());
  return all;
}

const std::vector<Layer>& Layers() {
  static const std::vector<Layer> layers = {
      {"core/platform", {}, false},
      {"core/audio", {"core/platform"}, false},
      {"core/cdg", {"core/platform"}, false},
      {"core/playback", {"core/cdg", "core/audio", "core/platform"}, false},
      {"core/song", {"core/playback", "core/cdg", "core/audio", "core/platform"}, false},
      {"core/lyrics", {"core/song", "core/playback", "core/cdg", "core/audio", "core/platform"}, false},
      {"core/timing", {"core/song", "core/playback", "core/cdg", "core/audio", "core/platform"}, false},
      {"core/export", {"core/lyrics", "core/song", "core/playback", "core/cdg", "core/audio", "core/platform"}, false},
      {"settings_store", {"core/platform"}, true},
      {"cli", CoreAnd({"settings_store"}), false},
      {"desktop/rules", CoreAnd({}), false},
      {"desktop/widgets", CoreAnd({"desktop/rules"}), true},
      {"desktop/dialogs", CoreAnd({"desktop/rules", "desktop/widgets"}), true},
      {"desktop/pages", CoreAnd({"desktop/rules", "desktop/widgets", "desktop/dialogs"}), true},
      {"desktop/app", CoreAnd({"desktop/rules", "desktop/widgets", "desktop/dialogs", "desktop/pages"}), true},
  };
  return layers;
}

constexpr const char* kThirdPartyHeaders[] = {"libav", "libsw",      "SDL",        "ft2build", "freetype",
                                              "hb",    "fontconfig", "SoundTouch", "zip.h",    "png.h",
                                              "aubio", "uchardet",   "iconv.h",    "ebur128"};

struct Include {
  std::string where;  // "path:line"
  std::string path;   // what is included
  bool angled;
};

std::vector<Include> Includes(const fs::path& folder, bool headersOnly) {
  static const std::regex kInclude(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
  std::vector<Include> found;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".h" && (headersOnly || ext != ".cpp")) continue;
    std::ifstream in(entry.path());
    std::string line;
    std::smatch m;
    for (int n = 1; std::getline(in, line); ++n)
      if (std::regex_search(line, m, kInclude))
        found.push_back({entry.path().string() + ":" + std::to_string(n), m[2], m[1] == "<"});
  }
  return found;
}

bool StartsWithFolder(const std::string& path, const char* folder) {
  const std::string prefix = std::string(folder) + "/";
  return path.rfind(prefix, 0) == 0;
}

TEST(IncludeRules, EachLayerIncludesOnlyTheLayersBelowIt) {
  const fs::path root = LYRICFORGE_SOURCE_DIR;
  for (const Layer& layer : Layers()) {
    ASSERT_TRUE(fs::is_directory(root / layer.folder)) << layer.folder;
    for (const Include& inc : Includes(root / layer.folder, false)) {
      if (inc.angled || inc.path.find('/') == std::string::npos) continue;
      bool allowed = StartsWithFolder(inc.path, layer.folder);
      for (const char* below : layer.may_use) allowed = allowed || StartsWithFolder(inc.path, below);
      if (!allowed) ADD_FAILURE() << inc.where << " includes " << inc.path << ", above or beside " << layer.folder;
    }
  }
}

TEST(IncludeRules, OnlyQtLayersIncludeQt) {
  const fs::path root = LYRICFORGE_SOURCE_DIR;
  for (const Layer& layer : Layers()) {
    if (layer.qt) continue;
    for (const Include& inc : Includes(root / layer.folder, false))
      if (inc.angled && inc.path.size() > 1 && inc.path[0] == 'Q' &&
          std::isupper(static_cast<unsigned char>(inc.path[1])))
        ADD_FAILURE() << inc.where << " includes " << inc.path << "; " << layer.folder << " links no Qt";
  }
}

TEST(IncludeRules, CoreHeadersIncludeNoThirdPartyHeader) {
  const fs::path root = LYRICFORGE_SOURCE_DIR;
  for (const Include& inc : Includes(root / "core", true))
    for (const char* header : kThirdPartyHeaders)
      if (inc.angled && inc.path.rfind(header, 0) == 0)
        ADD_FAILURE() << inc.where << " includes " << inc.path
                      << ", a third-party header only the core's sources may use";
}

TEST(IncludeRules, EveryFolderWithSourcesIsALayer) {
  const fs::path root = LYRICFORGE_SOURCE_DIR;
  for (const char* top : {"core", "desktop"})
    for (const fs::directory_entry& entry : fs::directory_iterator(root / top)) {
      if (!entry.is_directory()) continue;
      const std::string folder = std::string(top) + "/" + entry.path().filename().string();
      bool known = false;
      for (const Layer& layer : Layers()) known = known || folder == layer.folder;
      EXPECT_TRUE(known) << folder << " is not in the table of layers";
    }
}

}  // namespace
}  // namespace lf
