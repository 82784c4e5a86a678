#pragma once
// What the page and dialog tests share (the QApplication comes from
// tests/gui_support): a shell around a real song, and synthesised music
// prepared as the program prepares it.
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>
#include <string>

#include "core/audio/music_preparation.h"
#include "core/audio/music_state.h"
#include "core/platform/message_sink.h"
#include "core/platform/outcome.h"
#include "core/platform/paths.h"
#include "core/platform/settings.h"
#include "core/playback/cdg_player.h"
#include "core/song/song.h"
#include "desktop/pages/shell.h"
#include "tests/support/wav_fixture.h"

namespace lf::test {

class TestShell : public PageHost {
 public:
  TestShell() { song.ResetSongDefaults(); }
  Song& OpenSong() override { return song; }
  const MusicState& Music() const override { return music; }
  void PageCommand(PageId page) override { lastPageCommand = page; }
  void EditSettings() override { ++settingsRuns; }
  std::optional<LyricsImport> FindLyrics() override {
    if (lyricsFile.empty()) return std::nullopt;
    LyricsImport import = ImportLyricsFile(lyricsFile);
    if (!import.Ok()) {
      ShowOutcome(import.outcome);
      return std::nullopt;
    }
    return import;
  }
  void AddMusic() override {
    ++addMusicRuns;
    if (onAddMusic) onAddMusic();
  }
  bool IsPlaying() const override { return CdgPlayer::Global() && CdgPlayer::Global()->IsPlaying(); }
  bool CanPlace() const override {
    return !IsPlaying() && !music.workingFilePath.empty() && !song.Lyrics().RawLyrics().empty();
  }
  bool HasPlacedLyrics() const override { return CanPlace() && song.Lyrics().AnyWordPlaced(); }
  bool ExportRunning() const override { return false; }
  bool IsPageCommandEnabled(PageId page) const override {
    return page == PageId::EditLyrics ? !IsPlaying() : page == PageId::PlaceLyrics ? CanPlace() : HasPlacedLyrics();
  }
  bool IsSettingsEnabled() const override { return !IsPlaying() && !music.workingFilePath.empty(); }
  void CommandStateChanged() override { ++stateChanges; }

  // Prepares `seconds` of a tone as the project's music.
  void AddToneMusic(double seconds, const std::string& name = "tone.wav") {
    const std::string path = folder.File(name);
    WriteFileBytes(path, ToneWav(44100, 16, 2, static_cast<uint32_t>(seconds * 44100)));
    MusicPreparationContext context;
    context.workingFolder = folder.Path();
    ASSERT_TRUE(PrepareMusic(path, music, context)) << music.musicErrorText;
    song.Music().SetWorkingMusicPath(music.workingFilePath);
    song.SetMusicPath(path);
  }

  Song song;
  MusicState music;
  std::string lyricsFile;  // what the lyric file chooser answers; "" is Cancel
  PageId lastPageCommand = PageId::None;
  int settingsRuns = 0, addMusicRuns = 0, stateChanges = 0;
  std::function<void()> onAddMusic;
  ScopedTempFolder folder{"pages-test"};
};

// Per test: a fresh settings store and messages recorded instead of shown.
class PagesTest : public ::testing::Test {
 protected:
  PagesTest() { SetAppSettings(std::make_unique<MemorySettings>()); }
  ~PagesTest() override { CdgPlayer::DestroyGlobal(); }
  ScopedMessageRecorder recorder;
  TestShell shell;
};

}  // namespace lf::test
