#pragma once
// LyricsPageSettings: the "Lyrics" page of the settings sheet. Edits the
// working copy's settings block and lyrics page: style, lines per page,
// singers, sweep, erase rule, colours and the lyrics picture, with a preview
// of sample rows drawn as the export draws lines.
#include <QWidget>
#include <array>
#include <functional>
#include <utility>

#include "core/song/color_choice.h"
#include "core/song/song.h"
#include "desktop/pages/settings_page_support.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QPushButton;

namespace lf {

class ColorButton;
class TextStyleControls;

class LyricsPageSettings : public QWidget {
  Q_OBJECT

 public:
  // `duetTarget` is the song the duet dialog writes its labels into (the
  // program's song, not the copy); `openDuetDialog` shows that dialog.
  LyricsPageSettings(Song& copy, std::function<void()> openDuetDialog, QWidget* parent = nullptr);

  bool SaveColorsAsDefaultChecked() const;
  void RedrawPreview();
  void LoadPicture(const std::string& path);
  void RemovePicture();
  void ChooseMode(int singerMode);

  QComboBox* LinesList() const { return m_lines; }
  QComboBox* EraseList() const { return m_erase; }
  QDoubleSpinBox* AdvanceSweep() const { return m_advance; }
  QCheckBox* SaveColors() const { return m_column.saveColors; }
  ColorButton* Singer2Color() const { return m_singer2; }
  QPushButton* RemoveButton() const { return m_picture.remove; }
  SettingsPreview* Preview() const { return m_column.preview; }

 private:
  PageRecord& Page() const;
  void RebuildLinesList();
  void RebuildEraseList(bool sheetOpening);
  // Each colour button with the colour it sets.
  std::array<std::pair<ColorButton*, ColorRole>, 8> ColorButtons() const;
  void RefreshColors();
  void RefreshEnables();

  Song& m_copy;
  std::function<void()> m_openDuetDialog;
  TextStyleControls* m_style = nullptr;
  ColorButton* m_shadow = nullptr;
  QComboBox* m_lines = nullptr;
  QButtonGroup* m_mode = nullptr;
  QButtonGroup* m_sweepMode = nullptr;
  QDoubleSpinBox* m_advance = nullptr;
  QCheckBox* m_entireWord = nullptr;
  QComboBox* m_erase = nullptr;
  ColorButton* m_background = nullptr;
  ColorButton* m_border = nullptr;
  ColorButton* m_singer1 = nullptr;
  ColorButton* m_singer2 = nullptr;
  ColorButton* m_both = nullptr;
  ColorButton* m_sweep = nullptr;
  ColorButton* m_fixed = nullptr;
  QComboBox* m_draw = nullptr;
  PictureRows m_picture;   // "Browse...", "Remove", "Display:"
  PreviewColumn m_column;  // the preview, "&Preview", "Save Colors as default:"
};

}  // namespace lf
