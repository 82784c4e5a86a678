#pragma once
// EditLyricsPage: the Edit Lyrics page. The lyrics editor on the left; every
// change goes into the song's raw lyrics and is laid out at once, and the
// right side previews one lyrics page of the result. A bar above imports
// lyrics, adds music and plays it with a position slider.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/platform/event.h"
#include "core/playback/rw_renderer.h"
#include "desktop/pages/page.h"
#include "desktop/rules/music_bar.h"

class QLabel;
class QPushButton;
class QSlider;
class QSplitter;
class QTimer;
class QToolButton;

namespace lf {

class CdgView;
class PageButtons;
class LyricsTextEdit;
class CdgPlayer;

class EditLyricsPage : public PageWidget {
  Q_OBJECT

 public:
  explicit EditLyricsPage(PageHost& shell, QWidget* parent = nullptr);
  ~EditLyricsPage() override;

  void Enter() override;
  void Leave() override;
  bool KeyDown(QKeyEvent* event) override;
  void RunFormatCommand(FormatCommand command) override;
  void RefreshCommands() override;

  // "&Import Lyrics": the shell's lyric file chooser and import.
  void ImportLyrics();

  void Play();
  void Stop();
  bool IsPlaying() const { return m_playing; }
  int CurrentPage() const { return m_currentPage; }
  // Lays the lyrics out now instead of on the next pass of the event loop.
  void FlushPendingLayout();

  LyricsTextEdit* Editor() const { return m_editor; }
  CdgView* Preview() const { return m_preview; }
  const CdgRenderer& PreviewRenderer() const { return m_renderer; }
  QLabel* PageNumber() const { return m_pageNumber; }
  QToolButton* PreviousPageButton() const { return m_previous; }
  QToolButton* NextPageButton() const { return m_next; }
  QToolButton* PlayButton() const { return m_play; }
  QSlider* Slider() const { return m_slider; }
  QLabel* TimeLabel() const { return m_time; }
  QLabel* MusicName() const { return m_musicName; }
  QLabel* DuetNotice() const { return m_duetNotice; }
  QSplitter* Splitter() const { return m_splitter; }

 private:
  void BuildControls();
  void OnTextChanged();
  void RefreshPagePreview();
  void RefreshMusicControls();
  void RefreshTimeLabel();
  void MovePage(int delta);
  void OnTimer();
  void OnSliderPressed();
  void OnSliderMoved(int position);
  void OnSliderReleased();
  void AddMusic();
  bool MusicLoaded() const;
  void ShowPlayState();

  LyricsTextEdit* m_editor = nullptr;
  CdgView* m_preview = nullptr;
  QSplitter* m_splitter = nullptr;
  QLabel* m_pageNumber = nullptr;
  QToolButton* m_previous = nullptr;
  QToolButton* m_next = nullptr;
  QPushButton* m_import = nullptr;
  QPushButton* m_addMusic = nullptr;
  QToolButton* m_play = nullptr;
  QSlider* m_slider = nullptr;
  QLabel* m_time = nullptr;
  QLabel* m_musicName = nullptr;
  QLabel* m_duetNotice = nullptr;  // shown while the lyrics hold duet marks in a solo song
  PageButtons* m_buttons = nullptr;
  QTimer* m_timer = nullptr;
  QTimer* m_layoutTimer = nullptr;

  CdgRenderer m_renderer;
  int m_currentPage = 0;
  bool m_playing = false;
  bool m_dragging = false;
  int64_t m_position = 0;  // sample frames
  MusicBarScale m_scale;
  std::string m_scaledFile;  // the working file m_scale was measured from
  Event m_stopEvent{true};
};

}  // namespace lf
