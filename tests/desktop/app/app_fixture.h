#pragma once
// One desktop application per test, offscreen, with scripted answers and an
// in-memory store.
#include <gtest/gtest.h>

#include <QPushButton>
#include <cstdlib>
#include <memory>

#include "core/platform/settings.h"
#include "core/song/song.h"
#include "desktop/app/lyricforge_app.h"
#include "desktop/app/main_frame.h"
#include "tests/desktop/support/scripted_dialogs.h"
#include "tests/support/cli_runner.h"

namespace lf::test {

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The working music file goes to the temporary folder: this test's own.
    const char* tmp = std::getenv("TMPDIR");
    m_previousTmp = tmp ? tmp : "";
    setenv("TMPDIR", dir.Path().c_str(), 1);
    SetAppSettings(std::make_unique<MemorySettings>());
    auto sink = std::make_unique<ScriptedMessages>();
    messages = sink.get();
    m_previousSink = SetMessageSink(std::move(sink));
    MakeApp();
  }
  void TearDown() override {
    app.reset();
    SetMessageSink(std::move(m_previousSink));
    if (m_previousTmp.empty())
      unsetenv("TMPDIR");
    else
      setenv("TMPDIR", m_previousTmp.c_str(), 1);
  }
  void MakeApp() {
    app.reset();
    app = std::make_unique<LyricforgeApp>(AppSettings());
    auto d = std::make_unique<ScriptedFileDialogs>();
    dialogs = d.get();
    app->SetFileDialogs(std::move(d));
  }
  // The title as the window manager shows it: Qt puts "*" for "[*]" while there are unsaved changes.
  std::string Title() const {
    QString title = app->MainWindow().windowTitle();
    return title.replace("[*]", app->MainWindow().isWindowModified() ? "*" : "").toStdString();
  }
  Song& OpenSong() { return app->OpenSong(); }
  // A saved project at `name` in the test's folder, with `lyrics`, not modified.
  std::string SavedProject(const std::string& name, const std::string& lyrics) {
    const std::string path = dir.File(name);
    OpenSong().Lyrics().SetRawLyrics(lyrics);
    dialogs->paths.push_back(path);
    EXPECT_TRUE(app->SaveProjectAs());
    return path;
  }

  // Music of a few seconds, prepared as the project's through Add Music.
  void AddToneMusic(const std::string& name = "tone.wav") {
    WriteFileBytes(dir.File(name), ToneWav(44100, 16, 2, 44100 * 3));
    dialogs->paths.push_back(dir.File(name));
    app->AddMusic();
  }
  // Lyrics with their first word placed.
  void PlaceFirstWord(const std::string& lyrics = "Twinkle twinkle little star") {
    OpenSong().Lyrics().SetRawLyrics(lyrics);
    OpenSong().GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = true});
    OpenSong().Lyrics().SetWordStart(0, 44100);
    OpenSong().Lyrics().SetWordEnd(0, 50000);
    app->RefreshCommands();
  }

  TempDir dir;
  std::unique_ptr<LyricforgeApp> app;
  ScriptedMessages* messages = nullptr;
  ScriptedFileDialogs* dialogs = nullptr;

 private:
  std::unique_ptr<MessageSink> m_previousSink;
  std::string m_previousTmp;
};

}  // namespace lf::test
