// `cmake --install` lays out what a desktop needs: both programs, the data
// folder beside them, the menu entry, the icons, the .lfp file type, the
// metainfo, the manual pages and the shell completions.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <regex>
#include <set>

#include "lyricforge_version.h"
#include "tests/support/cli_runner.h"

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
  for (const char* file :
       {"bin/lyricforge", "bin/lyricforge-cli", "share/lyricforge/demo/twinkle.lrc", "share/lyricforge/lyricforge.png",
        "share/lyricforge/manual/index.html", "share/applications/lyricforge.desktop",
        "share/icons/hicolor/scalable/apps/lyricforge.svg", "share/mime/packages/lyricforge.xml",
        "share/metainfo/io.github.lyricforge.Lyricforge.metainfo.xml", "share/man/man1/lyricforge.1.gz",
        "share/man/man1/lyricforge-cli.1.gz", "share/bash-completion/completions/lyricforge-cli",
        "share/zsh/vendor-completions/_lyricforge-cli", "share/doc/lyricforge/copyright"})
    EXPECT_TRUE(std::filesystem::exists(prefix.File(file))) << file;

  // Each theme size holds a PNG of that size, drawn from the SVG.
  for (int size : {48, 64, 128, 256}) {
    const std::string dims = std::to_string(size) + "x" + std::to_string(size);
    const std::string png = ReadFileBytes(prefix.File("share/icons/hicolor/" + dims + "/apps/lyricforge.png"));
    ASSERT_GE(png.size(), 24u) << dims;
    EXPECT_EQ(png.substr(1, 3), "PNG") << dims;
    const auto be32 = [&](size_t at) {
      return (uint32_t(uint8_t(png[at])) << 24) | (uint32_t(uint8_t(png[at + 1])) << 16) |
             (uint32_t(uint8_t(png[at + 2])) << 8) | uint32_t(uint8_t(png[at + 3]));
    };
    EXPECT_EQ(be32(16), uint32_t(size)) << dims;
    EXPECT_EQ(be32(20), uint32_t(size)) << dims;
  }

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

// `lyricforge --version` prints its one line and ends without a display to
// open a window on.
TEST(Install, DesktopProgramPrintsItsVersionWithoutADisplay) {
  int status = -1;
  const std::string out = RunCommand(
      "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb timeout 20 '" LYRICFORGE_GUI_PATH "' --version 2>&1",
      &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_EQ(out, "lyricforge " LYRICFORGE_VERSION "\n");
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
        EXPECT_NE(read(target).find("id=\"" + anchor + "\""), std::string::npos)
            << page << " -> " << target << "#" << anchor;
      }
    }
  }
}

// F1 in the installed program hands the installed manual's first page to the
// desktop's opener (here a stand-in xdg-open that notes what it was given).
TEST(Install, F1OpensTheInstalledManual) {
  int status = 0;
  RunCommand("command -v xvfb-run xdotool >/dev/null", &status);
  if (status != 0) GTEST_SKIP() << "xvfb-run or xdotool is not installed (scripts/install-deps.sh)";
  TempDir prefix;
  ASSERT_NO_FATAL_FAILURE(InstallInto(prefix));
  std::filesystem::create_directories(prefix.File("opener"));
  WriteFileBytes(prefix.File("opener/xdg-open"), "#!/bin/sh\necho \"$1\" >> \"$LF_OPENED\"\n");
  std::filesystem::permissions(prefix.File("opener/xdg-open"), std::filesystem::perms::owner_all);
  WriteFileBytes(prefix.File("f1.sh"),
                 "\"$1\" & pid=$!\n"
                 "w=$(timeout 20 xdotool search --sync --onlyvisible --name '^Lyricforge - ' | head -1)\n"
                 "sleep 1\n"
                 "xdotool windowfocus --sync \"$w\" key F1\n"
                 "for i in $(seq 50); do [ -s \"$LF_OPENED\" ] && break; sleep 0.2; done\n"
                 "xdotool windowfocus --sync \"$w\" key --clearmodifiers alt+F4\n"
                 "wait $pid\n");
  const std::string output = RunCommand(
      "cd '" + prefix.Path() + "' && env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION PATH='" + prefix.File("opener") +
          ":'\"$PATH\" LF_OPENED='" + prefix.File("opened.txt") + "' XDG_CONFIG_HOME='" + prefix.File("config") +
          "' HOME='" + prefix.Path() + "' TMPDIR='" + prefix.Path() +
          "' QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy timeout 60 xvfb-run -a -s '-screen 0 800x600x24' sh f1.sh '" +
          prefix.File("bin/lyricforge") + "' 2>&1",
      &status);
  EXPECT_EQ(status, 0) << output;
  const std::string index =
      std::filesystem::weakly_canonical(prefix.File("share/lyricforge/manual/index.html")).string();
  EXPECT_EQ(ReadFileBytes(prefix.File("opened.txt")), "file://" + index + "\n") << output;
}

}  // namespace
}  // namespace lf::test
