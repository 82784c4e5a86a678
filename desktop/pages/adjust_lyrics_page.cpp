#include "desktop/pages/adjust_lyrics_page.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include "core/song/song.h"
#include "core/timing/cdg_timing_player.h"
#include "core/timing/music_analysis.h"
#include "core/timing/nudge_session.h"
#include "desktop/dialogs/play_area_dialog.h"
#include "desktop/dialogs/shift_times_dialog.h"
#include "desktop/pages/key_mapping.h"
#include "desktop/pages/page_buttons.h"
#include "desktop/widgets/cdg_view.h"
#include "desktop/widgets/preview_frame.h"
#include "desktop/widgets/waveform_strip.h"

namespace lf {

namespace {

QColor ColorOf(Colorref c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

void Paint(QPushButton* button, const QColor& color) {
  button->setStyleSheet(QString("QPushButton { background: %1; }").arg(color.name()));
}

}  // namespace

AdjustLyricsPage::AdjustLyricsPage(PageHost& shell, QWidget* parent)
    : PageWidget(PageId::AdjustLyrics, shell, parent),
      m_preview(new PreviewFrame(this)),
      m_audition(new QPushButton(tr("Audition Play (Sb)"), this)),
      m_adjust(new QPushButton(tr("Adjust Play (n)"), this)),
      m_area(new QPushButton(tr("Adjust A&rea..."), this)),
      m_snap(new QPushButton(tr("Snap (S)"), this)),
      m_nextUnsure(new QPushButton(tr("Next Unsure Word (U)"), this)),
      m_shiftTimes(new QPushButton(tr("Shift &Times..."), this)),
      m_copyLine(new QPushButton(tr("Copy Timing From Earlier Line"), this)),
      m_notice(new QLabel(this)),
      m_wave(new WaveformStrip(this)),
      m_auditionGroup(new QGroupBox(tr("Audition Play"), this)),
      m_adjustGroup(new QGroupBox(tr("Adjust Highlighting"), this)),
      m_singerGroup(new QGroupBox(tr("Assign Singers to Lines"), this)),
      m_helpGroup(new QGroupBox(tr("Timing Help"), this)),
      m_singers{new QPushButton(tr("&1"), this), new QPushButton(tr("&2"), this), new QPushButton(tr("&Both"), this)},
      m_pageText(new QLabel(this)),
      m_previousPage(new QPushButton(this)),
      m_nextPage(new QPushButton(this)),
      m_timer(new QTimer(this)) {
  Song& song = Shell().OpenSong();
  m_player = std::make_unique<CdgTimingPlayer>(&m_preview->Renderer(), song.Music().SampleRate(),
                                               song.Music().SamplesPerPacket());
  m_session = std::make_unique<NudgeSession>(song, *m_player, &m_preview->Renderer());
  m_session->SetPlayFailureNotice([](const Outcome& failure) { ShowOutcome(failure); });
  m_audition->setObjectName("audition");
  m_adjust->setObjectName("adjustPlay");
  m_pageText->setObjectName("pageText");
  Paint(m_area, Qt::cyan);
  m_previousPage->setIcon(style()->standardIcon(QStyle::SP_ArrowLeft));
  m_nextPage->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
  for (QPushButton* arrow : {m_previousPage, m_nextPage}) Paint(arrow, Qt::green);

  auto* audition = new QVBoxLayout(m_auditionGroup);
  audition->addWidget(m_audition);
  auto* adjust = new QVBoxLayout(m_adjustGroup);
  adjust->addWidget(m_adjust);
  adjust->addWidget(m_area);
  auto* hint = new QHBoxLayout;
  hint->addWidget(new QLabel(tr("Start:       < >\nEnd: ctrl+< >"), m_adjustGroup), 1);
  hint->addWidget(m_snap);
  adjust->addLayout(hint);
  m_snap->setObjectName("snap");
  m_nextUnsure->setObjectName("nextUnsure");
  m_shiftTimes->setObjectName("shiftTimes");
  m_copyLine->setObjectName("copyLine");
  m_notice->setObjectName("notice");
  m_notice->setWordWrap(true);
  auto* help = new QVBoxLayout(m_helpGroup);
  help->addWidget(m_nextUnsure);
  help->addWidget(m_shiftTimes);
  help->addWidget(new QLabel(tr("From the word on: [ earlier, ] later"), m_helpGroup));
  help->addWidget(m_copyLine);
  auto* singers = new QVBoxLayout(m_singerGroup);
  auto* singerRow = new QHBoxLayout;
  for (int i = 0; i < 3; ++i) {
    m_singers[i]->setCheckable(true);
    singerRow->addWidget(m_singers[i]);
    connect(m_singers[i], &QPushButton::clicked, this, [this, i] {
      m_session->AssignSinger(i);
      ShowControls();
    });
  }
  singers->addLayout(singerRow);
  auto* singerHint = new QLabel(tr("Click a word then a singer button to assign to that line."), m_singerGroup);
  singerHint->setWordWrap(true);
  singers->addWidget(singerHint);
  auto* pages = new QHBoxLayout;
  pages->addWidget(new QLabel(tr("Pg #"), this));
  pages->addWidget(m_previousPage);
  pages->addWidget(m_pageText);
  pages->addWidget(m_nextPage);

  auto* side = new QVBoxLayout;
  side->setSpacing(7);
  side->addWidget(m_auditionGroup);
  side->addWidget(m_adjustGroup);
  side->addWidget(m_singerGroup);
  side->addWidget(m_helpGroup);
  side->addLayout(pages);
  m_tempoText = new QLabel(this);
  m_tempoText->setObjectName("tempo");
  side->addWidget(m_tempoText);
  side->addWidget(m_notice);
  side->addStretch(1);
  auto* top = new QHBoxLayout;
  top->setSpacing(7);
  auto* shown = new QVBoxLayout;
  shown->setSpacing(7);
  shown->addWidget(m_preview);
  shown->addWidget(m_wave);
  shown->addStretch(1);
  top->addLayout(shown, 1);
  top->addLayout(side);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(11, 11, 11, 11);
  layout->setSpacing(7);
  layout->addLayout(top, 1);
  layout->addWidget(new PageButtons(shell, PageId::AdjustLyrics, PageButtons::Layout::Row, this));

  connect(m_audition, &QPushButton::clicked, this, [this] { Run(&NudgeSession::AuditionPlay); });
  connect(m_adjust, &QPushButton::clicked, this, [this] { Run(&NudgeSession::AdjustPlay); });
  connect(m_previousPage, &QPushButton::clicked, this, [this] { Run(&NudgeSession::PreviousPage); });
  connect(m_nextPage, &QPushButton::clicked, this, [this] { Run(&NudgeSession::NextPage); });
  connect(m_area, &QPushButton::clicked, this, [this] { EditArea(); });
  connect(m_snap, &QPushButton::clicked, this, [this] {
    m_session->Snap();
    UpdateWave();
  });
  connect(m_nextUnsure, &QPushButton::clicked, this, [this] {
    m_session->NextUnsureWord();
    ShowControls();
  });
  connect(m_shiftTimes, &QPushButton::clicked, this, [this] { ShiftTimes(); });
  connect(m_copyLine, &QPushButton::clicked, this, [this] {
    m_session->CopyTimingFromEarlierLine();
    ShowControls();
  });
  // Often enough for the play position to move smoothly across the strip.
  connect(m_timer, &QTimer::timeout, this, [this] {
    const NudgeMode before = m_session->Mode();
    m_session->Tick();
    if (m_session->Mode() != before) ShowControls();
    if (!m_analysed) UpdateWave();
    m_wave->SetPosition(m_session->Mode() == NudgeMode::Stopped ? -1 : m_player->Position() - m_session->LeadIn());
  });
  m_preview->View()->installEventFilter(this);
  // The end of a loop pass is told on the player's thread; the next pass starts here.
  m_player->SetEndNotice([this] {
    QMetaObject::invokeMethod(
        this,
        [this] {
          m_session->OnEndNotice();
          if (m_session->Mode() != NudgeMode::Loop) ShowControls();
        },
        Qt::QueuedConnection);
  });
}

AdjustLyricsPage::~AdjustLyricsPage() { m_player->SetEndNotice({}); }

void AdjustLyricsPage::Enter() {
  m_session->Open(Shell().TakeWordToAdjust());
  if (const PageRecord* lyrics = Shell().OpenSong().Look().PageByKind(LyricsPage)) {
    const auto colors = SongLook::PageColors(*lyrics);
    const TextTypeVer5& duet = lyrics->m_duetColors;
    const int indices[3] = {duet.m_singer1Color, duet.m_singer2Color, duet.m_bothColor};
    for (int i = 0; i < 3; ++i) Paint(m_singers[i], ColorOf(colors[indices[i] & 15]));
  }
  m_timer->start(40);
  ShowControls();
}

void AdjustLyricsPage::TimesRestored() {
  m_session->Redraw();
  ShowControls();
  update();
}

void AdjustLyricsPage::Leave() {
  m_timer->stop();
  m_player->SetEndNotice({});
  m_player->Stop();
}

void AdjustLyricsPage::Run(void (NudgeSession::*action)()) {
  (m_session.get()->*action)();
  ShowControls();
}

void AdjustLyricsPage::EditArea() {
  PlayAreaDialog dialog(Shell().OpenSong(), this);
  dialog.exec();
  ShowControls();
}

void AdjustLyricsPage::ShiftTimes() {
  ShiftTimesDialog dialog(*m_session, this);
  dialog.exec();
  ShowControls();
}

bool AdjustLyricsPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_preview->View() && event->type() == QEvent::MouseButtonPress) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton) {
      const QPoint at = mouse->position().toPoint();
      m_session->Click(at.x(), at.y(), m_preview->View()->width(), m_preview->View()->height(),
                       mouse->modifiers() & Qt::ShiftModifier);
      ShowControls();
      return true;
    }
  }
  return PageWidget::eventFilter(watched, event);
}

bool AdjustLyricsPage::KeyDown(QKeyEvent* event) {
  const std::optional<TimingKey> key = TimingKeyOf(*event);
  if (!key) return false;
  if (event->isAutoRepeat()) return *key != TimingKey::Home && *key != TimingKey::End;
  if (*key == TimingKey::Space) m_audition->setFocus();
  if (*key == TimingKey::N && !CtrlDown(*event)) {
    m_adjust->setFocus();
    if (m_session->Mode() != NudgeMode::Audition) m_adjust->setDown(true);
  }
  const NudgeMode before = m_session->Mode();
  const int selected = m_session->SelectedWord();
  const bool used = m_session->KeyDown(*key, CtrlDown(*event));
  if (m_session->Mode() != before || m_session->SelectedWord() != selected || *key == TimingKey::Up ||
      *key == TimingKey::Down)
    ShowControls();
  else
    UpdateWave();
  ShowNotice();
  return used;
}

bool AdjustLyricsPage::KeyUp(QKeyEvent* event) {
  const std::optional<TimingKey> key = TimingKeyOf(*event);
  if (!key || event->isAutoRepeat()) return false;
  m_session->KeyUp(*key);
  if (*key == TimingKey::N) m_adjust->setDown(false);
  return false;
}

void AdjustLyricsPage::RefreshCommands() {
  PageWidget::RefreshCommands();
  ApplyControls();
}

void AdjustLyricsPage::ShowControls() {
  ApplyControls();
  Shell().CommandStateChanged();
}

void AdjustLyricsPage::ApplyControls() {
  const NudgeControls c = m_session->Controls();
  const NudgeMode mode = m_session->Mode();
  m_tempoText->setText(tr("Tempo: %1 (Up, Down)").arg(QString::fromStdString(m_session->Tempo().Text())));
  m_area->setEnabled(c.adjustArea);
  m_auditionGroup->setEnabled(c.auditionGroup);
  m_adjustGroup->setEnabled(c.adjustHint || mode == NudgeMode::Loop);
  m_audition->setIcon(style()->standardIcon(mode == NudgeMode::Audition ? QStyle::SP_MediaStop : QStyle::SP_MediaPlay));
  m_adjust->setIcon(style()->standardIcon(mode == NudgeMode::Loop ? QStyle::SP_MediaStop : QStyle::SP_MediaPlay));
  m_adjust->setEnabled(mode != NudgeMode::Audition && m_session->SelectedWord() >= 0);
  m_singerGroup->setVisible(c.singersShown);
  for (int i = 0; i < 3; ++i) {
    m_singers[i]->setEnabled(c.singersEnabled);
    m_singers[i]->setChecked(c.singerChecked == i);
  }
  m_previousPage->setEnabled(c.previousPage);
  m_nextPage->setEnabled(c.nextPage);
  m_pageText->setText(QString::fromStdString(c.pageText));
  m_snap->setEnabled(c.adjustHint);
  m_shiftTimes->setEnabled(c.adjustHint);
  m_copyLine->setEnabled(c.adjustHint);
  ShowNotice();
  UpdateWave();
}

void AdjustLyricsPage::ShowNotice() {
  m_notice->setText(QString::fromStdString(m_session->Notice()));
  m_notice->setVisible(!m_session->Notice().empty());
}

// The play area around the selected word, with the word's start and end marked.
void AdjustLyricsPage::UpdateWave() {
  Song& song = Shell().OpenSong();
  // A compile that lengthens the working file makes it a new file, analysed anew; until then the
  // strip keeps what it showed.
  const std::string& path = song.Music().WorkingMusicPath();
  const auto analysis = path.empty() ? nullptr : MusicAnalysisCache::Instance().Get(path);
  m_analysed = analysis != nullptr;
  if (analysis) m_wave->SetAnalysis(analysis);
  const KaraokeWord* word = song.Lyrics().Word(m_session->SelectedWord());
  if (!word) return;
  if (analysis) {
    std::vector<std::pair<int64_t, int64_t>> unsure;
    const std::vector<WordConfidence> rated = m_session->RateWords();
    for (size_t i = 0; i < rated.size(); ++i)
      if (rated[i].confidence < kUnsureBelow) {
        const KaraokeWord* w = song.Lyrics().Word(static_cast<int>(i));
        unsure.emplace_back(w->m_startTime, w->m_endTime);
      }
    m_wave->SetUnsure(std::move(unsure));
  }
  const PlayAreaSpan area = PlayArea(song, m_session->SelectedWord(), true, song.Music().SampleRate());
  const int64_t margin = song.Music().SampleRate() / 4;
  m_wave->Show(std::max<int64_t>(area.start - margin, 0), area.end.value_or(word->m_endTime) + margin,
               word->m_startTime, word->m_endTime);
}

}  // namespace lf
