// `cmake --install` lays out what a desktop needs: both programs, the data
// folder beside them, the menu entry, the icon and the .lfp file type.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

#include "support/cli_runner.h"

namespace lf::test {
namespace {

void InstallInto(const TempDir& prefix) {
  int status = 0;
  const std::string log =
      RunCommand("cmake --install '" LYRICFORGE_BINARY_DIR "' --prefix '" + prefix.Path() + "' 2>&1", &status);
  ASSERT_EQ(status, 0) << log;
}

TEST(Install, PutsProgramsDataFolderAndDesktopIntegrationInPlace) {
  TempDir prefix;
  ASSERT_NO_FATAL_FAILURE(InstallInto(prefix));
  int status = 0;
  for (const char* file : {"bin/lyricforge", "bin/lyricforge-cli", "share/lyricforge/demo/twinkle.lrc",
                           "share/lyricforge/lyricforge.png",
                           "share/lyricforge/manual/index.html", "share/applications/lyricforge.desktop",
                           "share/icons/hicolor/scalable/apps/lyricforge.svg", "share/mime/packages/lyricforge.xml"})
    EXPECT_TRUE(std::filesystem::exists(prefix.File(file))) << file;

  const std::string desktop = ReadFileBytes(prefix.File("share/applications/lyricforge.desktop"));
  EXPECT_NE(desktop.find("Exec=lyricforge %f\n"), std::string::npos);
  EXPECT_NE(desktop.find("MimeType=application/x-lyricforge-project;"), std::string::npos);

  // The shared-mime-info database built from our type names .lfp files by it.
  const std::string mime = prefix.File("share/mime");
  RunCommand("update-mime-database '" + mime + "' 2>&1", &status);
  ASSERT_EQ(status, 0);
  const std::string globs = ReadFileBytes(mime + "/globs2");
  EXPECT_NE(globs.find("application/x-lyricforge-project:*.lfp"), std::string::npos) << globs;

  // The installed tool runs from its new home.
  const std::string help = RunCommand("'" + prefix.File("bin/lyricforge-cli") + "' --help", &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(help.find("compile"), std::string::npos);
}

// Every page the installed manual's index links to is there, and so is every
// picture, style sheet and anchor those pages name; nothing points outside
// the manual's folder.
TEST(Install, ManualPagesLinksAndPicturesAreAllInstalled) {
  TempDir prefix;
  ASSERT_NO_FATAL_FAILURE(InstallInto(prefix));
  const std::filesystem::path folder = prefix.File("share/lyricforge/manual");
  const std::regex reference(R"re((href|src)="([^"#]*)(#([^"]*))?")re");
  const auto read = [&](const std::string& page) { return ReadFileBytes((folder / page).string()); };

  const std::string index = read("index.html");
  std::set<std::string> pages{"index.html"};
  for (std::sregex_iterator m(index.begin(), index.end(), reference), end; m != end; ++m)
    if ((*m)[2].str().ends_with(".html")) pages.insert((*m)[2].str());
  EXPECT_GE(pages.size(), 10u) << "one page per page of the program";

  for (const std::string& page : pages) {
    ASSERT_TRUE(std::filesystem::exists(folder / page)) << "index links to a missing " << page;
    const std::string html = read(page);
    for (std::sregex_iterator m(html.begin(), html.end(), reference), end; m != end; ++m) {
      const std::string target = (*m)[2].str().empty() ? page : (*m)[2].str();
      EXPECT_EQ(target.find(':'), std::string::npos) << page << " points outside the manual: " << target;
      EXPECT_EQ(target.find('/'), std::string::npos) << page << " points outside the manual: " << target;
      ASSERT_TRUE(std::filesystem::exists(folder / target)) << page << " names a missing " << target;
      const std::string anchor = (*m)[4].str();
      if (!anchor.empty()) {
        EXPECT_NE(read(target).find("id=\"" + anchor + "\""), std::string::npos) << page << " -> " << target << "#" << anchor;
      }
    }
  }
}

}  // namespace
}  // namespace lf::test
