#include "desktop/pages/lyrics_page_settings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>

#include "core/song/color_choice.h"
#include "core/song/lines_per_page_rule.h"
#include "core/song/page_line_styles.h"
#include "core/song/page_picture.h"
#include "core/song/settings_sheet_values.h"
#include "desktop/pages/settings_page_support.h"
#include "desktop/pages/text_style_controls.h"
#include "desktop/widgets/color_button.h"

namespace lf {
namespace {

constexpr int kLyricsTransitions[] = {FillRight, FillLeft, FillDown, FillUp, BlockDissolve};

QRadioButton* Radio(QWidget* parent, QButtonGroup* group, const QString& label, int id, QLayout* into) {
  auto* radio = new QRadioButton(label, parent);
  group->addButton(radio, id);
  into->addWidget(radio);
  return radio;
}

}  // namespace

LyricsPageSettings::LyricsPageSettings(Song& copy, std::function<void()> openDuetDialog, QWidget* parent)
    : QWidget(parent), m_copy(copy), m_openDuetDialog(std::move(openDuetDialog)) {
  setObjectName("lyricsPage");
  auto* layout = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  layout->addLayout(left, 3);

  m_style = new TextStyleControls(LyricsPage, tr("Shadow"), this);
  left->addWidget(m_style);
  m_shadow = new ColorButton(QString(), this);
  m_shadow->setObjectName("shadowColor");
  m_style->Grid()->addWidget(m_shadow, 1, 5);

  auto* grid = new QGridLayout;
  left->addLayout(grid);
  m_lines = new QComboBox(this);
  m_lines->setObjectName("lines");
  auto* linesLabel = new QLabel(tr("&Lines:"), this);
  linesLabel->setBuddy(m_lines);
  grid->addWidget(linesLabel, 0, 0);
  grid->addWidget(m_lines, 0, 1);
  auto* modeRow = new QHBoxLayout;
  m_mode = new QButtonGroup(this);
  Radio(this, m_mode, tr("Solo"), 1, modeRow)->setObjectName("solo");
  Radio(this, m_mode, tr("Duet"), 2, modeRow)->setObjectName("duet");
  grid->addLayout(modeRow, 0, 2, 1, 2);

  auto* sweepRow = new QHBoxLayout;
  m_sweepMode = new QButtonGroup(this);
  Radio(this, m_sweepMode, tr("Te&xt"), 0, sweepRow);
  Radio(this, m_sweepMode, tr("Bac&kground"), 1, sweepRow);
  grid->addWidget(new QLabel(tr("Sweep:"), this), 1, 0);
  grid->addLayout(sweepRow, 1, 1, 1, 3);
  m_advance = new QDoubleSpinBox(this);
  m_advance->setObjectName("advanceSweep");
  m_advance->setDecimals(2);
  m_advance->setRange(0, -kSweepAdvanceMinimum / 100.0);
  m_advance->setSingleStep(kSweepAdvanceStep / 100.0);
  m_advance->setSuffix(tr(" secs."));
  grid->addWidget(new QLabel(tr("Advance sweep"), this), 2, 0);
  grid->addWidget(m_advance, 2, 1);
  m_entireWord = new QCheckBox(tr("Sweep entire word"), this);
  grid->addWidget(m_entireWord, 2, 2, 1, 2);
  m_erase = new QComboBox(this);
  m_erase->setObjectName("eraseWhen");
  grid->addWidget(new QLabel(tr("Erase when"), this), 3, 0);
  grid->addWidget(m_erase, 3, 1);
  grid->addWidget(new QLabel(tr("lines from bottom"), this), 3, 2, 1, 2);

  auto* colors = new QGridLayout;
  left->addLayout(colors);
  const std::pair<ColorButton**, const char*> buttons[] = {
      {&m_background, "Bkgnd:"}, {&m_border, "&Border:"}, {&m_singer1, "Singer1:"}, {&m_singer2, "Singer2:"},
      {&m_both, "Both:"},        {&m_sweep, "Sweep:"},    {&m_fixed, "Fixed:"}};
  int n = 0;
  for (const auto& [slot, label] : buttons) {
    *slot = new ColorButton(tr(label), this);
    (*slot)->setObjectName(QString(label).remove('&').remove(':').toLower() + "Color");
    colors->addWidget(*slot, n / 4, n % 4);
    ++n;
  }

  m_draw = TransitionList(this, "draw", kLyricsTransitions);
  m_picture = AddPictureRows(this, m_draw, left);
  left->addStretch();

  m_column = AddPreviewColumn(this, layout);

  // Fill from the copy, applying the rules the sheet applies on opening.
  const SongSettingsBlock& block = m_copy.Look().Settings();
  m_style->Show(PageLineStyle(Page(), 1));
  m_mode->button(m_copy.Look().IsDuet() ? 2 : 1)->setChecked(true);
  m_sweepMode->button(block.sweepMode == 1 ? 1 : 0)->setChecked(true);
  m_advance->setValue(std::abs(block.sweepAdvance) / 100.0);
  m_entireWord->setChecked(m_copy.Look().SweepEntireWord());
  m_picture.placement->setCurrentIndex(Page().m_placement);
  for (int k = 0; k < m_draw->count(); ++k)
    if (m_draw->itemData(k).toInt() == Page().m_drawTransition) m_draw->setCurrentIndex(k);
  RebuildLinesList();
  RebuildEraseList(true);
  RefreshColors();
  RefreshEnables();

  connect(m_style, &TextStyleControls::Changed, this, [this](const LineStyle& style) {
    LineStyle stored = style;
    stored.color = Page().m_style.m_color;
    SetPageLineStyle(Page(), 1, stored);
    RedrawPreview();
  });
  connect(m_lines, &QComboBox::activated, this, [this](int position) {
    ChooseLinesPerPage(m_copy, position);
    RebuildEraseList(false);
    RedrawPreview();
  });
  connect(m_mode, &QButtonGroup::idClicked, this, [this](int mode) { ChooseMode(mode); });
  connect(m_sweepMode, &QButtonGroup::idClicked, this, [this](int mode) {
    m_copy.Look().Settings().sweepMode = static_cast<uint32_t>(mode);
    RedrawPreview();
  });
  connect(m_advance, &QDoubleSpinBox::valueChanged, this, [this](double seconds) {
    m_copy.Look().Settings().sweepAdvance = -static_cast<int>(std::lround(seconds * 100));
    StepSweepAdvance(m_copy, 0);  // kept within -500 ... 0
  });
  connect(m_entireWord, &QCheckBox::toggled, this, [this](bool on) { m_copy.Look().SetSweepEntireWord(on); });
  connect(m_erase, &QComboBox::activated, this, [this](int count) { ChooseEraseWhen(m_copy, count); });
  for (const auto& [button, role] : ColorButtons())
    connect(button, &ColorButton::ColorChosen, this, [this, role = role](Colorref color) {
      ApplyColorChoice(m_copy, LyricsPage, role, color);
      RefreshColors();
      RedrawPreview();
    });
  connect(m_picture.browse, &QPushButton::clicked, this, [this] {
    if (const auto path = ChoosePictureFile(this)) LoadPicture(*path);
  });
  connect(m_picture.remove, &QPushButton::clicked, this, &LyricsPageSettings::RemovePicture);
  connect(m_picture.placement, &QComboBox::activated, this, [this](int p) {
    Page().m_placement = p;
    RedrawPreview();
  });
  connect(m_draw, &QComboBox::activated, this,
          [this](int k) { Page().m_drawTransition = m_draw->itemData(k).toInt(); });
  connect(m_column.play, &QPushButton::clicked, this, [this] {
    RedrawPreview();
    m_column.preview->Play(PagePreviewStream(m_copy, LyricsPage));
  });
  RedrawPreview();
}

PageRecord& LyricsPageSettings::Page() const { return *m_copy.Look().PageByKind(LyricsPage); }

bool LyricsPageSettings::SaveColorsAsDefaultChecked() const { return m_column.saveColors->isChecked(); }

void LyricsPageSettings::RedrawPreview() {
  m_column.preview->StopPlaying();
  DrawLyricsPreview(m_copy, m_column.preview->Renderer());
}

void LyricsPageSettings::RebuildLinesList() {
  RebuildLinesPerPage(m_copy);
  const LinesPerPageChoices choices = LinesPerPageChoicesFor(m_copy);
  m_lines->clear();
  for (int lines = choices.minimum; lines <= choices.maximum; ++lines) m_lines->addItem(QString::number(lines));
  m_lines->setCurrentIndex(choices.PositionOf(m_copy.Look().LinesPerPage()));
}

void LyricsPageSettings::RebuildEraseList(bool sheetOpening) {
  const int stored = ChooseEraseWhen(m_copy, m_copy.Look().EraseFromBottom(), sheetOpening);
  m_erase->clear();
  for (int k = 0; k <= EraseWhenMaximum(m_copy, sheetOpening); ++k) m_erase->addItem(QString::number(k));
  m_erase->setCurrentIndex(stored);
}

void LyricsPageSettings::ChooseMode(int singerMode) {
  ChooseSingerMode(m_copy, singerMode);
  m_mode->button(m_copy.Look().IsDuet() ? 2 : 1)->setChecked(true);
  RebuildLinesList();
  RebuildEraseList(false);
  RefreshEnables();
  RedrawPreview();
  if (m_copy.Look().IsDuet() && m_openDuetDialog) m_openDuetDialog();
}

std::array<std::pair<ColorButton*, ColorRole>, 8> LyricsPageSettings::ColorButtons() const {
  return {{{m_shadow, ColorRole::Outline},
           {m_background, ColorRole::Background},
           {m_border, ColorRole::Border},
           {m_singer1, ColorRole::Singer1},
           {m_singer2, ColorRole::Singer2},
           {m_both, ColorRole::Both},
           {m_sweep, ColorRole::Sweep},
           {m_fixed, ColorRole::Fixed}}};
}

void LyricsPageSettings::RefreshColors() {
  for (const auto& [button, role] : ColorButtons()) button->SetColor(CurrentColorOf(m_copy, LyricsPage, role));
}

void LyricsPageSettings::RefreshEnables() {
  m_singer2->setEnabled(m_copy.Look().IsDuet());
  m_both->setEnabled(m_copy.Look().IsDuet());
  const bool picture = Page().m_hasPicture;
  for (QWidget* w : {static_cast<QWidget*>(m_picture.placement), static_cast<QWidget*>(m_draw),
                     static_cast<QWidget*>(m_picture.remove), static_cast<QWidget*>(m_column.play)})
    w->setEnabled(picture);
}

void LyricsPageSettings::LoadPicture(const std::string& path) {
  const std::optional<Bitmap> picture = LoadPictureFile(path, this);
  if (!picture) return;
  ApplyPagePicture(m_copy, LyricsPage, *picture);
  RebuildLinesList();
  RebuildEraseList(false);
  RefreshEnables();
  RedrawPreview();
}

void LyricsPageSettings::RemovePicture() {
  RemovePagePicture(m_copy, LyricsPage);
  RebuildLinesList();
  RebuildEraseList(false);
  RefreshColors();
  RefreshEnables();
  RedrawPreview();
}

}  // namespace lf
