#pragma once
// TextPageSettings: the "Title Page" and "Credits Page" of the settings
// sheet. Edits the working copy's page of its kind: text with a style per
// line, colours, picture, placement, transitions and hold, with a preview
// drawn as the export draws it.
#include <QWidget>

#include "core/song/song.h"
#include "desktop/pages/settings_page_support.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace lf {

class ColorButton;
class LyricsTextEdit;
class TextStyleControls;

class TextPageSettings : public QWidget {
  Q_OBJECT

 public:
  TextPageSettings(Song& copy, int32_t kind, QWidget* parent = nullptr);

  int32_t Kind() const { return m_kind; }
  bool SaveColorsAsDefaultChecked() const;
  void RedrawPreview();
  void LoadPicture(const std::string& path);  // the Browse flow after the file dialog
  void RemovePicture();

  LyricsTextEdit* TextEditor() const { return m_text; }
  QComboBox* LineList() const { return m_lines; }
  TextStyleControls* StyleControls() const { return m_style; }
  ColorButton* TextColor() const { return m_textColor; }
  ColorButton* BackgroundColor() const { return m_background; }
  QLineEdit* HoldField() const { return m_hold; }
  QCheckBox* SaveColors() const { return m_column.saveColors; }
  SettingsPreview* Preview() const { return m_column.preview; }

 private:
  PageRecord& Page() const;
  void OnTextChanged();
  void OnCaretMoved();
  void ShowLine(int line);
  void RebuildLineList();
  void RefreshColors();
  void RefreshPictureControls();
  void Browse();
  void HoldTyped();

  Song& m_copy;
  int32_t m_kind;
  int m_line = 1;
  bool m_updating = false;
  LyricsTextEdit* m_text = nullptr;
  QComboBox* m_lines = nullptr;
  TextStyleControls* m_style = nullptr;
  QButtonGroup* m_vAlign = nullptr;
  ColorButton* m_textColor = nullptr;
  ColorButton* m_background = nullptr;
  ColorButton* m_border = nullptr;
  ColorButton* m_outline = nullptr;
  QCheckBox* m_enabled = nullptr;
  QComboBox* m_draw = nullptr;
  QComboBox* m_erase = nullptr;
  QLineEdit* m_hold = nullptr;
  PictureRows m_picture;   // "Browse...", "Remove", "Display:"
  PreviewColumn m_column;  // the preview, "&Preview", "Save Colors as default:"
};

}  // namespace lf
