#include "desktop/pages/edit_lyrics_page.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSplitter>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/audio/music_preparation.h"
#include "core/audio/music_state.h"
#include "core/lyrics/apply_lyrics_import.h"
#include "core/lyrics/lyrics_import.h"
#include "core/platform/message_sink.h"
#include "core/platform/outcome.h"
#include "core/platform/settings.h"
#include "core/playback/cdg_player.h"
#include "core/song/song.h"
#include "core/song/song_drawing.h"
#include "desktop/pages/page_buttons.h"
#include "desktop/rules/edit_lyrics_labels.h"
#include "desktop/widgets/cdg_view.h"
#include "desktop/widgets/simple_edit_ctrl.h"

namespace lf {
namespace {

constexpr const char* kSplitKey = "EditLyricsSplit";
constexpr int kTimerMs = 100;
// The editor shows the lyrics page's face at a cell height of 28 pixels;
// Qt sizes a font by its em, about four fifths of the cell.
constexpr int kEditorFontPixels = 22;

// The preview at the screen's 4:3 shape, as large as the space allows, with
// the page arrows' row centred 7 pixels under it.
class PreviewFrame : public QWidget {
 public:
  PreviewFrame(QWidget* preview, QWidget* footer, QWidget* parent)
      : QWidget(parent), m_preview(preview), m_footer(footer) {
    preview->setParent(this);
    footer->setParent(this);
    setMinimumSize(kScreenWidth / 2, kScreenHeight / 2 + footer->sizeHint().height() + kGap);
  }
  QSize sizeHint() const override { return QSize(kScreenWidth, kScreenHeight * 3 / 2); }

 protected:
  void resizeEvent(QResizeEvent*) override {
    const QSize footer = m_footer->sizeHint();
    const int height = std::min(this->height() - footer.height() - kGap, width() * 3 / 4);
    const int width = std::min(this->width(), height * 4 / 3);
    m_preview->setGeometry((this->width() - width) / 2, 0, width, height);
    m_footer->setGeometry((this->width() - footer.width()) / 2, height + kGap, footer.width(), footer.height());
  }

 private:
  static constexpr int kGap = 7;
  QWidget* m_preview;
  QWidget* m_footer;
};

}  // namespace

EditLyricsPage::EditLyricsPage(PageHost& shell, QWidget* parent) : PageWidget(PageId::EditLyrics, shell, parent) {
  BuildControls();
}

EditLyricsPage::~EditLyricsPage() {
  if (m_preview) m_preview->SetRenderer(nullptr);
}

void EditLyricsPage::BuildControls() {
  auto* layout = new QVBoxLayout(this);

  auto* bar = new QHBoxLayout;
  m_import = new QPushButton(tr("&Import Lyrics"), this);
  m_import->setObjectName("importLyrics");
  m_addMusic = new QPushButton(tr("Add M&usic"), this);
  m_addMusic->setObjectName("addMusic");
  m_play = new QToolButton(this);
  m_play->setObjectName("play");
  m_musicName = new QLabel(this);
  m_musicName->setObjectName("musicName");
  m_musicName->setTextFormat(Qt::PlainText);
  m_slider = new QSlider(Qt::Horizontal, this);
  m_slider->setObjectName("musicSlider");
  m_time = new QLabel("0:00/0:00", this);
  m_time->setObjectName("musicTime");
  bar->addWidget(m_import);
  bar->addWidget(m_addMusic);
  bar->addWidget(m_play);
  bar->addWidget(m_musicName, 1);
  bar->addWidget(m_slider, 2);
  bar->addWidget(m_time);
  layout->addLayout(bar);

  m_splitter = new QSplitter(Qt::Horizontal, this);
  m_editor = new LyricsTextEdit(m_splitter);
  auto* right = new QWidget(m_splitter);
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(2, 0, 0, 0);
  m_preview = new CdgView(right);
  m_preview->setObjectName("lyricsPreview");
  m_preview->SetRenderer(&m_renderer);
  auto* footer = new QWidget(right);
  auto* pages = new QHBoxLayout(footer);
  pages->setContentsMargins(0, 0, 0, 0);
  m_previous = new QToolButton(footer);
  m_previous->setObjectName("previousPage");
  m_previous->setArrowType(Qt::LeftArrow);
  m_next = new QToolButton(footer);
  m_next->setObjectName("nextPage");
  m_next->setArrowType(Qt::RightArrow);
  m_pageNumber = new QLabel(footer);
  m_pageNumber->setObjectName("pageNumber");
  QFont fixed = m_pageNumber->font();
  fixed.setStyleHint(QFont::Monospace);
  fixed.setFamily("Monospace");  // the label pads its numbers with blanks
  m_pageNumber->setFont(fixed);
  m_pageNumber->setText(" 1 of  1");
  pages->addWidget(m_previous);
  pages->addWidget(new QLabel(tr("Page:"), footer));
  pages->addWidget(m_pageNumber);
  pages->addWidget(m_next);
  rightLayout->addWidget(new PreviewFrame(m_preview, footer, right), 1);
  m_splitter->setStretchFactor(0, 1);
  m_splitter->setStretchFactor(1, 1);
  layout->addWidget(m_splitter, 1);

  // A notice in the page, not a box: typing goes on undisturbed.
  m_duetNotice = new QLabel(QString::fromUtf8(DuetInSoloNotice()).replace('\n', ' '), this);
  m_duetNotice->setObjectName("duetNotice");
  m_duetNotice->setTextFormat(Qt::PlainText);
  m_duetNotice->setWordWrap(true);
  m_duetNotice->setStyleSheet("QLabel { background: #fff4c2; color: #5a4500; padding: 4px; }");
  m_duetNotice->hide();
  layout->addWidget(m_duetNotice);

  m_buttons = new PageButtons(Shell(), PageId::EditLyrics, PageButtons::Layout::Row, this);
  layout->addWidget(m_buttons);

  m_timer = new QTimer(this);
  m_timer->setInterval(kTimerMs);
  m_layoutTimer = new QTimer(this);
  m_layoutTimer->setSingleShot(true);
  m_layoutTimer->setInterval(0);

  connect(m_import, &QPushButton::clicked, this, &EditLyricsPage::ImportLyrics);
  connect(m_addMusic, &QPushButton::clicked, this, &EditLyricsPage::AddMusic);
  connect(m_play, &QToolButton::clicked, this, [this] { m_playing ? Stop() : Play(); });
  connect(m_previous, &QToolButton::clicked, this, [this] { MovePage(-1); });
  connect(m_next, &QToolButton::clicked, this, [this] { MovePage(1); });
  connect(m_slider, &QSlider::sliderPressed, this, &EditLyricsPage::OnSliderPressed);
  connect(m_slider, &QSlider::sliderMoved, this, &EditLyricsPage::OnSliderMoved);
  connect(m_slider, &QSlider::sliderReleased, this, &EditLyricsPage::OnSliderReleased);
  // Keyboard moves of the slider (arrows, page keys) land at once.
  connect(m_slider, &QSlider::actionTriggered, this, [this](int) {
    if (!m_slider->isSliderDown())
      QTimer::singleShot(0, this, [this] {
        OnSliderPressed();
        OnSliderMoved(m_slider->value());
        OnSliderReleased();
      });
  });
  connect(m_timer, &QTimer::timeout, this, &EditLyricsPage::OnTimer);
  connect(m_layoutTimer, &QTimer::timeout, this, &EditLyricsPage::RefreshPagePreview);
  ShowPlayState();
}

void EditLyricsPage::Enter() {
  Song& song = Shell().OpenSong();
  const PageRecord* lyrics = song.Look().PageByKind(LyricsPage);
  if (!lyrics) {
    ShowMessage("There is a problem with the project you opened.", "Lyricforge", MessageIcon::Error);
    song.SetModified(false);
    setEnabled(false);
    return;
  }
  QFont font(QString::fromStdString(lyrics->m_style.FaceName()));
  font.setPixelSize(kEditorFontPixels);
  font.setBold(true);
  m_editor->setFont(font);
  m_editor->SetUtf8Text(song.Lyrics().RawLyrics());
  connect(m_editor, &QPlainTextEdit::textChanged, this, &EditLyricsPage::OnTextChanged, Qt::UniqueConnection);

  const double split = std::clamp(AppSettings().Double("Settings", kSplitKey, 0.5), 0.1, 0.9);
  const int width = std::max(m_splitter->width(), 200);
  m_splitter->setSizes({int(width * split), width - int(width * split)});
  m_musicName->setText(QString::fromStdString(MusicNameLabel(Shell().Music().musicFilePath)));
  RefreshMusicControls();
  RefreshPagePreview();
  m_timer->start();
  m_editor->setFocus();
}

void EditLyricsPage::Leave() {
  m_timer->stop();
  FlushPendingLayout();
  if (m_playing) Stop();
  CdgPlayer::DestroyGlobal();
  const QList<int> sizes = m_splitter->sizes();
  const int total = sizes.value(0) + sizes.value(1);
  if (total > 0) AppSettings().SetDouble("Settings", kSplitKey, double(sizes.value(0)) / total);
}

void EditLyricsPage::OnTextChanged() {
  // The song holds what the editor shows at once; the layout follows on the
  // next pass of the event loop, so a burst of changes lays out once.
  Shell().OpenSong().Lyrics().SetRawLyrics(m_editor->Utf8Text());
  m_layoutTimer->start();
}

void EditLyricsPage::FlushPendingLayout() {
  if (!m_layoutTimer->isActive()) return;
  m_layoutTimer->stop();
  RefreshPagePreview();
}

void EditLyricsPage::RefreshPagePreview() {
  Song& song = Shell().OpenSong();
  song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = true});
  m_duetNotice->setVisible(song.DuetMarksInSolo());
  const int lastPage = song.Lyrics().LastPage();
  m_currentPage = ClampPage(m_currentPage, lastPage);
  DrawPage(song, m_renderer, m_currentPage);

  m_previous->setEnabled(m_currentPage > 0);
  m_next->setEnabled(m_currentPage < lastPage);
  QWidget* focus = focusWidget();
  if (lastPage == 0) {
    if (!focus || !focus->isEnabled()) m_editor->setFocus();
  } else if (m_currentPage == 0 && (!focus || focus == m_previous)) {
    m_next->setFocus();
  } else if (m_currentPage == lastPage && (!focus || focus == m_next)) {
    m_previous->setFocus();
  }
  m_pageNumber->setText(QString::fromStdString(PageNumberLabel(m_currentPage, lastPage)));
  RefreshMusicControls();
  Shell().CommandStateChanged();
}

void EditLyricsPage::MovePage(int delta) {
  FlushPendingLayout();
  m_currentPage += delta;
  RefreshPagePreview();
}

bool EditLyricsPage::MusicLoaded() const { return !Shell().Music().workingFilePath.empty(); }

void EditLyricsPage::RefreshMusicControls() {
  const bool loaded = MusicLoaded();
  m_play->setEnabled(loaded);
  m_slider->setEnabled(loaded);
  if (!loaded) {
    m_scale = MusicBarScale{};
    m_scaledFile.clear();
  } else if (m_scaledFile != Shell().Music().workingFilePath) {
    const MusicState& music = Shell().Music();
    const int totalSeconds = static_cast<int>(GetMediaDuration(music.workingFilePath, false));
    m_scale = MusicBarScale::For(static_cast<uint64_t>(std::max<int64_t>(music.workingDataBytes, 0)),
                                 music.bitsPerSample * music.channelCount / 8, music.sampleRate, totalSeconds);
    m_scaledFile = music.workingFilePath;
    m_slider->setRange(0, m_scale.range);
    m_slider->setSingleStep(m_scale.lineStep);
    m_slider->setPageStep(m_scale.pageStep);
    m_slider->setValue(m_scale.SliderAt(m_position));
  }
  RefreshTimeLabel();
}

void EditLyricsPage::RefreshTimeLabel() {
  const QString text = QString::fromStdString(m_scale.TimeLabel(m_slider->value()));
  if (m_time->text() != text) m_time->setText(text);
}

void EditLyricsPage::ShowPlayState() {
  m_play->setIcon(style()->standardIcon(m_playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
  m_play->setToolTip(m_playing ? tr("Stop") : tr("Play"));
}

void EditLyricsPage::Play() {
  if (!MusicLoaded() || m_playing) return;
  const MusicState& music = Shell().Music();
  CdgPlayer* player = CdgPlayer::Global();
  if (!player) player = CdgPlayer::CreateGlobal(nullptr);
  player->SetSource(music.workingFilePath, nullptr, 0);
  if (music.sampleRate > 0 && music.samplesPerPacket > 0)
    player->SetSampleRate(music.sampleRate, music.samplesPerPacket);
  m_stopEvent.Reset();
  player->SetStopEvent(&m_stopEvent);
  if (Outcome played = player->Play(CdgPlayer::kPlayAudio, static_cast<int32_t>(m_position), 0); !played) {
    ShowOutcome(played);
    return;
  }
  m_playing = true;
  if (!m_dragging) ShowPlayState();
  Shell().CommandStateChanged();
}

void EditLyricsPage::Stop() {
  if (CdgPlayer* player = CdgPlayer::Global()) {
    player->Stop();
    player->SetStopEvent(nullptr);
  }
  m_playing = false;
  if (!m_dragging) {
    ShowPlayState();
    Shell().CommandStateChanged();
  }
}

void EditLyricsPage::OnTimer() {
  if (!m_playing) return;
  if (m_stopEvent.IsSet()) {
    Stop();
    m_position = 0;
    m_slider->setValue(0);
  } else if (CdgPlayer* player = CdgPlayer::Global()) {
    const int32_t position = player->Position();
    if (position != 0 && !m_slider->isSliderDown()) {
      m_position = position;
      m_slider->setValue(m_scale.SliderAt(position));
    }
  }
  RefreshTimeLabel();
}

void EditLyricsPage::OnSliderPressed() {
  if (!m_playing) return;
  m_dragging = true;
  Stop();
}

void EditLyricsPage::OnSliderMoved(int position) {
  m_position = m_scale.FramesAt(position);
  if (CdgPlayer* player = CdgPlayer::Global()) player->SetPosition(static_cast<int32_t>(m_position));
  m_time->setText(QString::fromStdString(m_scale.TimeLabel(position)));
}

void EditLyricsPage::OnSliderReleased() {
  m_position = m_scale.FramesAt(m_slider->value());
  if (!m_dragging) return;
  m_dragging = false;
  Play();
}

void EditLyricsPage::ImportLyrics() {
  // The shell chooses the file, imports it and shows any failure.
  const std::optional<LyricsImport> import = Shell().FindLyrics();
  if (!import) return;
  Song& song = Shell().OpenSong();
  int linesPastMusic = 0;
  if (!ApplyLyricsImport(*import, song, &linesPastMusic)) return;
  // Import replaces the text as one undoable step of the editor.
  QTextCursor cursor(m_editor->document());
  const QSignalBlocker block(m_editor);
  cursor.beginEditBlock();
  cursor.select(QTextCursor::Document);
  cursor.insertText(QString::fromStdString(song.Lyrics().RawLyrics()));
  cursor.endEditBlock();
  m_currentPage = 0;
  RefreshPagePreview();
  if (linesPastMusic > 0)
    ShowMessage(LinesPastMusicText(linesPastMusic) + ".", kLyricsImportCaption, MessageIcon::Exclamation);
}

void EditLyricsPage::AddMusic() {
  if (m_playing) Stop();
  Shell().AddMusic();
  m_musicName->setText(QString::fromStdString(MusicNameLabel(Shell().Music().musicFilePath)));
  m_position = 0;
  m_scaledFile.clear();
  RefreshMusicControls();
  Shell().CommandStateChanged();
}

bool EditLyricsPage::KeyDown(QKeyEvent* event) {
  QWidget* focus = focusWidget();
  if (focus != m_play && focus != m_slider) return false;
  switch (event->key()) {
    case Qt::Key_Space:
      if (!event->isAutoRepeat()) m_playing ? Stop() : Play();
      return true;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
      if (focus == m_play && m_slider->isEnabled()) m_slider->setFocus();
      return false;
    default:
      return false;
  }
}

void EditLyricsPage::RunFormatCommand(FormatCommand command) { m_editor->FormatText(command); }

void EditLyricsPage::RefreshCommands() {
  PageWidget::RefreshCommands();
  // The page's own rule on top of the shell's: settings need a known length.
  if (m_playing) m_buttons->SettingsButton()->setEnabled(false);
}

}  // namespace lf
