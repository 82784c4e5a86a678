#pragma once
// ExportDialog, "Export Song File": the export type, its compression, the lyric
// file, zipping, the lyric and subtitle files' timing and sweep, artist and title. Its rules live in ExportChoices;
// this adds the widgets and the balloon tips.
#include <QDialog>
#include <string>

#include "core/export/export_choices.h"
#include "core/export/lrc_writer.h"
#include "core/export/lyric_file_export.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace lf {

class ExportDialog : public QDialog {
  Q_OBJECT

 public:
  ExportDialog(SettingsStore& settings, bool mp3Available, const MusicFormat& music, const std::string& artist,
               const std::string& title, QWidget* parent = nullptr);

  const ExportChoices& Choices() const { return m_choices; }
  int BitRate() const;
  LrcStyle Lrc() const;
  // The lyric and subtitle files' choices: timeline, LRC style, ASS sweep.
  // Whether UltraStar notes take the pitch the music sings (the caller, which
  // knows the music, sets the options' notePitch).
  bool SungPitch() const;
  LyricFileOptions LyricFile() const;
  std::string Artist() const;
  std::string Title() const;
  // The last balloon tip shown ("" when none): tests read it.
  const QString& LastTip() const { return m_lastTip; }

  QRadioButton* TypeButton(ExportType type) const;
  QComboBox* CompressionList() const { return m_list; }

 public slots:
  void accept() override;

 private:
  void ChangeType(ExportType type);
  void ShowChoices();
  void ShowTip(QWidget* at, const QString& title, const QString& text);

  SettingsStore& m_settings;
  MusicFormat m_music;
  ExportChoices m_choices;
  QButtonGroup* m_types = nullptr;
  QLabel* m_listLabel = nullptr;
  QComboBox* m_list = nullptr;
  QCheckBox* m_lrc = nullptr;
  QRadioButton* m_simple = nullptr;
  QRadioButton* m_enhanced = nullptr;
  QCheckBox* m_zip = nullptr;
  QCheckBox* m_exportTiming = nullptr;
  QCheckBox* m_sweep = nullptr;
  QCheckBox* m_sungPitch = nullptr;

  QCheckBox* m_loudness = nullptr;
  QLineEdit* m_artist = nullptr;
  QLineEdit* m_title = nullptr;
  QString m_lastTip;
};

}  // namespace lf
