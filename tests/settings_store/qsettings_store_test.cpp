#include "settings_store/qsettings_store.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QVariant>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "tests/support/cli_runner.h"

namespace lf {
namespace {

const SettingsBytes kRect = {10, 0, 0, 0, 10, 0, 0, 0, 0xF4, 1, 0, 0, 0x0B, 2, 0, 0};
const SettingsBytes kAwkwardBytes = {0, 0xFF, '\n', '@', '(', ')', '\\', '"', '=', ';', 0x80};

class SettingsStoreTest : public ::testing::Test {
 protected:
  std::string Conf() const { return m_dir.File("Lyricforge.conf"); }
  test::TempDir m_dir;
};

TEST_F(SettingsStoreTest, ValuesOfEveryKindSurviveANewStoreOnTheSameFile) {
  const std::vector<std::pair<std::string, std::string>> strings = {
      {"MusicPath", "/home/ana/Música/"}, {"Commas", "a, b,c"}, {"Equals", "x=y; z"},
      {"Spaces", "  padded  "},           {"Empty", ""},        {"Quote", "say \"hi\""}};
  const std::vector<std::pair<std::string, double>> doubles = {
      {"EditLyricsSplit", 0.5}, {"Third", 1.0 / 3.0}, {"Tiny", -1e-300}, {"Whole", 42.0}};
  {
    QtSettingsStore store(Conf());
    for (const auto& [k, v] : strings) store.SetValue("Settings", k, v);
    for (const auto& [k, v] : doubles) store.SetDouble("Settings", k, v);
    store.SetBytes("Settings", "AppWindowRect", kRect);
    store.SetBytes("Settings", "Awkward", kAwkwardBytes);
    store.SetInt("Default", "HideMP3Message", 1);
    store.SetInt("Settings", "Gone", 7);
    store.Remove("Settings", "Gone");
  }
  QtSettingsStore again(Conf());
  for (const auto& [k, v] : strings) EXPECT_EQ(again.String("Settings", k, "?"), v) << k;
  for (const auto& [k, v] : doubles) EXPECT_EQ(again.Double("Settings", k, NAN), v) << k;
  EXPECT_EQ(again.Bytes("Settings", "AppWindowRect"), kRect);
  EXPECT_EQ(again.Bytes("Settings", "Awkward"), kAwkwardBytes);
  EXPECT_EQ(again.Int("Default", "HideMP3Message", 0), 1);
  EXPECT_FALSE(again.Contains("Settings", "Gone"));
  EXPECT_EQ(again.Int("Settings", "Gone", -1), -1);
  EXPECT_FALSE(again.Bytes("Settings", "Missing").has_value());
}

TEST_F(SettingsStoreTest, ReadsWhatQSettingsWroteAndQSettingsReadsOurs) {
  const QByteArray rect(reinterpret_cast<const char*>(kRect.data()), static_cast<qsizetype>(kRect.size()));
  {
    QSettings theirs(QString::fromStdString(Conf()), QSettings::IniFormat);
    theirs.setValue("Settings/AppWindowRect", rect);
    theirs.setValue("Settings/EditLyricsSplit", 0.625);
    theirs.setValue("Settings/AppWindowMaximized", 1);
    theirs.setValue("Settings/ProjectPath", QString::fromUtf8("/tmp/Canções/"));
  }
  QtSettingsStore ours(Conf());
  EXPECT_EQ(ours.Bytes("Settings", "AppWindowRect"), kRect);
  EXPECT_EQ(ours.Double("Settings", "EditLyricsSplit", 0), 0.625);
  EXPECT_EQ(ours.Int("Settings", "AppWindowMaximized", 0), 1);
  EXPECT_EQ(ours.String("Settings", "ProjectPath", ""), "/tmp/Canções/");

  ours.SetBytes("Default", "Block", kAwkwardBytes);
  ours.SetDouble("Default", "Split", 0.25);
  ours.SetValue("Default", "Url", "https://example.org/a?b=c,d");
  QSettings theirs(QString::fromStdString(Conf()), QSettings::IniFormat);
  EXPECT_EQ(theirs.value("Default/Block").toByteArray(),
            QByteArray(reinterpret_cast<const char*>(kAwkwardBytes.data()), kAwkwardBytes.size()));
  EXPECT_EQ(theirs.value("Default/Split").toDouble(), 0.25);
  EXPECT_EQ(theirs.value("Default/Url").toString(), QString("https://example.org/a?b=c,d"));
}

TEST_F(SettingsStoreTest, TheUserStoreFollowsXdgConfigHome) {
  const std::string saved = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
  setenv("XDG_CONFIG_HOME", m_dir.Path().c_str(), 1);
  const std::string path = QtSettingsStore::DefaultPath();
  QtSettingsStore().SetInt("Settings", "AutoSave", 1);
  setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  EXPECT_EQ(path, m_dir.Path() + "/Orvandel/Lyricforge.conf");
  EXPECT_EQ(QtSettingsStore(path).Int("Settings", "AutoSave", 0), 1);
}

// Player threads read thread priorities while the interface thread writes.
TEST_F(SettingsStoreTest, ReadersOnOtherThreadsSeeWholeValuesWhileOneThreadWrites) {
  QtSettingsStore store(Conf());
  store.SetBytes("Settings", "AppWindowRect", kRect);
  std::atomic<bool> stop{false};
  std::atomic<int> torn{0};
  std::vector<std::thread> readers;
  for (int i = 0; i < 2; ++i) {
    readers.emplace_back([&] {
      while (!stop) {
        auto bytes = store.Bytes("Settings", "AppWindowRect");
        if (!bytes || bytes->size() != kRect.size()) ++torn;
        store.Int("Default", "AutoPlayCDGReadPriority", 0);
      }
    });
  }
  for (int i = 0; i < 20; ++i) {
    store.SetInt("Default", "AutoPlayCDGReadPriority", i);
    store.SetBytes("Settings", "AppWindowRect", kRect);
  }
  stop = true;
  for (auto& t : readers) t.join();
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(store.Int("Default", "AutoPlayCDGReadPriority", -1), 19);
}

}  // namespace
}  // namespace lf
