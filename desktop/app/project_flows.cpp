// The project flows of the application object: New, Open, Close, Save,
// Save As, Exit, and the page commands.
#include <QApplication>
#include <filesystem>

#include "core/platform/message_sink.h"
#include "core/platform/outcome.h"
#include "core/song/music_bounds.h"
#include "core/song/project_file.h"
#include "core/song/recovery_file.h"
#include "core/song/song.h"
#include "desktop/app/lyricforge_app.h"
#include "desktop/app/main_frame.h"
#include "desktop/dialogs/file_dialogs.h"

namespace lf {
namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void ShowCannotSave(const std::string& path) {
  ShowMessage("The project could not be saved as\n" + path +
                  "\n\nCheck that the folder exists, that you may write to it and that the disk is not full. "
                  "The project is still open and keeps its changes.",
              "Save Lyricforge Project", MessageIcon::Error);
}

}  // namespace

void LyricforgeApp::NewProject() {
  if (!EnabledCommands(State()).newProject) return;
  CloseProject();
  ShowPage(PageId::EditLyrics);
}

void LyricforgeApp::OpenProject() {
  if (!EnabledCommands(State()).open) return;
  if (!ConfirmCloseProject()) return;
  const auto path = m_dialogs->ChooseProjectToOpen(m_folders.project);
  if (!path) return;
  OpenProjectFile(*path);
}

std::optional<ProjectLockKeeper::Claim> LyricforgeApp::ClaimProjectLock(const std::string& path, bool savingOverIt) {
  std::string holder;
  auto claim = m_lock.ClaimLock(path, &holder);
  if (!claim)
    ShowMessage(ProjectInUseText(path, holder, savingOverIt),
                savingOverIt ? "Save Lyricforge Project" : "Open Lyricforge Project", MessageIcon::Exclamation);
  return claim;
}

void LyricforgeApp::OpenRecentProject(const std::string& path) {
  if (!EnabledCommands(State()).open) return;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    ShowMessage(RecentProjectMissingText(path), "Open Lyricforge Project", MessageIcon::Exclamation);
    m_recent.Remove(path);
    m_recent.Write(m_settings);
    RefreshCommands();
    return;
  }
  if (!ConfirmCloseProject()) return;
  OpenProjectFile(path);
}

bool LyricforgeApp::OpenProjectFile(const std::string& path) {
  // Another program changing the file: the open project stays as it is.
  auto claim = ClaimProjectLock(path, false);
  if (!claim) return false;
  m_lock.Keep(std::move(*claim));
  m_projectOpened = true;
  m_folders.project = FolderOf(path);
  AddRecentProject(path);
  OpenSong().SetProjectPath(path);
  if (const Outcome loaded = OpenSong().LoadProject(); !loaded) {
    // A file cut short fails quietly in the core; the author is still told why.
    ShowMessage(ProjectLoadFailureText(loaded), loaded.caption.empty() ? "Lyricforge" : loaded.caption,
                loaded.icon == MessageIcon::None ? MessageIcon::Exclamation : loaded.icon);
    // Keep no path to the file that failed, so a Save cannot overwrite it
    // with the empty project.
    ResetToNewProject();
    m_lock.Release();
    m_projectOpened = false;
    m_music = MusicState{};
    OpenSong().Music().SetWorkingMusicPath({});
    ShowPage(PageId::EditLyrics);
    UpdateTitle();
    return false;
  }
  // The previous project's music is no part of this one, even when this one's fails.
  m_music = MusicState{};
  OpenSong().Music().SetWorkingMusicPath({});
  if (!OpenSong().MusicPath().empty()) AskAboutMissingMusic(PrepareProjectMusic(OpenSong().MusicPath()));
  if (const int moved = BoundWordTimesByMusic(OpenSong()); moved > 0)
    ShowMessage(WordsPastMusicText(moved) + ".", "Open Lyricforge Project", MessageIcon::Exclamation);
  ShowPage(PageId::EditLyrics);
  UpdateTitle();
  return true;
}

void LyricforgeApp::AskAboutMissingMusic(bool prepared) {
  std::error_code ec;
  std::string text, caption;
  if (!prepared) {
    text = "The music file associated with this\nproject has an error:\n\n" + m_music.musicErrorText +
           "\n Would you like to select a different\nmusic file now?\n";
    caption = "Error in Music File";
  } else if (!std::filesystem::exists(OpenSong().MusicPath(), ec)) {
    text =
        "The music file associated with this\nproject cannot be found.  Would you\nlike to select a music file now?\n";
    caption = "Music File Not Found";
  } else {
    return;
  }
  if (ShowMessage(text, caption, MessageIcon::Question, MessageButtons::YesNo, MessageAnswer::Yes) ==
      MessageAnswer::Yes) {
    AddMusic();
  } else {
    OpenSong().SetMusicPath({});
  }
}

void LyricforgeApp::CloseProject() {
  if (!ConfirmCloseProject()) return;
  m_music = MusicState{};
  OpenSong().Music().SetWorkingMusicPath({});
  ResetToNewProject();
  m_lock.Release();
  ShowPage(PageId::EditLyrics);
  UpdateTitle();
  m_projectOpened = false;
}

bool LyricforgeApp::SaveProject() {
  if (OpenSong().ProjectPath().empty()) return SaveProjectAs();
  if (!OpenSong().SaveProject()) {
    ShowCannotSave(OpenSong().ProjectPath());
    return false;
  }
  ForgetRecovery();
  UpdateTitle();
  return true;
}

bool LyricforgeApp::SaveProjectAs() {
  const auto path = m_dialogs->ChooseProjectToSave(m_folders.project);
  if (!path) return false;
  // Never over a project another program has open; the lock moves only with a save that worked.
  auto claim = ClaimProjectLock(*path, true);
  if (!claim) return false;
  const std::string previous = OpenSong().ProjectPath();
  OpenSong().SetProjectPath(*path);
  if (!OpenSong().SaveProject()) {
    OpenSong().SetProjectPath(previous);
    ShowCannotSave(*path);
    return false;
  }
  m_lock.Keep(std::move(*claim));
  if (!previous.empty()) RemoveRecovery(previous);
  ForgetRecovery();
  AddRecentProject(*path);
  m_folders.project = FolderOf(*path);
  UpdateTitle();
  RefreshCommands();
  return true;
}

void LyricforgeApp::Exit() {
  if (!EnabledCommands(State()).exit) return;
  if (!ConfirmCloseProject()) return;
  m_closeConfirmed = true;
  m_frame->close();
  QCoreApplication::quit();
}

void LyricforgeApp::PageCommand(PageId page) {
  if (!IsPageCommandEnabled(page)) return;
  if (page == PageId::EditLyrics && HasPlacedLyrics()) m_frame->ShowLyricsPlacedNotice();
  if (page == PageId::PlaceLyrics && HasPlacedLyrics() &&
      ShowMessage("Warning! You have already placed some lyrics.\nClick \"Yes\" to redo the lyrics from the "
                  "start.\nClick \"No\" to cancel this operation.",
                  "Confirm Overwriting Placed Lyrics", MessageIcon::Exclamation, MessageButtons::YesNo,
                  MessageAnswer::No) != MessageAnswer::Yes)
    return;
  ShowPage(page);
}

}  // namespace lf
