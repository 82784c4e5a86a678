#include "desktop/app/lyricforge_app.h"

#include <QApplication>
#include <QFileInfo>
#include <filesystem>
#include <stdexcept>

#include "core/audio/music_preparation.h"
#include "core/platform/message_sink.h"
#include "core/platform/settings.h"
#include "core/playback/cdg_player.h"
#include "core/song/song.h"
#include "desktop/app/main_frame.h"
#include "desktop/dialogs/file_dialogs.h"
#include "desktop/dialogs/progress_window.h"
#include "desktop/pages/page_registry.h"
#include "desktop/rules/window_title.h"

namespace lf {
namespace {

constexpr const char* kGroup = "Settings";

struct FolderKey {
  const char* key;
  std::string Folders::*member;
};
constexpr FolderKey kFolderKeys[] = {
    {"LyricsPath", &Folders::lyrics},
    {"ProjectPath", &Folders::project},
    {"MusicPath", &Folders::music},
    {"GraphicsPath", &Folders::graphics},
};

}  // namespace

LyricforgeApp::LyricforgeApp(SettingsStore& settings) : m_settings(settings) {
  if (!HasSong()) CreateSong();
  ResetToNewProject();
  OpenSong().SetModifiedObserver([this](bool) {
    UpdateTitle();
    RefreshCommands();
  });
  m_frame = std::make_unique<MainFrame>(*this);
  m_dialogs = std::make_unique<QtFileDialogs>(m_frame.get());
  m_recent = RecentProjects::Read(m_settings);
}

LyricforgeApp::~LyricforgeApp() {
  StopPlayer();
  m_frame.reset();
  if (HasSong()) OpenSong().SetModifiedObserver({});
}

void LyricforgeApp::SetFileDialogs(std::unique_ptr<FileDialogs> dialogs) { m_dialogs = std::move(dialogs); }

Song& LyricforgeApp::OpenSong() { return lf::OpenSong(); }

void LyricforgeApp::ResetToNewProject() {
  OpenSong().SetProjectPath({});
  OpenSong().ResetSongDefaults();
  OpenSong().SetModified(false);
}

void LyricforgeApp::Start(const std::string& argument) {
  std::error_code ec;
  const bool isFolder = !argument.empty() && std::filesystem::is_directory(argument, ec);
  if (isFolder) m_folders.music = argument;
  ShowPage(PageId::EditLyrics);
  m_frame->ApplyPlacement(ReadWindowPlacement(m_settings));
  emit WindowShown();
  // Stored folders replace the one given, but a missing "MusicPath" keeps it.
  ReadFolders();
  UpdateTitle();
  m_autoSave = false;
  RefreshCommands();
  StartRecoveryTimer();
  // Before the project given is opened (and locked): a crash may have left changes to it.
  if (OfferRecoveries()) return;
  if (!argument.empty() && !isFolder) OpenProjectFile(argument);
}

void LyricforgeApp::HandOver(const std::string& argument) {
  m_frame->BringForward();
  std::error_code ec;
  if (argument.empty() || std::filesystem::is_directory(argument, ec)) return;
  if (IsPlaying() || m_exportRunning) return;  // the project commands are disabled while busy
  if (!ConfirmCloseProject()) return;
  OpenProjectFile(argument);
}

bool LyricforgeApp::ShowPage(PageId page) {
  PageWidget* old = m_frame->Page();
  if (old && !old->CanLeave()) return false;
  if (old) old->Leave();
  // Play Final only plays: leaving it is no reason to write the project.
  if (m_autoSave && OpenSong().IsModified() && m_currentPage != PageId::PlayFinal) SaveProject();
  m_currentPage = page;
  m_frame->SetPage(CreatePage(page, *this, nullptr));
  if (PageWidget* shown = m_frame->Page()) shown->Enter();
  RefreshCommands();
  return true;
}

void LyricforgeApp::UpdateTitle() {
  if (!m_frame) return;
  // "[*]" is where Qt puts the desktop's unsaved-changes mark.
  m_frame->setWindowTitle(QString::fromStdString(WindowTitle(OpenSong().ProjectPath())) + "[*]");
  m_frame->setWindowModified(OpenSong().IsModified());
}

bool LyricforgeApp::ConfirmCloseProject() {
  StopPlayer();
  if (OpenSong().IsModified()) {
    const MessageAnswer answer =
        ShowMessage("You have made changes to this project.\nDo you want to save it?", "Confirm Closing Project",
                    MessageIcon::Question, MessageButtons::YesNoCancel, MessageAnswer::Yes);
    if (answer == MessageAnswer::Cancel) return false;
    if (answer == MessageAnswer::Yes && !SaveProject()) return false;
  }
  ForgetRecovery();
  WriteWindowPlacement(m_settings, m_frame->Placement());
  WriteFolders();
  return true;
}

bool LyricforgeApp::AllowWindowClose() {
  if (m_closeConfirmed) return true;
  if (m_exportRunning) return false;  // the export is writing; ConfirmCloseProject stops a player
  m_closeConfirmed = ConfirmCloseProject();
  return m_closeConfirmed;
}

bool LyricforgeApp::IsPlaying() const {
  const CdgPlayer* player = CdgPlayer::Global();
  return player && player->IsPlaying();
}

void LyricforgeApp::StopPlayer() {
  if (CdgPlayer* player = CdgPlayer::Global(); player && player->IsPlaying()) player->Stop();
}

ShellState LyricforgeApp::State() const {
  // The export's worker rebuilds the song's lines: until it ends, the menus
  // and buttons read the facts taken when it started, never the song.
  if (m_exportRunning) return m_stateAtExport;
  ShellState s;
  const Song& song = lf::OpenSong();
  s.playing = IsPlaying();
  s.exportRunning = m_exportRunning;
  s.projectPathSet = !song.ProjectPath().empty();
  s.musicPathSet = !song.MusicPath().empty();
  s.workingFileSet = !m_music.workingFilePath.empty();
  s.lyricsEmpty = song.Lyrics().RawLyrics().empty();
  s.anyWordPlaced = song.Lyrics().AnyWordPlaced();
  return s;
}

TimingHistoryState LyricforgeApp::TimingHistory() const {
  TimingHistoryState s;
  const bool timingPage = m_currentPage == PageId::PlaceLyrics || m_currentPage == PageId::AdjustLyrics;
  s.timingPage = timingPage && !m_exportRunning && !IsPlaying();
  if (!s.timingPage) return s;
  const lf::TimingHistory& history = lf::OpenSong().History();
  s.undoName = history.UndoName();
  s.redoName = history.RedoName();
  return s;
}

void LyricforgeApp::StepTimingHistory(bool redo) {
  if (!TimingHistory().timingPage) return;
  Song& song = lf::OpenSong();
  const bool stepped = redo ? song.History().Redo(song.Lyrics()) : song.History().Undo(song.Lyrics());
  if (!stepped) return;
  song.SetModified(true);
  if (PageWidget* page = MainWindow().Page()) page->TimesRestored();
  MainWindow().RefreshMenu();
}

bool LyricforgeApp::IsPageCommandEnabled(PageId page) const {
  const CommandEnables e = EnabledCommands(State());
  switch (page) {
    case PageId::EditLyrics:
      return e.editLyrics;
    case PageId::PlaceLyrics:
      return e.placeLyrics;
    case PageId::AdjustLyrics:
      return e.adjustLyrics;
    case PageId::PlayFinal:
      return e.playFinal;
    case PageId::None:
      break;
  }
  return false;
}

bool LyricforgeApp::IsSettingsEnabled() const { return EnabledCommands(State()).settings; }

void LyricforgeApp::RefreshCommands() {
  if (!m_frame) return;
  m_frame->RefreshMenu();
  if (PageWidget* page = m_frame->Page()) page->RefreshCommands();
}

void LyricforgeApp::SetExportRunning(bool running) {
  if (running && !m_exportRunning) {
    m_stateAtExport = State();
    m_stateAtExport.exportRunning = true;
  }
  m_exportRunning = running;
  RefreshCommands();
}

std::string LyricforgeApp::WorkingFolder() {
  if (!m_workingFolder) {
    try {
      m_workingFolder = std::make_unique<ScopedTempFolder>("lyricforge");
    } catch (const std::exception&) {
      return "";
    }
  }
  return m_workingFolder->Path();
}

bool LyricforgeApp::PrepareProjectMusic(const std::string& musicPath) {
  MusicPreparationContext context;
  context.workingFolder = WorkingFolder();
  std::unique_ptr<ProgressWindow> window;
  context.openProgress = [&](const std::string& caption) {
    window = std::make_unique<ProgressWindow>(QString::fromStdString(caption), true, m_frame.get());
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    context.progress = window.get();
  };
  context.closeProgress = [&] {
    if (window) window->hide();
  };
  context.processMessages = [] { QCoreApplication::processEvents(); };
  // openProgress runs inside PrepareMusic; the pointer it sets is read from there on.
  // A failure leaves the music that was prepared before, and its working file, in place.
  const bool ok = PrepareMusic(musicPath, m_music, context).Ok();
  if (ok) {
    OpenSong().Music().SetWorkingMusicPath(m_music.workingFilePath);
    OpenSong().Music().AllocateRwMemory(true);
  }
  RefreshCommands();
  return ok;
}

void LyricforgeApp::ReadFolders() {
  for (const FolderKey& f : kFolderKeys) {
    if (auto stored = m_settings.Value(kGroup, f.key)) m_folders.*f.member = *stored;
  }
}

void LyricforgeApp::WriteFolders() {
  for (const FolderKey& f : kFolderKeys) m_settings.SetValue(kGroup, f.key, m_folders.*f.member);
}

void LyricforgeApp::AddRecentProject(const std::string& path) {
  m_recent.Add(path);
  m_recent.Write(m_settings);
  RefreshCommands();
}

}  // namespace lf
