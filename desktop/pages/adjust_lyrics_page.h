#pragma once
// AdjustLyricsPage: pick a word on the preview, move its start or end with
// "," and "." (Ctrl for the end), and hear it in audition or in a loop over
// the words around it. Timing help steps through the words the voice does
// not bear out (U), shifts runs of words ("[" and "]" by a step, or Shift
// Times...), and times a repeated line from its first singing. The rules
// live in NudgeSession.
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
  void ShiftTimes();
  void ShowNotice();
  void ShowControls();
  void ApplyControls();
  void UpdateWave();

  PreviewFrame* m_preview;
  QPushButton* m_audition;
  QPushButton* m_adjust;
  QPushButton* m_area;
  QPushButton* m_snap;
  QPushButton* m_nextUnsure;
  QPushButton* m_shiftTimes;
  QPushButton* m_copyLine;
  QLabel* m_notice;
  WaveformStrip* m_wave;
  QGroupBox* m_auditionGroup;
  QGroupBox* m_adjustGroup;
  QGroupBox* m_singerGroup;
  QGroupBox* m_helpGroup;
  QPushButton* m_singers[3];
  QLabel* m_pageText;
  QLabel* m_tempoText = nullptr;
  QPushButton* m_previousPage;
  QPushButton* m_nextPage;
  QTimer* m_timer;
  bool m_analysed = false;  // the working music's analysis was ready at the last UpdateWave
  std::unique_ptr<CdgTimingPlayer> m_player;
  std::unique_ptr<NudgeSession> m_session;
};

}  // namespace lf
