#include "desktop/dialogs/export_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolTip>
#include <QVBoxLayout>

#include "desktop/rules/export_save_choice.h"

namespace lf {
namespace {

struct TypeChoice {
  ExportType type;
  const char* label;
};
constexpr TypeChoice kTypeButtons[] = {
    {ExportType::Bin, "BIN (.wav + .cdg in one file)"},
    {ExportType::WmaG, "WMA+G (.wma && .cdg in two files)"},
    {ExportType::Mp3G, "MP3+G (.mp3 && .cdg in two files)"},
    {ExportType::Mp4, "MP4 video (.mp4 with the graphics and the music)"},
};
constexpr TypeChoice kLyricFileButtons[] = {
    {ExportType::Ass, "ASS subtitle karaoke (.ass)"},
    {ExportType::UltraStar, "UltraStar notes (.txt)"},
    {ExportType::Ttml, "TTML word-timed lyrics (.ttml)"},
    {ExportType::WebVtt, "WebVTT captions (.vtt)"},
    {ExportType::Srt, "SRT captions (.srt)"},
    {ExportType::Lrc, "LRC lyrics (.lrc)"},
};

}  // namespace

ExportDialog::ExportDialog(SettingsStore& settings, bool mp3Available, const MusicFormat& music,
                           const std::string& artist, const std::string& title, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_music(music) {
  setWindowTitle(tr("Export Song File"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(tr("Select the Export type and other settings and click \"Export\"."), this));

  auto* typeBox = new QGroupBox(this);
  auto* typeLayout = new QVBoxLayout(typeBox);
  m_types = new QButtonGroup(this);
  for (const TypeChoice& b : kTypeButtons) {
    auto* button = new QRadioButton(tr(b.label), typeBox);
    m_types->addButton(button, int(b.type));
    typeLayout->addWidget(button);
  }
  TypeButton(ExportType::Mp3G)->setEnabled(mp3Available);
  layout->addWidget(typeBox);

  auto* lyricBox = new QGroupBox(tr("Lyric and subtitle files"), this);
  auto* lyricLayout = new QGridLayout(lyricBox);
  int cell = 0;
  for (const TypeChoice& b : kLyricFileButtons) {
    auto* button = new QRadioButton(tr(b.label), lyricBox);
    m_types->addButton(button, int(b.type));
    lyricLayout->addWidget(button, cell / 2, cell % 2);
    ++cell;
  }
  m_exportTiming = new QCheckBox(tr("Time to the exported audio (with its lead-in)"), lyricBox);
  m_sweep = new QCheckBox(tr("Sweep each word (ASS \\kf)"), lyricBox);
  m_sungPitch = new QCheckBox(tr("Note pitches from the singing (UltraStar)"), lyricBox);
  m_sungPitch->setToolTip(tr("Each note at the median pitch the voice sings it, as a start to correct by ear"));
  lyricLayout->addWidget(m_exportTiming, cell / 2 + 1, 0);
  lyricLayout->addWidget(m_sweep, cell / 2 + 1, 1);
  lyricLayout->addWidget(m_sungPitch, cell / 2 + 2, 0);
  layout->addWidget(lyricBox);

  auto* listRow = new QHBoxLayout;
  m_listLabel = new QLabel(tr("Compression ratio:"), this);
  m_list = new QComboBox(this);
  listRow->addWidget(m_listLabel);
  listRow->addWidget(m_list, 1);
  layout->addLayout(listRow);

  auto* lrcRow = new QHBoxLayout;
  m_lrc = new QCheckBox(tr("Create Lyric File (.lrc file)"), this);
  m_simple = new QRadioButton(tr("Simple"), this);
  m_enhanced = new QRadioButton(tr("Enhanced"), this);
  m_enhanced->setChecked(true);
  lrcRow->addWidget(m_lrc);
  lrcRow->addWidget(m_simple);
  lrcRow->addWidget(m_enhanced);
  layout->addLayout(lrcRow);
  m_zip = new QCheckBox(tr("Zip files together (.zip file)"), this);
  layout->addWidget(m_zip);
  m_loudness = new QCheckBox(this);
  layout->addWidget(m_loudness);

  auto* form = new QFormLayout;
  m_artist = new QLineEdit(QString::fromStdString(artist), this);
  m_title = new QLineEdit(QString::fromStdString(title), this);
  form->addRow(tr("&Artist:"), m_artist);
  form->addRow(tr("&Title:"), m_title);
  layout->addLayout(form);

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(tr("&Export"), QDialogButtonBox::AcceptRole)->setObjectName("export");
  buttons->addButton(tr("&Cancel"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &ExportDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &ExportDialog::reject);
  layout->addWidget(buttons);

  m_choices.Open(settings, mp3Available, music);
  m_zip->setChecked(m_choices.Zip());
  m_lrc->setChecked(m_choices.LyricFile());
  (m_choices.LyricFileSimple() ? m_simple : m_enhanced)->setChecked(true);
  m_loudness->setText(tr("&Normalise loudness (%1 LUFS)").arg(m_choices.LoudnessTarget()));
  m_loudness->setChecked(m_choices.NormaliseLoudness());
  ShowChoices();
  connect(m_types, &QButtonGroup::idClicked, this, [this](int id) { ChangeType(ExportType(id)); });
  connect(m_list, &QComboBox::currentIndexChanged, this, [this](int index) { m_choices.Select(index); });
  connect(m_lrc, &QCheckBox::toggled, this, [this] { ShowChoices(); });
}

QRadioButton* ExportDialog::TypeButton(ExportType type) const {
  return qobject_cast<QRadioButton*>(m_types->button(int(type)));
}

void ExportDialog::ChangeType(ExportType type) {
  const std::string refusal = m_choices.ChangeType(type, m_music);
  ShowChoices();
  if (!refusal.empty())
    ShowTip(TypeButton(ExportType::Bin), tr(kBinNotAllowedTitle), QString::fromStdString(refusal).trimmed());
}

void ExportDialog::ShowChoices() {
  const ExportType type = m_choices.Type();
  TypeButton(type)->setChecked(true);
  const QSignalBlocker block(m_list);
  m_list->clear();
  for (const std::string& entry : m_choices.Entries()) m_list->addItem(QString::fromStdString(entry));
  m_list->setCurrentIndex(m_choices.Selection());
  m_list->setEnabled(m_choices.ListEnabled());
  m_listLabel->setEnabled(m_choices.ListEnabled());
  const ExportOptionStates states = ExportOptionStatesFor(type, m_lrc->isChecked());
  m_lrc->setEnabled(states.lrcFile);
  m_simple->setEnabled(states.lrcStyle);
  m_enhanced->setEnabled(states.lrcStyle);
  m_zip->setEnabled(states.zip);
  m_exportTiming->setEnabled(states.timing);
  m_sweep->setEnabled(states.sweep);
  m_sungPitch->setEnabled(states.sungPitch);
}

void ExportDialog::ShowTip(QWidget* at, const QString& title, const QString& text) {
  m_lastTip = title + ": " + text;
  QToolTip::showText(at->mapToGlobal(QPoint(at->width() / 2, at->height())),
                     "<b>" + title.toHtmlEscaped() + "</b><br>" + text.toHtmlEscaped().replace("\n", "<br>"), at);
}

void ExportDialog::accept() {
  m_choices.SetZip(m_zip->isChecked() && ExportOptionStatesFor(m_choices.Type(), false).zip);
  m_choices.SetNormaliseLoudness(m_loudness->isChecked());
  m_choices.SetLyricFile(m_lrc->isChecked(), m_simple->isChecked());
  const std::string refusal = m_choices.Confirm(m_settings);
  if (!refusal.empty()) {
    m_list->setFocus();
    ShowTip(m_list, tr(kRatioTitle), QString::fromStdString(refusal));
    return;
  }
  QDialog::accept();
}

int ExportDialog::BitRate() const {
  return m_choices.Type() == ExportType::WmaG ? m_choices.WmaBitRate() : m_choices.Mp3BitRate();
}

LrcStyle ExportDialog::Lrc() const {
  return ExportLrcStyle(m_choices.Type(), m_lrc->isChecked(), m_simple->isChecked());
}

LyricFileOptions ExportDialog::LyricFile() const {
  LyricFileOptions options;
  const ExportOptionStates states = ExportOptionStatesFor(m_choices.Type(), false);
  options.timing = states.timing && m_exportTiming->isChecked() ? TimingBase::kExport : TimingBase::kMusic;
  options.assSweep = states.sweep && m_sweep->isChecked();
  if (m_choices.Type() == ExportType::Lrc) options.lrc = Lrc();
  return options;
}

bool ExportDialog::SungPitch() const {
  return ExportOptionStatesFor(m_choices.Type(), false).sungPitch && m_sungPitch->isChecked();
}

std::string ExportDialog::Artist() const { return m_artist->text().toStdString(); }
std::string ExportDialog::Title() const { return m_title->text().toStdString(); }

}  // namespace lf
