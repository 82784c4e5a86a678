#include "desktop/pages/place_lyrics_page.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

#include "core/platform/outcome.h"
#include "core/song/song.h"
#include "core/timing/cdg_timing_player.h"
#include "core/timing/placement_preview.h"
#include "core/timing/placement_session.h"
#include "desktop/pages/key_mapping.h"
#include "desktop/pages/page_buttons.h"
#include "desktop/widgets/preview_frame.h"

namespace lf {

PlaceLyricsPage::PlaceLyricsPage(PageHost& shell, QWidget* parent)
    : PageWidget(PageId::PlaceLyrics, shell, parent),
      m_preview(new PreviewFrame(this)),
      m_start(new QPushButton(tr("Start (Home)"), this)),
      m_placeWord(new QPushButton(tr("Place Word (SB)"), this)),
      m_pause(new QPushButton(tr("Pause (Ctrl)"), this)),
      m_stop(new QPushButton(tr("Stop (End)"), this)),
      m_tempo(new QSpinBox(this)),
      m_linesFirst(new QCheckBox(tr("Tap Line Starts Only"), this)),
      m_timer(new QTimer(this)) {
  Song& song = Shell().OpenSong();
  m_player = std::make_unique<CdgTimingPlayer>(&m_preview->Renderer(), song.Music().SampleRate(),
                                               song.Music().SamplesPerPacket());
  m_placementPreview = std::make_unique<PlacementPreview>(song, m_preview->Renderer());
  m_session = std::make_unique<PlacementSession>(song, *m_player, m_placementPreview.get());

  m_tempo->setRange(PlacementTempo::kMinPosition * PlacementTempo::kPercentPerStep,
                    PlacementTempo::kMaxPosition * PlacementTempo::kPercentPerStep);
  m_tempo->setSingleStep(5);
  m_tempo->setSuffix("%");
  m_tempo->setValue(100);
  if (auto* box = m_tempo->findChild<QLineEdit*>()) box->setReadOnly(true);  // changed by its arrows only
  m_tempo->setStyleSheet("QSpinBox { background: white; }");
  m_tempo->setObjectName("tempo");
  m_start->setObjectName("start");
  m_placeWord->setObjectName("placeWord");
  m_pause->setObjectName("pause");
  m_stop->setObjectName("stop");
  m_linesFirst->setObjectName("linesFirst");
  m_linesFirst->setToolTip(
      tr("Tap where each line begins (Ctrl where it ends); the words are spread over the line and "
         "moved onto the singing, and a repeated line takes the rhythm it had before."));

  auto* controls = new QHBoxLayout;
  controls->setSpacing(7);
  for (QPushButton* button : {m_start, m_placeWord, m_pause, m_stop}) {
    button->setMinimumWidth(button->sizeHint().width());  // the labels stay whole in a narrow window
    controls->addWidget(button);
  }
  controls->addStretch(1);
  controls->addWidget(new QLabel(tr("Tempo:"), this));
  controls->addWidget(m_tempo);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(11, 11, 11, 11);
  layout->setSpacing(7);
  layout->addWidget(m_preview, 1);
  layout->addLayout(controls);
  // A row of its own: the buttons above keep their labels whole.
  auto* options = new QHBoxLayout;
  options->addWidget(m_linesFirst);
  options->addStretch(1);
  options->addWidget(new QLabel(tr("Backspace takes the last tap back"), this));
  layout->addLayout(options);
  layout->addWidget(new PageButtons(shell, PageId::PlaceLyrics, PageButtons::Layout::Row, this));

  connect(m_start, &QPushButton::clicked, this, [this] { Start(); });
  connect(m_placeWord, &QPushButton::clicked, this, [this] { m_session->PlaceWord(); });
  connect(m_pause, &QPushButton::clicked, this, [this] { m_session->Pause(); });
  connect(m_stop, &QPushButton::clicked, this, [this] {
    m_session->Stop();
    RunEnded();
  });
  connect(m_linesFirst, &QCheckBox::toggled, this, [this](bool on) {
    m_session->SetLinesFirst(on);
    ShowControls();
  });
  connect(m_tempo, &QSpinBox::valueChanged, this, [this](int percent) { TempoEdited(percent); });
  connect(m_timer, &QTimer::timeout, this, [this] { Tick(); });
}

PlaceLyricsPage::~PlaceLyricsPage() = default;

void PlaceLyricsPage::Enter() {
  m_session->Open();
  ShowControls();
}

// The placement starts over from the first word with the times as they are now.
void PlaceLyricsPage::TimesRestored() {
  m_session->Open();
  ShowControls();
}

void PlaceLyricsPage::Leave() {
  m_timer->stop();
  m_session->Stop();
}

void PlaceLyricsPage::Start() {
  if (Outcome started = m_session->Start(); !started) {
    ShowOutcome(started);
    ShowControls();
    return;
  }
  m_timer->start(100);
  m_placeWord->setFocus();
  ShowControls();
}

void PlaceLyricsPage::Tick() {
  m_session->Tick();
  if (!m_session->IsPlacing()) {
    m_timer->stop();
    RunEnded();
  }
}

// A run of line taps is timed when it ends; taps that could not be used say why.
void PlaceLyricsPage::RunEnded() {
  ShowControls();
  if (m_session->LinesFirst()) ShowOutcome(m_session->LinesOutcome());
}

void PlaceLyricsPage::TempoEdited(int percent) {
  const int steps = (percent - m_session->Tempo().Percent()) / PlacementTempo::kPercentPerStep;
  if (steps != 0 && !m_session->StepTempo(steps)) {
    const QSignalBlocker block(m_tempo);
    m_tempo->setValue(m_session->Tempo().Percent());
  }
}

QPushButton* PlaceLyricsPage::ButtonFor(int key) const {
  switch (key) {
    case Qt::Key_Space:
      return m_placeWord;
    case Qt::Key_Control:
      return m_pause;
    case Qt::Key_End:
      return m_stop;
    default:
      return nullptr;
  }
}

bool PlaceLyricsPage::KeyDown(QKeyEvent* event) {
  const std::optional<TimingKey> key = TimingKeyOf(*event);
  if (!key) return false;
  if (event->isAutoRepeat()) return *key != TimingKey::Home || m_session->IsPlacing();
  const bool wasPlacing = m_session->IsPlacing();
  // The session reads the heard position now, as the key arrives.
  const bool used = m_session->KeyDown(*key);
  if (QPushButton* button = ButtonFor(event->key()); button && wasPlacing) button->setDown(true);
  if (*key == TimingKey::Home && m_session->IsPlacing() && !wasPlacing) {
    m_timer->start(100);
    m_placeWord->setFocus();
  }
  if (wasPlacing && !m_session->IsPlacing())
    RunEnded();
  else if (wasPlacing != m_session->IsPlacing() || *key == TimingKey::Up || *key == TimingKey::Down)
    ShowControls();
  return used;
}

bool PlaceLyricsPage::KeyUp(QKeyEvent* event) {
  const std::optional<TimingKey> key = TimingKeyOf(*event);
  if (!key || event->isAutoRepeat()) return key.has_value();
  m_session->KeyUp(*key);
  if (QPushButton* button = ButtonFor(event->key())) button->setDown(false);
  return true;
}

void PlaceLyricsPage::RefreshCommands() {
  PageWidget::RefreshCommands();
  ApplyControls();
}

// The page's buttons, then the shell's, which follow whether the music plays.
void PlaceLyricsPage::ShowControls() {
  ApplyControls();
  Shell().CommandStateChanged();
}

void PlaceLyricsPage::ApplyControls() {
  const PlacementControls c = m_session->Controls();
  m_start->setEnabled(c.start);
  m_start->setText(QString::fromStdString(c.startText));
  m_placeWord->setEnabled(c.placeWord);
  m_pause->setEnabled(c.pause);
  // Word or line labels; either stays whole.
  for (auto [button, text] : {std::pair{m_placeWord, &c.placeWordText}, std::pair{m_pause, &c.pauseText}}) {
    button->setText(QString::fromStdString(*text));
    button->setMinimumWidth(button->sizeHint().width());
  }
  m_linesFirst->setEnabled(!m_session->IsPlacing());
  if (m_linesFirst->isChecked() != m_session->LinesFirst()) {
    const QSignalBlocker block(m_linesFirst);
    m_linesFirst->setChecked(m_session->LinesFirst());
  }
  m_stop->setEnabled(c.stop);
  m_tempo->setEnabled(c.tempo);
  if (m_tempo->value() != m_session->Tempo().Percent()) {  // stepped by Up or Down while placing
    const QSignalBlocker block(m_tempo);
    m_tempo->setValue(m_session->Tempo().Percent());
  }
  if (!m_session->IsPlacing() && m_start->isEnabled() && !m_start->hasFocus()) m_start->setFocus();
}

}  // namespace lf
