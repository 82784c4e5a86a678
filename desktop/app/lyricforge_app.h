#pragma once
// LyricforgeApp: everything that lives as long as the desktop program: the
// song, the project's music state, the folders and flags, the main window,
// and the page commands and project flows (lyricforge_app.cpp: start-up,
// pages, title, closing; project_flows.cpp: New, Open, Close, Save, Save As;
// shell_commands.cpp: menu commands).
#include <QDialog>
#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "core/audio/music_state.h"
#include "core/platform/paths.h"
#include "desktop/pages/shell.h"
#include "desktop/rules/menu_rules.h"
#include "desktop/rules/project_lock_keeper.h"
#include "desktop/rules/recent_projects.h"
#include "desktop/rules/window_placement.h"

class QTimer;

namespace lf {

class MainFrame;
class FileDialogs;
class SettingsStore;

// The stored folders of the file dialogs.
struct Folders {
  std::string lyrics, project, music, graphics;
};

class LyricforgeApp : public QObject, public PageHost {
  Q_OBJECT

 public:
  // Creates the song (an empty project) and the main window, not yet shown.
  explicit LyricforgeApp(SettingsStore& settings);
  ~LyricforgeApp() override;

  // Start-up from the first page on: a folder argument is the music folder,
  // a project argument is opened; then the window is placed and shown.
  void Start(const std::string& argument = {});
  // A second start handed over its argument: come forward, open a project.
  void HandOver(const std::string& argument);

  MainFrame& MainWindow() { return *m_frame; }
  SettingsStore& Settings() { return m_settings; }
  void SetFileDialogs(std::unique_ptr<FileDialogs> dialogs);

  // --- pages and state ----------------------------------------------------------
  bool ShowPage(PageId page);
  PageId CurrentPage() const { return m_currentPage; }
  bool ConfirmCloseProject();
  void UpdateTitle();
  ShellState State() const;
  // The timing history as the Edit menu offers it, and taking a step back or forward.
  TimingHistoryState TimingHistory() const;
  void StepTimingHistory(bool redo);
  void RefreshCommands();

  // --- project flows (project_flows.cpp) ------------------------------------------
  void NewProject();
  void OpenProject();
  // The Open flow from the chosen file on; false when the project did not load.
  bool OpenProjectFile(const std::string& path);
  // A recent project from the File menu: the Open flow with its save question;
  // one that is gone is said so and taken off the list.
  void OpenRecentProject(const std::string& path);
  void CloseProject();
  bool SaveProject();
  bool SaveProjectAs();
  void Exit();

  // --- menu commands (shell_commands.cpp) -----------------------------------------
  void ToggleAutoSave();
  // Recovery files and tapping (recovery_flows.cpp).
  void EditRecoveryInterval();
  void CalibrateTapping();
  // Asks about each recovery file a crash left: Recover, Discard or Later.
  // True when a project was recovered (and is open, modified).
  bool OfferRecoveries();
  void ExportSong();
  void RestoreDefaultColorsCommand();
  void OpenManual();
  void ShowAbout();

  bool AutoSave() const { return m_autoSave; }
  bool ProjectOpened() const { return m_projectOpened; }
  void SetExportRunning(bool running);
  const Folders& StoredFolders() const { return m_folders; }
  Folders& StoredFolders() { return m_folders; }
  const RecentProjects& Recent() const { return m_recent; }

  // --- PageHost ------------------------------------------------------------------------
  Song& OpenSong() override;
  const MusicState& Music() const override { return m_music; }
  void PageCommand(PageId page) override;
  void EditSettings() override;
  void AddMusic() override;
  std::optional<LyricsImport> FindLyrics() override;
  bool IsPlaying() const override;
  bool CanPlace() const override { return State().CanPlace(); }
  bool HasPlacedLyrics() const override { return State().HasPlacedLyrics(); }
  bool ExportRunning() const override { return m_exportRunning; }
  bool IsPageCommandEnabled(PageId page) const override;
  bool IsSettingsEnabled() const override;
  void CommandStateChanged() override { RefreshCommands(); }
  int TakeWordToAdjust() override { return std::exchange(m_wordToAdjust, -1); }

  // Prepares `musicPath` as the project's music: the working file, its
  // format, the output buffer. False (with the reason in Music()) on failure.
  bool PrepareProjectMusic(const std::string& musicPath);

  // Shows the export dialog; tests answer it in their own way.
  std::function<bool(QDialog&)> RunExportDialog = [](QDialog& d) { return d.exec() == QDialog::Accepted; };
  // Shows the problems found before an export (an ExportCheckDialog); likewise.
  std::function<void(QDialog&)> RunCheckDialog = [](QDialog& d) { d.exec(); };

  // True once the window may close (ConfirmCloseProject agreed).
  bool AllowWindowClose();

 signals:
  // Start-up placed and showed the main window (a project argument opens after it).
  void WindowShown();

 private:
  void StartRecoveryTimer();
  void SaveRecovery();
  // The open project's recovery file goes: it was saved, or closed on purpose.
  void ForgetRecovery();
  void ReadFolders();
  void WriteFolders();
  void AddRecentProject(const std::string& path);
  void StopPlayer();
  // The check before an export: true to go on; false when the author
  // cancelled, went to a problem or an error stops the export.
  bool CheckBeforeExport();
  void AskAboutMissingMusic(bool prepared);
  void ResetToNewProject();
  // Claims the lock of `path`; tells the user who holds it when another program does.
  std::optional<ProjectLockKeeper::Claim> ClaimProjectLock(const std::string& path, bool savingOverIt);
  // This run's private folder for the working music, made on first use and
  // removed with the program; "" when it cannot be made.
  std::string WorkingFolder();

  SettingsStore& m_settings;
  std::unique_ptr<ScopedTempFolder> m_workingFolder;  // before m_music, which names files in it
  std::unique_ptr<MainFrame> m_frame;
  std::unique_ptr<FileDialogs> m_dialogs;
  MusicState m_music;
  ProjectLockKeeper m_lock;  // the open project's
  Folders m_folders;
  RecentProjects m_recent;
  PageId m_currentPage = PageId::None;
  bool m_autoSave = false;
  bool m_projectOpened = false;
  bool m_exportRunning = false;
  ShellState m_stateAtExport;  // what State() says while the export's worker has the song
  bool m_closeConfirmed = false;
  QTimer* m_recoveryTimer = nullptr;  // the recovery saves' (owned by this object)

  int m_wordToAdjust = -1;  // for the Adjust Lyrics page to open on
};

}  // namespace lf
