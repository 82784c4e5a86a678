// The menu commands of the application object that are not project flows.
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QUrl>
#include <filesystem>

#include "core/audio/mp3_encoder.h"
#include "core/export/song_check.h"
#include "core/export/song_export.h"
#include "core/lyrics/lyrics_file_filters.h"
#include "core/platform/message_sink.h"
#include "core/platform/outcome.h"
#include "core/platform/paths.h"
#include "core/platform/settings.h"
#include "core/song/song.h"
#include "core/timing/voice_pitch.h"
#include "desktop/app/lyricforge_app.h"
#include "desktop/app/main_frame.h"
#include "desktop/dialogs/export_check_dialog.h"
#include "desktop/dialogs/export_dialog.h"
#include "desktop/dialogs/file_dialogs.h"
#include "desktop/dialogs/progress_window.h"
#include "desktop/pages/page_registry.h"
#include "desktop/rules/about_text.h"
#include "desktop/rules/default_colors.h"
#include "desktop/rules/export_check_list.h"
#include "desktop/rules/export_save_choice.h"
#include "lyricforge_version.h"

namespace lf {

void LyricforgeApp::ToggleAutoSave() {
  m_autoSave = !m_autoSave;
  m_settings.SetInt("Settings", "AutoSave", m_autoSave ? 1 : 0);
  RefreshCommands();
}

void LyricforgeApp::RestoreDefaultColorsCommand() { RestoreDefaultColors(m_settings); }

void LyricforgeApp::AddMusic() {
  int filterIndex = m_settings.Int("Settings", kMusicFileIndexKey, 0);
  const std::vector<FileFilter> filters = MusicFileFilters(IsMp3EncoderBound());
  for (bool again = true; again;) {
    again = false;
    const auto path = m_dialogs->ChooseFile(kMusicChooserTitle, m_folders.music, filters, filterIndex);
    if (!path) return;
    if (PrepareProjectMusic(*path)) {
      m_settings.SetInt("Settings", kMusicFileIndexKey, filterIndex);
      m_folders.music = m_music.musicFolder;
      OpenSong().SetMusicPath(*path);
    } else {
      again = ShowMessage("There is a problem with the selected audio file:\n\n" + m_music.musicErrorText +
                              "\nWould you like to choose another file?",
                          "Find Music", MessageIcon::Error, MessageButtons::YesNo,
                          MessageAnswer::Yes) == MessageAnswer::Yes;
    }
  }
  RefreshCommands();
}

std::optional<LyricsImport> LyricforgeApp::FindLyrics() {
  std::vector<FileFilter> filters;
  for (const LyricsFileFilter& f : kLyricsFileFilters)
    filters.push_back({std::string(f.text), std::string(f.patterns)});
  const std::string indexKey(kLyricFileIndexKey);
  int filterIndex = m_settings.Int("Settings", indexKey, 0);
  const auto path = m_dialogs->ChooseFile(std::string(kLyricsChooserTitle), m_folders.lyrics, filters, filterIndex);
  if (!path) return std::nullopt;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  m_settings.SetInt("Settings", indexKey, filterIndex);
  m_folders.lyrics = path->substr(0, path->find_last_of('/') + 1);
  LyricsImport import = ImportLyricsFile(*path);
  QApplication::restoreOverrideCursor();
  if (!import.Ok()) {
    ShowOutcome(import.outcome);
    return std::nullopt;
  }
  return import;
}

void LyricforgeApp::EditSettings() {
  if (!IsSettingsEnabled()) return;
  Song copy;
  copy.Copy(OpenSong());
  std::unique_ptr<QDialog> dialog(CreateSongSettingsDialog(copy, m_frame.get()));
  if (!dialog || dialog->exec() != QDialog::Accepted) return;
  OpenSong().Copy(copy);
  OpenSong().SetModified(true);
  ShowPage(m_currentPage);
}

void LyricforgeApp::OpenManual() {
  const std::filesystem::path start = std::filesystem::path(DataFolder()) / "manual" / "index.html";
  std::error_code ec;
  if (!std::filesystem::exists(start, ec) ||
      !QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(start.string())))) {
    ShowMessage("The manual cannot be opened: " + start.string(), "Lyricforge", MessageIcon::Error);
  }
}

}  // namespace lf

#include <QMessageBox>

namespace lf {

void LyricforgeApp::ShowAbout() {
  QMessageBox::about(
      m_frame.get(), tr("About Lyricforge"),
      tr("<b>Lyricforge</b> %1<p>%2</p>").arg(QString(LYRICFORGE_VERSION), QString::fromUtf8(kAboutTagline)));
}

bool LyricforgeApp::CheckBeforeExport() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  OpenSong().GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = true});
  const SongProblems problems = CheckSong(OpenSong(), CheckSettingsFrom(m_settings));
  QApplication::restoreOverrideCursor();
  if (problems.empty()) return true;
  ExportCheckDialog dialog(problems, m_frame.get());
  RunCheckDialog(dialog);
  if (dialog.Chosen() == ExportCheckDialog::Answer::GoTo && dialog.ChosenProblem()) {
    m_wordToAdjust = WordToAdjustFor(*dialog.ChosenProblem(), OpenSong());
    if (!ShowPage(PageId::AdjustLyrics)) m_wordToAdjust = -1;
  }
  return dialog.Chosen() == ExportCheckDialog::Answer::ExportAnyway;
}

void LyricforgeApp::ExportSong() {
  if (!EnabledCommands(State()).exportSong) return;
  StopPlayer();  // the export reads the song's buffer and the working file the player uses
  if (!CheckBeforeExport()) return;
  const MusicFormat music{m_music.sampleRate, m_music.channelCount, m_music.bitsPerSample};
  ExportDialog dialog(m_settings, IsMp3EncoderBound(), music, OpenSong().Lyrics().Artist(), OpenSong().Lyrics().Title(),
                      m_frame.get());
  if (!RunExportDialog(dialog)) return;
  if (dialog.Artist() != OpenSong().Lyrics().Artist() || dialog.Title() != OpenSong().Lyrics().Title()) {
    OpenSong().Lyrics().SetArtist(dialog.Artist());
    OpenSong().Lyrics().SetTitle(dialog.Title());
    OpenSong().SetModified(true);
  }
  SongExportRequest request;
  request.type = dialog.Choices().Type();
  request.bitRate = dialog.BitRate();
  request.zip = dialog.Choices().Zip();
  request.lyricFile = dialog.LyricFile();
  if (dialog.SungPitch()) request.lyricFile.notePitch = SungNotePitch(OpenSong().Music().WorkingMusicPath());
  request.lrc = IsLyricFileType(request.type) ? LrcStyle::None : dialog.Lrc();
  request.loudnessTarget = dialog.Choices().LoudnessRequest();
  const ExportSaveChoice save = ExportSaveChoiceFor(request.type, request.zip);
  const ExportSaveLocation where = ExportSaveLocationFor(request.type, OpenSong().MusicPath(), m_folders.music);
  const auto path = m_dialogs->ChooseFileToSave(save.title, where.folder, save.filter, save.suffix, where.name);
  if (!path) return;
  request.outputPath = *path;
  m_folders.music = path->substr(0, path->find_last_of('/') + 1);

  SetExportRunning(true);
  ProgressWindow progress(tr(save.progressCaption), true, m_frame.get());
  ExportOutcome outcome;
  progress.RunWhile([&] { outcome = lf::ExportSong(OpenSong(), request, DefaultAudioExportServices(), progress); });
  SetExportRunning(false);
  ShowOutcome(outcome);
  // A lyric file's note: the fixed lines its format could not carry.
  if (outcome.Ok() && !outcome.text.empty()) ShowMessage(outcome.text, "Export", MessageIcon::Information);
}

}  // namespace lf
