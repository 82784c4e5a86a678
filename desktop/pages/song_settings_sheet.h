#pragma once
// CSongSettingsSheet: "Karaoke Song Settings", three pages ("Title Page",
// "Lyrics", "Credits Page") over a working copy of the song; it opens on
// "Lyrics". The caller copies the working copy back on OK. On OK the pages
// whose "Save Colors as default" is ticked store their colours. The sheet's
// last position is kept in "SettingsWindowPos".
#include <QDialog>

#include "core/song/song_settings.h"

class QTabWidget;

namespace lf {

class CLyricsPageSettings;
class CTextPageSettings;

class CSongSettingsSheet : public QDialog {
  Q_OBJECT

 public:
  // `song` receives what the duet dialog saves (the program's song).
  CSongSettingsSheet(MSongSettings& copy, MSongSettings& song, QWidget* parent = nullptr);
  ~CSongSettingsSheet() override;

  QTabWidget* Tabs() const { return m_tabs; }
  CTextPageSettings* TitlePage() const { return m_title; }
  CLyricsPageSettings* LyricsPage() const { return m_lyrics; }
  CTextPageSettings* CreditsPage() const { return m_credits; }

  void accept() override;
  void done(int result) override;

 private:
  void RestorePosition();
  void SavePosition();
  void OpenDuetDialog();

  MSongSettings& m_copy;
  MSongSettings& m_song;
  QTabWidget* m_tabs = nullptr;
  CTextPageSettings* m_title = nullptr;
  CLyricsPageSettings* m_lyrics = nullptr;
  CTextPageSettings* m_credits = nullptr;
};

}  // namespace lf
