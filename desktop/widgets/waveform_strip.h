#pragma once
// WaveformStrip: the music's envelope over the play area, the selected
// word's start and end drawn on it, and the play position moving across.
// Onsets are what a nudge aims at; the strip ticks the voice's along its
// top, and underlines the words the voice does not bear out.
#include <QWidget>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace lf {

struct MusicAnalysis;

class WaveformStrip : public QWidget {
  Q_OBJECT

 public:
  explicit WaveformStrip(QWidget* parent = nullptr);

  void SetAnalysis(std::shared_ptr<const MusicAnalysis> analysis);
  bool HasAnalysis() const { return m_analysis != nullptr; }
  // Frames of the music (lead-in not counted): the span shown, the word's
  // start and end, and the play position (-1: none).
  void Show(int64_t from, int64_t to, int64_t wordStart, int64_t wordEnd);
  void SetPosition(int64_t position);
  // The start and end frames of the unsure words (any order, any span).
  void SetUnsure(std::vector<std::pair<int64_t, int64_t>> spans);

  QSize sizeHint() const override { return QSize(300, 48); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int XOf(int64_t frame) const;

  std::shared_ptr<const MusicAnalysis> m_analysis;
  std::vector<std::pair<int64_t, int64_t>> m_unsure;
  int64_t m_from = 0, m_to = 0, m_wordStart = 0, m_wordEnd = 0, m_position = -1;
};

}  // namespace lf
