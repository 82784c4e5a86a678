#pragma once
// PlayFinalPage: the whole song compiled and played with its graphics, with
// a slider to move about in it. The arithmetic lives in FinalPlayback.
#include <memory>

#include "desktop/pages/page.h"

class QLabel;
class QPushButton;
class QSlider;
class QTimer;

namespace lf {

class CdgTimingPlayer;
class PreviewFrame;
class FinalPlayback;

class PlayFinalPage : public PageWidget {
  Q_OBJECT

 public:
  PlayFinalPage(PageHost& shell, QWidget* parent = nullptr);
  ~PlayFinalPage() override;

  void Enter() override;
  void Leave() override;
  bool KeyDown(QKeyEvent* event) override;

 private:
  void PlayOrPause();
  void Tick();
  void SliderMoved(int packet);
  void SliderReleased();
  void ShowState();

  PreviewFrame* m_preview;
  QPushButton* m_play;
  QSlider* m_slider;
  QLabel* m_time;
  QTimer* m_timer;
  bool m_showing = false;  // the page itself is moving the slider
  std::unique_ptr<CdgTimingPlayer> m_player;
  std::unique_ptr<FinalPlayback> m_final;
};

}  // namespace lf
