// `cmake --install` lays out what a desktop needs: both programs, the data
// folder beside them, the menu entry, the icon and the .lfp file type.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/cli_runner.h"

namespace lf::test {
namespace {

TEST(Install, PutsProgramsDataFolderAndDesktopIntegrationInPlace) {
  TempDir prefix;
  int status = 0;
  const std::string log =
      RunCommand("cmake --install '" LYRICFORGE_BINARY_DIR "' --prefix '" + prefix.Path() + "' 2>&1", &status);
  ASSERT_EQ(status, 0) << log;
  for (const char* file : {"bin/lyricforge", "bin/lyricforge-cli", "share/lyricforge/demo/twinkle.lrc",
                           "share/lyricforge/lyricforge.png",
                           "share/lyricforge/manual/index.html", "share/lyricforge/manual/main-window.png", "share/applications/lyricforge.desktop",
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

}  // namespace
}  // namespace lf::test
