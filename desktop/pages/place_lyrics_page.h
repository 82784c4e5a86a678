#pragma once
// PlaceLyricsPage: the music plays and the author taps Space as each word
// begins. The rules live in PlacementSession; this page maps keys and
// buttons to it, reads them at once (the tap's time is the position heard at
// the key press, not at the next timer tick) and shows its controls.
#include <memory>

#include "desktop/pages/page.h"

class QCheckBox;
class QPushButton;
class QSpinBox;
class QTimer;

namespace lf {

class CdgTimingPlayer;
class PreviewFrame;
class PlacementPreview;
class PlacementSession;

class PlaceLyricsPage : public PageWidget {
  Q_OBJECT

 public:
  PlaceLyricsPage(PageHost& shell, QWidget* parent = nullptr);
  ~PlaceLyricsPage() override;

  void Enter() override;
  void Leave() override;
  void TimesRestored() override;
  bool KeyDown(QKeyEvent* event) override;
  bool KeyUp(QKeyEvent* event) override;
  void RefreshCommands() override;

 private:
  void Start();
  void Tick();
  void TempoEdited(int percent);
  void ShowControls();
  void ApplyControls();
  QPushButton* ButtonFor(int key) const;
  void RunEnded();

  PreviewFrame* m_preview;
  QPushButton* m_start;
  QPushButton* m_placeWord;
  QPushButton* m_pause;
  QPushButton* m_stop;
  QSpinBox* m_tempo;
  QCheckBox* m_linesFirst;
  QTimer* m_timer;
  std::unique_ptr<CdgTimingPlayer> m_player;
  std::unique_ptr<PlacementPreview> m_placementPreview;
  std::unique_ptr<PlacementSession> m_session;
};

}  // namespace lf
