#include "desktop/pages/text_style_controls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>

#include "core/cdg/font_dictionary.h"
#include "core/song/settings_sheet_values.h"

namespace lf {

QHBoxLayout* RadioRow(QWidget* parent, QButtonGroup* group, std::span<const RadioChoice> choices,
                      const QString& namePrefix) {
  auto* row = new QHBoxLayout;
  for (const RadioChoice& choice : choices) {
    auto* radio = new QRadioButton(QObject::tr(choice.label), parent);
    radio->setObjectName(namePrefix + choice.label);
    group->addButton(radio, choice.value);
    row->addWidget(radio);
  }
  row->addStretch();
  return row;
}

TextStyleControls::TextStyleControls(int32_t pageKind, const QString& outlineLabel, QWidget* parent) : QWidget(parent) {
  m_grid = new QGridLayout(this);
  m_grid->setContentsMargins(0, 0, 0, 0);
  m_face = new QComboBox(this);
  m_face->setObjectName("face");
  for (int n = 0; n < SharedFontDictionary().Count(); ++n)
    m_face->addItem(QString::fromStdString(SharedFontDictionary().NameAt(n)));
  m_size = new QComboBox(this);
  m_size->setObjectName("size");
  m_size->setEditable(true);
  for (int size : TextSizeChoices(pageKind)) m_size->addItem(QString::number(size));
  m_size->lineEdit()->setMaxLength(2);
  m_size->lineEdit()->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,2}"), m_size));

  auto* font = new QLabel(tr("&Font:"), this);
  font->setBuddy(m_face);
  auto* size = new QLabel(tr("&Size:"), this);
  size->setBuddy(m_size);
  m_grid->addWidget(font, 0, 0);
  m_grid->addWidget(m_face, 0, 1, 1, 3);
  m_grid->addWidget(size, 0, 4);
  m_grid->addWidget(m_size, 0, 5);

  auto* styleRow = new QHBoxLayout;
  m_bold = new QCheckBox(tr("B"), this);
  m_bold->setObjectName("bold");
  m_italic = new QCheckBox(tr("I"), this);
  m_italic->setObjectName("italic");
  m_outline = new QCheckBox(outlineLabel, this);
  m_outline->setObjectName("outline");
  styleRow->addWidget(m_bold);
  styleRow->addWidget(m_italic);
  styleRow->addWidget(m_outline);
  styleRow->addStretch();
  m_grid->addWidget(new QLabel(pageKind == LyricsPage ? tr("St&yle:") : tr("Style:"), this), 1, 0);
  m_grid->addLayout(styleRow, 1, 1, 1, 5);

  m_align = new QButtonGroup(this);
  constexpr RadioChoice kAligns[] = {{"Left", kAlignLeft}, {"Center", kAlignCenter}, {"Right", kAlignRight}};
  QHBoxLayout* alignRow = RadioRow(this, m_align, kAligns, "align");
  m_grid->addWidget(new QLabel(pageKind == LyricsPage ? tr("Align:") : tr("Horiz align:"), this), 2, 0);
  m_grid->addLayout(alignRow, 2, 1, 1, 5);

  connect(m_face, &QComboBox::currentIndexChanged, this, &TextStyleControls::Read);
  connect(m_size, &QComboBox::activated, this, &TextStyleControls::Read);
  connect(m_size->lineEdit(), &QLineEdit::editingFinished, this, &TextStyleControls::SizeTyped);
  for (QCheckBox* box : {m_bold, m_italic, m_outline})
    connect(box, &QCheckBox::toggled, this, &TextStyleControls::Read);
  connect(m_align, &QButtonGroup::idClicked, this, &TextStyleControls::Read);
}

void TextStyleControls::Show(const LineStyle& style) {
  m_showing = true;
  m_style = style;
  const QString face = QString::fromStdString(style.faceName);
  if (m_face->findText(face) < 0) m_face->addItem(face);
  m_face->setCurrentText(face);
  m_size->setCurrentText(QString::number(style.height));
  m_bold->setChecked(style.flags & kTextBold);
  m_italic->setChecked(style.flags & kTextItalic);
  m_outline->setChecked(style.flags & kTextOutline);
  if (QAbstractButton* button = m_align->button(style.hAlign)) button->setChecked(true);
  m_showing = false;
}

void TextStyleControls::SizeTyped() {
  if (!ParseTypedSize(m_size->currentText().toStdString())) {
    m_size->setCurrentText(QString::number(m_style.height));  // refused: the stored size stays
    return;
  }
  Read();
}

void TextStyleControls::Read() {
  if (m_showing) return;
  LineStyle style = m_style;
  style.faceName = m_face->currentText().left(kFontListNameSize - 1).toStdString();
  if (const auto size = ParseTypedSize(m_size->currentText().toStdString())) style.height = *size;
  uint32_t flags = style.flags & ~(kTextBold | kTextItalic | kTextOutline);
  if (m_bold->isChecked()) flags |= kTextBold;
  if (m_italic->isChecked()) flags |= kTextItalic;
  if (m_outline->isChecked()) flags |= kTextOutline;
  style.flags = flags;
  if (m_align->checkedId() >= 0) style.hAlign = m_align->checkedId();
  if (style == m_style) return;
  m_style = style;
  emit Changed(m_style);
}

}  // namespace lf
