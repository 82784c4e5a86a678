#pragma once
// SongSettingsSheet: "Karaoke Song Settings", three pages ("Title Page",
// "Lyrics", "Credits Page") over a working copy of the song; it opens on
// "Lyrics". The caller copies the working copy back on OK. On OK the pages
// whose "Save Colors as default" is ticked store their colours. The sheet's
// last position is kept in "SettingsWindowPos".
#include <QDialog>

#include "core/song/song.h"

class QTabWidget;

namespace lf {

class LyricsPageSettings;
class TextPageSettings;

class SongSettingsSheet : public QDialog {
  Q_OBJECT

 public:
  // `song` receives what the duet dialog saves (the program's song).
  SongSettingsSheet(Song& copy, Song& song, QWidget* parent = nullptr);
  ~SongSettingsSheet() override;

  QTabWidget* Tabs() const { return m_tabs; }
  TextPageSettings* TitlePage() const { return m_title; }
  LyricsPageSettings* LyricsPage() const { return m_lyrics; }
  TextPageSettings* CreditsPage() const { return m_credits; }

  void accept() override;
  void done(int result) override;

 private:
  void RestorePosition();
  void SavePosition();
  void OpenDuetDialog();

  Song& m_copy;
  Song& m_song;
  QTabWidget* m_tabs = nullptr;
  TextPageSettings* m_title = nullptr;
  LyricsPageSettings* m_lyrics = nullptr;
  TextPageSettings* m_credits = nullptr;
};

}  // namespace lf
