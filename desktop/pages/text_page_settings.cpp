#include "desktop/pages/text_page_settings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QVBoxLayout>

#include "core/platform/message_sink.h"
#include "core/song/color_choice.h"
#include "core/song/page_line_styles.h"
#include "core/song/page_picture.h"
#include "core/song/settings_sheet_values.h"
#include "desktop/pages/settings_page_support.h"
#include "desktop/pages/text_style_controls.h"
#include "desktop/widgets/color_button.h"
#include "desktop/widgets/simple_edit_ctrl.h"

namespace lf {
namespace {

// "Fill Right" ... "Block Dissolve": the transitions a title or credits page draws and erases with.
constexpr int kPageTransitions[] = {FillRight,  FillLeft,   FillDown, FillUp,       ScrollRight,
                                    ScrollLeft, ScrollDown, ScrollUp, BlockDissolve};

}  // namespace

TextPageSettings::TextPageSettings(Song& copy, int32_t kind, QWidget* parent)
    : QWidget(parent), m_copy(copy), m_kind(kind) {
  setObjectName(kind == TitlePage ? "titlePage" : "creditsPage");
  auto* layout = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  layout->addLayout(left, 3);

  m_enabled = new QCheckBox(tr("Enable this page"), this);
  m_enabled->setObjectName("enabled");
  left->addWidget(m_enabled);
  m_text = new LyricsTextEdit(this);
  m_text->setObjectName("pageText");
  m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_text->setMaximumHeight(120);
  left->addWidget(m_text);

  auto* grid = new QGridLayout;
  left->addLayout(grid);
  m_lines = new QComboBox(this);
  m_lines->setObjectName("lineNumber");
  grid->addWidget(new QLabel(tr("Line #:"), this), 0, 0);
  grid->addWidget(m_lines, 0, 1);
  m_style = new TextStyleControls(kind, tr("Outline"), this);
  left->addWidget(m_style);
  m_outline = new ColorButton(tr("Outline color"), this);
  m_outline->setObjectName("outlineColor");
  m_style->Grid()->addWidget(m_outline, 1, 5);

  m_vAlign = new QButtonGroup(this);
  constexpr RadioChoice kVerticalAligns[] = {{"Top", kAlignTop}, {"Center", kAlignVCenter}, {"Bottom", kAlignBottom}};
  QHBoxLayout* vRow = RadioRow(this, m_vAlign, kVerticalAligns, "valign");
  auto* vBox = new QHBoxLayout;
  vBox->addWidget(new QLabel(tr("Vert align:"), this));
  vBox->addLayout(vRow, 1);
  left->addLayout(vBox);

  auto* colors = new QHBoxLayout;
  m_textColor = new ColorButton(tr("Text:"), this);
  m_textColor->setObjectName("textColor");
  m_background = new ColorButton(tr("Bkgnd:"), this);
  m_background->setObjectName("backgroundColor");
  m_border = new ColorButton(tr("&Border:"), this);
  m_border->setObjectName("borderColor");
  for (QWidget* w :
       {static_cast<QWidget*>(m_textColor), static_cast<QWidget*>(m_background), static_cast<QWidget*>(m_border)})
    colors->addWidget(w);
  colors->addStretch();
  left->addLayout(colors);

  m_draw = TransitionList(this, "draw", kPageTransitions);
  m_erase = TransitionList(this, "erase", kPageTransitions);
  m_picture = AddPictureRows(this, m_draw, left);
  m_hold = new QLineEdit(this);
  m_hold->setObjectName("hold");
  m_hold->setMaxLength(kHoldFieldCharacters);
  auto* eraseLabel = new QLabel(tr("Erase:"), this);
  m_picture.grid->addWidget(eraseLabel, 3, 0);
  m_picture.grid->addWidget(m_erase, 3, 1, 1, 2);
  m_picture.grid->addWidget(new QLabel(tr("Hold:"), this), 4, 0);
  m_picture.grid->addWidget(m_hold, 4, 1);
  m_picture.grid->addWidget(new QLabel(tr("secs."), this), 4, 2);
  if (kind == CreditsPage) {
    eraseLabel->hide();
    m_erase->hide();
  }
  left->addStretch();

  m_column = AddPreviewColumn(this, layout);

  // Fill the controls from the page, then listen.
  PageRecord& page = Page();
  m_enabled->setChecked(page.m_enabled);
  m_text->SetUtf8Text(page.m_pageText);
  m_picture.placement->setCurrentIndex(page.m_placement);
  m_draw->setCurrentIndex(page.m_drawTransition);
  m_erase->setCurrentIndex(page.m_eraseTransition);
  m_hold->setText(QString::fromStdString(HoldText(page.m_holdTime)));
  if (QAbstractButton* b = m_vAlign->button(page.m_style.m_vAlign)) b->setChecked(true);
  RebuildLineList();
  ShowLine(1);
  RefreshColors();
  RefreshPictureControls();

  connect(m_enabled, &QCheckBox::toggled, this, [this](bool on) { Page().m_enabled = on ? 1 : 0; });
  connect(m_text, &QPlainTextEdit::textChanged, this, &TextPageSettings::OnTextChanged);
  connect(m_text, &QPlainTextEdit::cursorPositionChanged, this, &TextPageSettings::OnCaretMoved);
  connect(m_lines, &QComboBox::activated, this, [this](int index) { ShowLine(index + 1); });
  connect(m_style, &TextStyleControls::Changed, this, [this](const LineStyle& style) {
    LineStyle stored = style;
    stored.color = PageLineStyle(Page(), m_line).color;
    SetPageLineStyle(Page(), m_line, stored);
    RedrawPreview();
  });
  connect(m_vAlign, &QButtonGroup::idClicked, this, [this](int id) {
    Page().m_style.m_vAlign = id;
    RedrawPreview();
  });
  const std::pair<ColorButton*, ColorRole> roles[] = {{m_textColor, ColorRole::Text},
                                                      {m_background, ColorRole::Background},
                                                      {m_border, ColorRole::Border},
                                                      {m_outline, ColorRole::Outline}};
  for (const auto& [button, role] : roles)
    connect(button, &ColorButton::ColorChosen, this, [this, role = role](Colorref color) {
      ApplyColorChoice(m_copy, m_kind, role, color, m_line);
      RefreshColors();
      RedrawPreview();
    });
  connect(m_picture.browse, &QPushButton::clicked, this, &TextPageSettings::Browse);
  connect(m_picture.remove, &QPushButton::clicked, this, &TextPageSettings::RemovePicture);
  connect(m_picture.placement, &QComboBox::activated, this, [this](int p) {
    Page().m_placement = p;
    RedrawPreview();
  });
  connect(m_draw, &QComboBox::activated, this, [this](int t) { Page().m_drawTransition = t; });
  connect(m_erase, &QComboBox::activated, this, [this](int t) { Page().m_eraseTransition = t; });
  connect(m_hold, &QLineEdit::editingFinished, this, &TextPageSettings::HoldTyped);
  connect(m_column.play, &QPushButton::clicked, this,
          [this] { m_column.preview->Play(PagePreviewStream(m_copy, m_kind)); });
  RedrawPreview();
}

PageRecord& TextPageSettings::Page() const { return *m_copy.Look().PageByKind(m_kind); }

bool TextPageSettings::SaveColorsAsDefaultChecked() const { return m_column.saveColors->isChecked(); }

void TextPageSettings::RedrawPreview() {
  m_column.preview->StopPlaying();
  DrawPagePreview(m_copy, m_kind, m_column.preview->Renderer());
}

void TextPageSettings::OnTextChanged() {
  if (m_updating) return;
  PageRecord& page = Page();
  const std::string before = page.m_pageText;
  const std::string text = m_text->Utf8Text();
  if (!ApplyPageTextChange(page, text)) {
    // A tenth line is refused: the text goes back and the caret to its end.
    m_updating = true;
    m_text->SetUtf8Text(before);
    m_text->moveCursor(QTextCursor::End);
    m_updating = false;
    return;
  }
  RebuildLineList();
  OnCaretMoved();
  if (text != before) RedrawPreview();
}

void TextPageSettings::OnCaretMoved() {
  if (m_updating) return;
  const int line = Page().m_hasPicture ? 1 : m_text->textCursor().blockNumber() + 1;
  if (line != m_line) ShowLine(line);
}

void TextPageSettings::RebuildLineList() {
  const int count = Page().m_hasPicture ? 1 : PageTextLineCount(Page().m_pageText);
  if (m_lines->count() == count) return;
  m_lines->clear();
  for (int k = 1; k <= count; ++k) m_lines->addItem(QString::number(k));
}

void TextPageSettings::ShowLine(int line) {
  m_line = std::clamp(line, 1, std::max(m_lines->count(), 1));
  m_lines->setCurrentIndex(m_line - 1);
  m_style->Show(PageLineStyle(Page(), m_line));
  RefreshColors();
}

void TextPageSettings::RefreshColors() {
  m_textColor->SetColor(CurrentColorOf(m_copy, m_kind, ColorRole::Text, m_line));
  m_background->SetColor(CurrentColorOf(m_copy, m_kind, ColorRole::Background));
  m_border->SetColor(CurrentColorOf(m_copy, m_kind, ColorRole::Border));
  m_outline->SetColor(CurrentColorOf(m_copy, m_kind, ColorRole::Outline));
}

void TextPageSettings::RefreshPictureControls() { m_picture.remove->setEnabled(Page().m_hasPicture); }

void TextPageSettings::Browse() {
  if (PictureNeedsLineStyleWarning(Page()) &&
      ShowMessage(kPictureLineStylesWarning, "Warning", MessageIcon::Warning, MessageButtons::YesNo,
                  MessageAnswer::Yes) != MessageAnswer::Yes)
    return;
  if (const auto path = ChoosePictureFile(this)) LoadPicture(*path);
}

void TextPageSettings::LoadPicture(const std::string& path) {
  const std::optional<Bitmap> picture = LoadPictureFile(path, this);
  if (!picture) return;
  ApplyPagePicture(m_copy, m_kind, *picture);
  RebuildLineList();
  ShowLine(1);
  RefreshPictureControls();
  RedrawPreview();
}

void TextPageSettings::RemovePicture() {
  RemovePagePicture(m_copy, m_kind);
  RebuildLineList();
  OnCaretMoved();
  RefreshColors();
  RefreshPictureControls();
  RedrawPreview();
}

void TextPageSettings::HoldTyped() {
  if (const auto hold = ParseHoldSeconds(m_hold->text().toStdString())) Page().m_holdTime = *hold;
  m_hold->setText(QString::fromStdString(HoldText(Page().m_holdTime)));  // refused input shows the stored hold
}

}  // namespace lf
