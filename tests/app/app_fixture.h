#pragma once
// One desktop application per test, offscreen, with scripted answers and an
// in-memory store.
#include <gtest/gtest.h>

#include <QPushButton>
#include <memory>

#include "app/lyricforge_app.h"
#include "app/main_frame.h"
#include "engine/song/song_settings.h"
#include "gui_support/scripted_dialogs.h"
#include "platform/settings.h"
#include "support/cli_runner.h"

namespace lf::test {

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetAppSettings(std::make_unique<MemorySettings>());
    auto sink = std::make_unique<ScriptedMessages>();
    messages = sink.get();
    m_previousSink = SetMessageSink(std::move(sink));
    MakeApp();
  }
  void TearDown() override {
    app.reset();
    SetMessageSink(std::move(m_previousSink));
  }
  void MakeApp() {
    app.reset();
    app = std::make_unique<CLyricforgeApp>(AppSettings());
    auto d = std::make_unique<ScriptedFileDialogs>();
    dialogs = d.get();
    app->SetFileDialogs(std::move(d));
  }
  std::string Title() const { return app->MainWindow().windowTitle().toStdString(); }
  MSongSettings& Song() { return app->Song(); }
  // A saved project at `name` in the test's folder, with `lyrics`, not modified.
  std::string SavedProject(const std::string& name, const std::string& lyrics) {
    const std::string path = dir.File(name);
    Song().SetRawLyrics(lyrics);
    dialogs->paths.push_back(path);
    EXPECT_TRUE(app->SaveProjectAs());
    return path;
  }

  TempDir dir;
  std::unique_ptr<CLyricforgeApp> app;
  ScriptedMessages* messages = nullptr;
  ScriptedFileDialogs* dialogs = nullptr;

 private:
  std::unique_ptr<IMessageSink> m_previousSink;
};

}  // namespace lf::test
