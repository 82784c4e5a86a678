#pragma once
// TextStyleControls: face, size, bold/italic/outline and horizontal
// alignment of one text style, as the settings pages show them. The face
// list comes from the engine's font dictionary; a typed size that is not a
// whole number of up to 2 digits is refused and the shown size put back.
#include <QWidget>
#include <span>

#include "core/cdg/text_type.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QHBoxLayout;

namespace lf {

// A row of radio buttons, one per choice, each in `group` with its value as
// id and named `namePrefix` followed by its label ("alignLeft"); the row ends
// in a stretch. The alignment rows of the settings pages are made of these.
struct RadioChoice {
  const char* label;
  int value;
};
QHBoxLayout* RadioRow(QWidget* parent, QButtonGroup* group, std::span<const RadioChoice> choices,
                      const QString& namePrefix);

class TextStyleControls : public QWidget {
  Q_OBJECT

 public:
  // `outlineLabel`: "Outline" on the title and credits pages, "Shadow" on the lyrics page.
  TextStyleControls(int32_t pageKind, const QString& outlineLabel, QWidget* parent = nullptr);

  void Show(const LineStyle& style);
  const LineStyle& Style() const { return m_style; }

  QComboBox* FaceList() const { return m_face; }
  QComboBox* SizeList() const { return m_size; }
  QCheckBox* Outline() const { return m_outline; }
  QGridLayout* Grid() const { return m_grid; }

 signals:
  void Changed(const LineStyle& style);

 private:
  void Read();
  void SizeTyped();

  LineStyle m_style;
  bool m_showing = false;
  QGridLayout* m_grid = nullptr;
  QComboBox* m_face = nullptr;
  QComboBox* m_size = nullptr;
  QCheckBox* m_bold = nullptr;
  QCheckBox* m_italic = nullptr;
  QCheckBox* m_outline = nullptr;
  QButtonGroup* m_align = nullptr;
};

}  // namespace lf
