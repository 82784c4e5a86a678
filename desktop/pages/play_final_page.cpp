#include "desktop/pages/play_final_page.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProxyStyle>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

#include "core/platform/message_sink.h"
#include "core/song/song.h"
#include "core/timing/cdg_timing_player.h"
#include "core/timing/final_playback.h"
#include "desktop/pages/page_buttons.h"
#include "desktop/widgets/preview_frame.h"

namespace lf {

namespace {

// A click on the channel puts the thumb there at once, and the drag goes on from there.
class JumpToClickStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* data) const override {
    if (hint == SH_Slider_AbsoluteSetButtons) return Qt::LeftButton;
    return QProxyStyle::styleHint(hint, option, widget, data);
  }
};

}  // namespace

PlayFinalPage::PlayFinalPage(PageHost& shell, QWidget* parent)
    : PageWidget(PageId::PlayFinal, shell, parent),
      m_preview(new PreviewFrame(this)),
      m_play(new QPushButton(tr("Play (SB)"), this)),
      m_slider(new QSlider(Qt::Horizontal, this)),
      m_time(new QLabel("0:00/0:00", this)),
      m_timer(new QTimer(this)) {
  Song& song = Shell().OpenSong();
  m_player = std::make_unique<CdgTimingPlayer>(&m_preview->Renderer(), song.Music().SampleRate(),
                                               song.Music().SamplesPerPacket());
  m_final = std::make_unique<FinalPlayback>(song, *m_player, &m_preview->Renderer());

  // A proxy of its own base style: given the application's style, it would delete that with the slider.
  auto* style = new JumpToClickStyle;
  style->setParent(m_slider);
  m_slider->setStyle(style);
  m_play->setObjectName("play");
  m_slider->setObjectName("position");
  m_time->setObjectName("time");

  auto* controls = new QHBoxLayout;
  controls->setSpacing(7);
  controls->addWidget(m_play);
  controls->addWidget(m_slider, 1);
  controls->addWidget(m_time);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(11, 11, 11, 11);
  layout->setSpacing(7);
  layout->addWidget(m_preview, 1);
  layout->addLayout(controls);
  layout->addWidget(new PageButtons(shell, PageId::PlayFinal, PageButtons::Layout::Row, this));

  connect(m_play, &QPushButton::clicked, this, [this] { PlayOrPause(); });
  connect(m_slider, &QSlider::sliderMoved, this, [this](int packet) { SliderMoved(packet); });
  connect(m_slider, &QSlider::sliderReleased, this, [this] { SliderReleased(); });
  // Keys and page clicks move the thumb in one step: a move and its end together.
  connect(m_slider, &QSlider::valueChanged, this, [this](int packet) {
    if (m_showing || m_slider->isSliderDown()) return;
    SliderMoved(packet);
    SliderReleased();
  });
  connect(m_timer, &QTimer::timeout, this, [this] { Tick(); });
}

PlayFinalPage::~PlayFinalPage() = default;

void PlayFinalPage::Enter() {
  Song& song = Shell().OpenSong();
  if (const PageRecord* lyrics = song.Look().PageByKind(LyricsPage)) {
    CdgRenderer& renderer = m_preview->Renderer();
    const auto colors = SongLook::PageColors(*lyrics);
    renderer.LoadColors(0, kColorCount, colors.data());
    renderer.BorderPreset(lyrics->m_borderColor);
    renderer.MemoryPreset(lyrics->m_backgroundColor);
    renderer.RefreshAll();
  }
  if (!m_final->Prepare()) ShowMessage(m_final->ErrorText(), "Lyricforge", MessageIcon::Exclamation);
  const QSignalBlocker block(m_slider);
  m_slider->setRange(0, m_final->SliderMaximum());
  m_slider->setSingleStep(m_final->LineStep());
  m_slider->setPageStep(m_final->PageStep());
  m_slider->setValue(0);
  m_timer->start(100);
  ShowState();
}

void PlayFinalPage::Leave() {
  m_timer->stop();
  if (m_final->IsPlaying()) m_final->PlayOrPause();
}

void PlayFinalPage::PlayOrPause() {
  ShowOutcome(m_final->PlayOrPause());
  ShowState();
  Shell().CommandStateChanged();
}

void PlayFinalPage::Tick() {
  const bool wasPlaying = m_final->IsPlaying();
  m_final->Tick();
  ShowState();
  if (wasPlaying != m_final->IsPlaying()) Shell().CommandStateChanged();
}

void PlayFinalPage::SliderMoved(int packet) {
  m_final->SliderMoved(packet);
  m_time->setText(QString::fromStdString(m_final->Label()));
  if (m_slider->isSliderDown())
    QToolTip::showText(QCursor::pos(), QString::fromStdString(m_final->PlaceText(packet)), m_slider);
}

void PlayFinalPage::SliderReleased() {
  m_final->SliderReleased();
  QToolTip::hideText();
  ShowState();
}

void PlayFinalPage::ShowState() {
  m_play->setText(QString::fromStdString(m_final->ButtonText()));
  m_time->setText(QString::fromStdString(m_final->Label()));
  if (!m_slider->isSliderDown() && m_slider->value() != m_final->SliderPosition()) {
    m_showing = true;
    m_slider->setValue(m_final->SliderPosition());
    m_showing = false;
  }
}

bool PlayFinalPage::KeyDown(QKeyEvent* event) {
  if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
  switch (event->key()) {
    case Qt::Key_Space:
      if (!event->isAutoRepeat()) {
        m_play->setFocus();
        PlayOrPause();
      }
      return true;
    case Qt::Key_PageUp:
      m_slider->setFocus();
      m_slider->triggerAction(QAbstractSlider::SliderPageStepSub);
      return true;
    case Qt::Key_PageDown:
      m_slider->setFocus();
      m_slider->triggerAction(QAbstractSlider::SliderPageStepAdd);
      return true;
    case Qt::Key_Home:
      m_slider->setFocus();
      m_slider->triggerAction(QAbstractSlider::SliderToMinimum);
      return true;
    case Qt::Key_End:
      m_slider->setFocus();
      m_slider->triggerAction(QAbstractSlider::SliderToMaximum);
      return true;
    case Qt::Key_Left:
    case Qt::Key_Down:
      m_slider->setFocus();
      m_slider->triggerAction(QAbstractSlider::SliderSingleStepSub);
      return true;
    case Qt::Key_Right:
    case Qt::Key_Up:
      m_slider->setFocus();
      m_slider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
      return true;
    default:
      return false;
  }
}

}  // namespace lf
