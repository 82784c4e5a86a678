#include <QApplication>
#include <QCloseEvent>
#include <QLocalSocket>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

#include "core/platform/paths.h"
#include "core/song/project_file.h"
#include "desktop/app/single_instance.h"
#include "tests/desktop/app/app_fixture.h"

namespace lf::test {
namespace {

std::string LyricsIn(const std::string& path) {
  Song song(path);
  return song.LoadProject() ? song.Lyrics().RawLyrics() : "<unreadable>";
}

// Every way of leaving a modified project asks first; Yes saves, No drops
// the changes, Cancel keeps everything as it was.
TEST_F(AppTest, LeavingAModifiedProjectAsksAndHonoursEachAnswer) {
  struct Flow {
    const char* name;
    std::function<bool(LyricforgeApp&)> run;  // true when the project was left
  };
  const Flow flows[] = {
      {"Close",
       [](LyricforgeApp& a) {
         a.CloseProject();
         return a.OpenSong().ProjectPath().empty();
       }},
      {"New",
       [](LyricforgeApp& a) {
         a.NewProject();
         return a.OpenSong().ProjectPath().empty();
       }},
      {"window close box", [](LyricforgeApp& a) { return a.AllowWindowClose(); }},
      {"second start with a project",
       [](LyricforgeApp& a) {
         const std::string other = a.OpenSong().ProjectPath() + ".other.lfp";
         Song empty(other);
         empty.ResetSongDefaults();
         empty.SaveProject();
         a.HandOver(other);
         return a.OpenSong().ProjectPath() == other;
       }},
  };
  const std::tuple<MessageAnswer, const char*, bool> answers[] = {
      {MessageAnswer::Yes, "edited", true},
      {MessageAnswer::No, "original", true},
      {MessageAnswer::Cancel, "original", false},
  };
  app->Start();
  for (const Flow& flow : flows) {
    for (const auto& [answer, onDisk, left] : answers) {
      MakeApp();
      app->Start();
      const std::string path = SavedProject("song.lfp", "original");
      OpenSong().Lyrics().SetRawLyrics("edited");
      OpenSong().SetModified(true);
      messages->shown.clear();
      messages->answers = {answer};
      const std::string context = std::string(flow.name) + " answered " + std::to_string(int(answer));

      EXPECT_EQ(flow.run(*app), left) << context;
      ASSERT_EQ(messages->Captions(), std::vector<std::string>{"Confirm Closing Project"}) << context;
      EXPECT_EQ(messages->shown[0].buttons, MessageButtons::YesNoCancel);
      EXPECT_EQ(LyricsIn(path), onDisk) << context;
      if (!left) {
        EXPECT_TRUE(OpenSong().IsModified()) << context;
        EXPECT_EQ(OpenSong().Lyrics().RawLyrics(), "edited") << context;
        EXPECT_EQ(Title(), "Lyricforge - song.lfp*") << context;
      }
    }
  }
}

TEST_F(AppTest, AnUntitledProjectAnsweredYesGoesThroughSaveAsAndStaysWhenThatIsCancelled) {
  app->Start();
  OpenSong().Lyrics().SetRawLyrics("never saved");
  OpenSong().SetModified(true);
  messages->answers = {MessageAnswer::Yes};
  dialogs->paths = {""};  // Save As cancelled
  app->CloseProject();
  EXPECT_EQ(dialogs->titles, std::vector<std::string>{"Save Lyricforge Project"});
  EXPECT_TRUE(OpenSong().IsModified());
  EXPECT_EQ(OpenSong().Lyrics().RawLyrics(), "never saved");
}

TEST_F(AppTest, ASaveThatCannotWriteSaysSoAndLosesNothing) {
  app->Start();
  const std::string path = SavedProject("kept.lfp", "first");
  OpenSong().Lyrics().SetRawLyrics("second");
  OpenSong().SetModified(true);
  WriteFileBytes(dir.File("not-a-folder"), "x");
  dialogs->paths = {dir.File("not-a-folder/new.lfp")};
  EXPECT_FALSE(app->SaveProjectAs());
  ASSERT_EQ(messages->shown.size(), 1u);
  EXPECT_EQ(messages->shown[0].icon, MessageIcon::Error);
  EXPECT_NE(messages->shown[0].text.find("not-a-folder/new.lfp"), std::string::npos);
  EXPECT_EQ(OpenSong().ProjectPath(), path);
  EXPECT_TRUE(OpenSong().IsModified());
  EXPECT_EQ(Title(), "Lyricforge - kept.lfp*");
  EXPECT_EQ(LyricsIn(path), "first");
}

TEST_F(AppTest, AProjectThatFailsToLoadLeavesANewUntitledProjectAndItsFileAlone) {
  app->Start();
  const std::string broken = dir.File("broken.lfp");
  WriteFileBytes(broken, "not a project at all");
  messages->answers = {MessageAnswer::Ok};
  EXPECT_FALSE(app->OpenProjectFile(broken));
  EXPECT_EQ(messages->shown.size(), 1u);
  EXPECT_EQ(Title(), "Lyricforge - Untitled");
  EXPECT_TRUE(OpenSong().ProjectPath().empty());
  EXPECT_FALSE(OpenSong().IsModified());
  dialogs->paths = {""};
  app->SaveProject();  // asks for a name rather than writing over the file
  EXPECT_EQ(ReadFileBytes(broken), "not a project at all");
}

TEST_F(AppTest, OpeningAProjectWhoseMusicIsGoneOffersToChooseAnother) {
  app->Start();
  AddToneMusic("gone.wav");
  ASSERT_FALSE(OpenSong().MusicPath().empty());
  const std::string path = SavedProject("music.lfp", "la la la");
  std::filesystem::remove(dir.File("gone.wav"));

  for (MessageAnswer answer : {MessageAnswer::Yes, MessageAnswer::No}) {
    messages->shown.clear();
    messages->answers = {answer};
    dialogs->titles.clear();
    dialogs->paths = {""};  // the music chooser, when shown, is cancelled
    ASSERT_TRUE(app->OpenProjectFile(path));
    ASSERT_EQ(messages->Captions(), std::vector<std::string>{"Error in Music File"});
    if (answer == MessageAnswer::Yes) {
      EXPECT_EQ(dialogs->titles, std::vector<std::string>{"Select Music File"});
    } else {
      EXPECT_TRUE(dialogs->titles.empty());
      EXPECT_TRUE(OpenSong().MusicPath().empty());
      EXPECT_TRUE(OpenSong().IsModified());
      EXPECT_FALSE(app->IsPageCommandEnabled(PageId::PlaceLyrics));
      EXPECT_FALSE(app->IsSettingsEnabled());
    }
    EXPECT_EQ(Title(), std::string("Lyricforge - music.lfp") + (OpenSong().IsModified() ? "*" : ""));
  }
}

// The working music lives in a folder of this run only (no other user, no
// other instance with other settings, can reach or replace it), never at a
// fixed name in the shared temporary folder, and goes with the program.
TEST_F(AppTest, WorkingMusicIsPrivateToTheRunAndGoesWithIt) {
  WriteFileBytes(dir.File("victim.wav"), "the author's own file");
  std::filesystem::create_symlink(dir.File("victim.wav"), dir.File("lyricforge_music.wav"));
  std::filesystem::create_symlink(dir.File("victim.wav"), dir.File("lyricforge_music.wav.partial"));
  std::set<std::string> folders;
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run);
    MakeApp();
    app->Start();
    AddToneMusic();
    const std::filesystem::path working = app->Music().workingFilePath;
    ASSERT_FALSE(working.empty());
    const std::string folder = working.parent_path().string();
    EXPECT_TRUE(IsPrivateFolder(folder)) << folder;
    EXPECT_NE(folder, dir.Path());
    EXPECT_TRUE(folders.insert(folder).second) << "each run has its own folder";
    app.reset();
    EXPECT_FALSE(std::filesystem::exists(folder)) << "removed on exit";
  }
  EXPECT_EQ(ReadFileBytes(dir.File("victim.wav")), "the author's own file");
}

// A file that is no music, chosen through Add Music, leaves the project with
// the music it had: its path, its working copy and what it enables.
TEST_F(AppTest, ABadAddMusicChoiceKeepsTheMusicTheProjectHad) {
  app->Start();
  AddToneMusic("good.wav");
  const std::string music = OpenSong().MusicPath();
  const std::string working = app->Music().workingFilePath;
  ASSERT_FALSE(working.empty());
  const std::string workingBytes = ReadFileBytes(working);
  OpenSong().Lyrics().SetRawLyrics("words");
  app->RefreshCommands();
  ASSERT_TRUE(app->CanPlace());

  WriteFileBytes(dir.File("words.mp3"), "not music at all");
  dialogs->paths = {dir.File("words.mp3")};
  messages->answers = {MessageAnswer::No};  // "choose another file?"
  app->AddMusic();
  EXPECT_EQ(messages->Captions(), std::vector<std::string>{"Find Music"});
  EXPECT_EQ(OpenSong().MusicPath(), music);
  EXPECT_EQ(OpenSong().Music().WorkingMusicPath(), working);
  EXPECT_EQ(app->Music().workingFilePath, working);
  EXPECT_EQ(ReadFileBytes(working), workingBytes);
  EXPECT_TRUE(app->CanPlace());
  EXPECT_TRUE(app->IsSettingsEnabled());
}

TEST_F(AppTest, AutoSaveSavesOnEveryPageChangeExceptLeavingPlayFinal) {
  app->Start();
  const std::string path = SavedProject("auto.lfp", "one");
  app->ToggleAutoSave();
  EXPECT_EQ(AppSettings().Int("Settings", "AutoSave", 0), 1);
  const std::tuple<PageId, PageId, bool> steps[] = {
      {PageId::EditLyrics, PageId::PlaceLyrics, true},
      {PageId::PlaceLyrics, PageId::AdjustLyrics, true},
      {PageId::AdjustLyrics, PageId::PlayFinal, true},
      {PageId::PlayFinal, PageId::EditLyrics, false},
  };
  int n = 0;
  for (const auto& [from, to, saves] : steps) {
    ASSERT_EQ(app->CurrentPage(), from);
    const std::string lyrics = "edit " + std::to_string(++n);
    OpenSong().Lyrics().SetRawLyrics(lyrics);
    OpenSong().SetModified(true);
    app->ShowPage(to);
    EXPECT_EQ(!OpenSong().IsModified(), saves) << n;
    EXPECT_EQ(LyricsIn(path) == lyrics, saves) << n;
  }
}

TEST_F(AppTest, PlacingAgainOverPlacedLyricsAsksAndEditingShowsTheNotice) {
  app->Start();
  AddToneMusic();
  PlaceFirstWord();
  ASSERT_TRUE(app->HasPlacedLyrics());
  EXPECT_TRUE(app->IsPageCommandEnabled(PageId::AdjustLyrics));

  messages->answers = {MessageAnswer::No};
  app->PageCommand(PageId::PlaceLyrics);
  EXPECT_EQ(app->CurrentPage(), PageId::EditLyrics);
  EXPECT_EQ(messages->Captions(), std::vector<std::string>{"Confirm Overwriting Placed Lyrics"});
  messages->answers = {MessageAnswer::Yes};
  app->PageCommand(PageId::PlaceLyrics);
  EXPECT_EQ(app->CurrentPage(), PageId::PlaceLyrics);
}

TEST(SingleInstance, ASecondStartHandsItsArgumentToTheFirst) {
  TempDir dir;
  const QString key = QString::fromStdString(dir.File("Lyricforge.conf"));
  SingleInstance first(key);
  ASSERT_TRUE(first.Listen());
  // The socket is in a folder only this user can enter: nobody else can take its name first.
  const std::filesystem::path socket = first.ServerName().toStdString();
  EXPECT_TRUE(socket.is_absolute()) << socket;
  EXPECT_TRUE(IsPrivateFolder(socket.parent_path().string())) << socket;
  QString received;
  QObject::connect(&first, &SingleInstance::ArgumentReceived, [&](const QString& a) { received = a; });

  bool handedOver = false;
  std::atomic<bool> finished{false};
  std::thread second([&] {
    handedOver = SingleInstance(key).HandOverToFirst("/songs/Vãlsa.lfp");
    finished = true;
  });
  // The first instance answers from its event loop, which this thread runs.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!finished && std::chrono::steady_clock::now() < deadline) {
    QApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  second.join();
  EXPECT_TRUE(handedOver);
  EXPECT_EQ(received, QString("/songs/Vãlsa.lfp"));
  // Another store is another program: nobody listens there.
  EXPECT_FALSE(SingleInstance(key + "-elsewhere").HandOverToFirst("x", 200));
}

}  // namespace
}  // namespace lf::test
