#include "desktop/rules/recent_projects.h"

#include <gtest/gtest.h>

#include "core/platform/settings.h"
#include "desktop/rules/project_lock_keeper.h"

namespace lf {
namespace {

using Paths = std::vector<std::string>;

TEST(RecentProjects, MostRecentFirstNoRepeatsFourKeptAndStoredAsTheyStand) {
  RecentProjects recent;
  const std::pair<const char*, Paths> steps[] = {
      {"/s/a.lfp", {"/s/a.lfp"}},
      {"/s/b.lfp", {"/s/b.lfp", "/s/a.lfp"}},
      {"/s/a.lfp", {"/s/a.lfp", "/s/b.lfp"}},
      {"/s/c.lfp", {"/s/c.lfp", "/s/a.lfp", "/s/b.lfp"}},
      {"/s/d.lfp", {"/s/d.lfp", "/s/c.lfp", "/s/a.lfp", "/s/b.lfp"}},
      {"/s/e.lfp", {"/s/e.lfp", "/s/d.lfp", "/s/c.lfp", "/s/a.lfp"}},
  };
  for (const auto& [added, expected] : steps) {
    recent.Add(added);
    EXPECT_EQ(recent.Paths(), expected) << added;
  }
  MemorySettings settings;
  recent.Write(settings);
  EXPECT_EQ(settings.String("Recent File List", "File1", ""), "/s/e.lfp");
  EXPECT_EQ(RecentProjects::Read(settings).Paths(), recent.Paths());

  recent.Remove("/s/d.lfp");
  recent.Remove("/s/c.lfp");
  recent.Write(settings);
  EXPECT_FALSE(settings.Contains("Recent File List", "File3"));
  EXPECT_EQ(RecentProjects::Read(settings).Paths(), (Paths{"/s/e.lfp", "/s/a.lfp"}));

  // A hand-edited store: gaps and repeats are skipped.
  settings.SetValue("Recent File List", "File1", "");
  settings.SetValue("Recent File List", "File3", "/s/a.lfp");
  settings.SetValue("Recent File List", "File4", "/s/f.lfp");
  EXPECT_EQ(RecentProjects::Read(settings).Paths(), (Paths{"/s/a.lfp", "/s/f.lfp"}));
}

TEST(RecentProjects, LabelsAreNumberedMnemonicsWithShortPaths) {
  const std::string home = "/home/ana";
  const std::string longFolder = "/media/ana/backup/karaoke/" + std::string(50, 'x');
  const std::string accented = "/media/" + std::string(38, 'y') + "\xC3\xA9\xC3\xA9\xC3\xA9" + "/z/song.lfp";
  const std::tuple<int, std::string, std::string> cases[] = {
      {0, "/home/ana/songs/a.lfp", "&1 ~/songs/a.lfp"},
      {3, "/home/anabel/b.lfp", "&4 /home/anabel/b.lfp"},
      {1, "/tmp/Rock & Roll.lfp", "&2 /tmp/Rock && Roll.lfp"},
      {2, longFolder + "/My Song.lfp", "&3 /media/ana/backup/karaoke/xxxxxxxxxxxxxxxxxxx.../My Song.lfp"},
      {0, "/m/" + std::string(70, 'n') + ".lfp", "&1 .../" + std::string(70, 'n') + ".lfp"},
      // A cut never splits a character: the second é, cut in two, goes whole.
      {0, accented, "&1 /media/" + std::string(38, 'y') + "\xC3\xA9..." + "/song.lfp"},
      // A name holding a line break stays on its menu line.
      {1, "/tmp/two\nlines.lfp", "&2 /tmp/two\\nlines.lfp"},
  };
  for (const auto& [index, path, label] : cases) EXPECT_EQ(RecentProjectLabel(index, path, home), label) << path;
  // Messages naming a project keep its name on the one line it was given.
  for (const std::string& text :
       {RecentProjectMissingText("/tmp/a\nb.lfp"), ProjectInUseText("/tmp/a\nb.lfp", "x", false)})
    EXPECT_NE(text.find("\n/tmp/a\\nb.lfp\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace lf
