#pragma once
// AdjustLyricsPage: pick a word on the preview, move its start or end with
// "," and "." (Ctrl for the end), and hear it in audition or in a loop over
// the words around it. The rules live in NudgeSession.
#include <memory>

#include "desktop/pages/page.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QTimer;

namespace lf {

class CdgTimingPlayer;
class PreviewFrame;
class WaveformStrip;
class NudgeSession;

class AdjustLyricsPage : public PageWidget {
  Q_OBJECT

 public:
  AdjustLyricsPage(PageHost& shell, QWidget* parent = nullptr);
  ~AdjustLyricsPage() override;

  void Enter() override;
  void Leave() override;
  void TimesRestored() override;
  bool KeyDown(QKeyEvent* event) override;
  bool KeyUp(QKeyEvent* event) override;
  void RefreshCommands() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Run(void (NudgeSession::*action)());
  void EditArea();
  void ShowControls();
  void ApplyControls();
  void UpdateWave();

  PreviewFrame* m_preview;
  QPushButton* m_audition;
  QPushButton* m_adjust;
  QPushButton* m_area;
  QPushButton* m_snap;
  WaveformStrip* m_wave;
  QGroupBox* m_auditionGroup;
  QGroupBox* m_adjustGroup;
  QGroupBox* m_singerGroup;
  QPushButton* m_singers[3];
  QLabel* m_pageText;
  QLabel* m_tempoText = nullptr;
  QPushButton* m_previousPage;
  QPushButton* m_nextPage;
  QTimer* m_timer;
  std::unique_ptr<CdgTimingPlayer> m_player;
  std::unique_ptr<NudgeSession> m_session;
};

}  // namespace lf
