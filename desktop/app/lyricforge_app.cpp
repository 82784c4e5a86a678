#include "desktop/app/lyricforge_app.h"

#include <QApplication>
#include <QFileInfo>
#include <filesystem>

#include "core/audio/music_preparation.h"
#include "core/platform/message_sink.h"
#include "core/platform/settings.h"
#include "core/playback/cdg_player.h"
#include "core/song/song_settings.h"
#include "desktop/app/main_frame.h"
#include "desktop/dialogs/file_dialogs.h"
#include "desktop/dialogs/progress_window.h"
#include "desktop/pages/page_registry.h"
#include "desktop/rules/window_title.h"

namespace lf {
namespace {

CLyricforgeApp* g_app = nullptr;

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

CLyricforgeApp::CLyricforgeApp(ISettings& settings) : m_settings(settings) {
  g_app = this;
  if (!HasSong()) CreateSong();
  ResetToNewProject();
  Song().SetModifiedObserver([this](bool) {
    UpdateTitle();
    RefreshCommands();
  });
  m_frame = std::make_unique<CMainFrame>(*this);
  m_dialogs = std::make_unique<QtFileDialogs>(m_frame.get());
  m_recent = RecentProjects::Read(m_settings);
}

CLyricforgeApp::~CLyricforgeApp() {
  StopPlayer();
  m_frame.reset();
  if (HasSong()) Song().SetModifiedObserver({});
  if (g_app == this) g_app = nullptr;
}

CLyricforgeApp* CLyricforgeApp::Instance() { return g_app; }

void CLyricforgeApp::SetFileDialogs(std::unique_ptr<IFileDialogs> dialogs) { m_dialogs = std::move(dialogs); }

MSongSettings& CLyricforgeApp::Song() { return lf::Song(); }

void CLyricforgeApp::ResetToNewProject() {
  Song().SetProjectPath({});
  Song().ResetSongDefaults();
  Song().SetModified(false);
}

void CLyricforgeApp::Start(const std::string& argument) {
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
  if (!argument.empty() && !isFolder) OpenProjectFile(argument);
}

void CLyricforgeApp::HandOver(const std::string& argument) {
  m_frame->BringForward();
  std::error_code ec;
  if (argument.empty() || std::filesystem::is_directory(argument, ec)) return;
  if (IsPlaying() || m_exportRunning) return;  // the project commands are disabled while busy
  if (!ConfirmCloseProject()) return;
  OpenProjectFile(argument);
}

bool CLyricforgeApp::ShowPage(PageId page) {
  CPage* old = m_frame->Page();
  if (old && !old->CanLeave()) return false;
  if (old) old->Leave();
  // Play Final only plays: leaving it is no reason to write the project.
  if (m_autoSave && Song().IsModified() && m_currentPage != PageId::PlayFinal) SaveProject();
  m_currentPage = page;
  m_frame->SetPage(CreatePage(page, *this, nullptr));
  if (CPage* shown = m_frame->Page()) shown->Enter();
  RefreshCommands();
  return true;
}

void CLyricforgeApp::UpdateTitle() {
  if (m_frame) m_frame->setWindowTitle(QString::fromStdString(WindowTitle(Song().ProjectPath())));
}

bool CLyricforgeApp::ConfirmCloseProject() {
  StopPlayer();
  if (Song().IsModified()) {
    const MessageAnswer answer =
        ShowMessage("You have made changes to this project.\nDo you want to save it?", "Confirm Closing Project",
                    MessageIcon::Question, MessageButtons::YesNoCancel, MessageAnswer::Yes);
    if (answer == MessageAnswer::Cancel) return false;
    if (answer == MessageAnswer::Yes && !SaveProject()) return false;
  }
  WriteWindowPlacement(m_settings, m_frame->Placement());
  WriteFolders();
  return true;
}

bool CLyricforgeApp::AllowWindowClose() {
  if (m_closeConfirmed) return true;
  if (m_exportRunning) return false;  // the export is writing; ConfirmCloseProject stops a player
  m_closeConfirmed = ConfirmCloseProject();
  return m_closeConfirmed;
}

bool CLyricforgeApp::IsPlaying() const {
  const MCdgPlayer* player = MCdgPlayer::Global();
  return player && player->IsPlaying();
}

void CLyricforgeApp::StopPlayer() {
  if (MCdgPlayer* player = MCdgPlayer::Global(); player && player->IsPlaying()) player->Stop();
}

ShellState CLyricforgeApp::State() const {
  // The export's worker rebuilds the song's lines: until it ends, the menus
  // and buttons read the facts taken when it started, never the song.
  if (m_exportRunning) return m_stateAtExport;
  ShellState s;
  const MSongSettings& song = lf::Song();
  s.playing = IsPlaying();
  s.exportRunning = m_exportRunning;
  s.projectPathSet = !song.ProjectPath().empty();
  s.musicPathSet = !song.MusicPath().empty();
  s.workingFileSet = !m_music.workingFilePath.empty();
  s.lyricsEmpty = song.RawLyrics().empty();
  s.anyWordPlaced = song.AnyWordPlaced();
  return s;
}

bool CLyricforgeApp::IsPageCommandEnabled(PageId page) const {
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

bool CLyricforgeApp::IsSettingsEnabled() const { return EnabledCommands(State()).settings; }

void CLyricforgeApp::RefreshCommands() {
  if (!m_frame) return;
  m_frame->RefreshMenu();
  if (CPage* page = m_frame->Page()) page->RefreshCommands();
}

void CLyricforgeApp::SetExportRunning(bool running) {
  if (running && !m_exportRunning) {
    m_stateAtExport = State();
    m_stateAtExport.exportRunning = true;
  }
  m_exportRunning = running;
  RefreshCommands();
}

bool CLyricforgeApp::PrepareProjectMusic(const std::string& musicPath) {
  MusicPreparationContext context;
  context.workingFolder = DefaultTempFolder();
  std::unique_ptr<CProgressWindow> window;
  context.openProgress = [&](const std::string& caption) {
    window = std::make_unique<CProgressWindow>(QString::fromStdString(caption), true, m_frame.get());
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
    Song().SetWorkingMusicPath(m_music.workingFilePath);
    Song().AllocateRwMemory(true);
  }
  RefreshCommands();
  return ok;
}

void CLyricforgeApp::ReadFolders() {
  for (const FolderKey& f : kFolderKeys) {
    if (auto stored = m_settings.Value(kGroup, f.key)) m_folders.*f.member = *stored;
  }
}

void CLyricforgeApp::WriteFolders() {
  for (const FolderKey& f : kFolderKeys) m_settings.SetValue(kGroup, f.key, m_folders.*f.member);
}

void CLyricforgeApp::AddRecentProject(const std::string& path) {
  m_recent.Add(path);
  m_recent.Write(m_settings);
  RefreshCommands();
}

}  // namespace lf
