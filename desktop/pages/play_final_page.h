#pragma once
// CPlayFinalPage: the whole song compiled and played with its graphics, with
// a slider to move about in it. The arithmetic lives in FinalPlayback.
#include <memory>

#include "desktop/pages/page.h"

class QLabel;
class QPushButton;
class QSlider;
class QTimer;

namespace lf {

class CdgTimingPlayer;
class CPreviewFrame;
class FinalPlayback;

class CPlayFinalPage : public CPage {
  Q_OBJECT

 public:
  CPlayFinalPage(IShell& shell, QWidget* parent = nullptr);
  ~CPlayFinalPage() override;

  void Enter() override;
  void Leave() override;
  bool KeyDown(QKeyEvent* event) override;

 private:
  void PlayOrPause();
  void Tick();
  void SliderMoved(int packet);
  void SliderReleased();
  void ShowState();

  CPreviewFrame* m_preview;
  QPushButton* m_play;
  QSlider* m_slider;
  QLabel* m_time;
  QTimer* m_timer;
  bool m_showing = false;  // the page itself is moving the slider
  std::unique_ptr<CdgTimingPlayer> m_player;
  std::unique_ptr<FinalPlayback> m_final;
};

}  // namespace lf
