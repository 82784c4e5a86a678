#include "desktop/widgets/waveform_strip.h"

#include <QPainter>
#include <algorithm>

#include "core/timing/music_analysis.h"

namespace lf {

WaveformStrip::WaveformStrip(QWidget* parent) : QWidget(parent) {
  setMinimumHeight(40);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setToolTip(tr("Ticks along the top: where the voice sets in.\nOrange underline: a word to listen to again."));
}

void WaveformStrip::SetAnalysis(std::shared_ptr<const MusicAnalysis> analysis) {
  if (analysis == m_analysis) return;
  m_analysis = std::move(analysis);
  update();
}

void WaveformStrip::Show(int64_t from, int64_t to, int64_t wordStart, int64_t wordEnd) {
  m_from = from;
  m_to = std::max(to, from + 1);
  m_wordStart = wordStart;
  m_wordEnd = wordEnd;
  update();
}

void WaveformStrip::SetPosition(int64_t position) {
  if (position == m_position) return;
  m_position = position;
  update();
}

void WaveformStrip::SetUnsure(std::vector<std::pair<int64_t, int64_t>> spans) {
  if (spans == m_unsure) return;
  m_unsure = std::move(spans);
  update();
}

int WaveformStrip::XOf(int64_t frame) const { return static_cast<int>((frame - m_from) * width() / (m_to - m_from)); }

void WaveformStrip::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(0x10, 0x18, 0x30));
  if (!m_analysis || m_analysis->samplesPerPacket <= 0 || width() <= 0) {
    painter.setPen(Qt::gray);
    painter.drawText(rect(), Qt::AlignCenter, tr("Reading the music..."));
    return;
  }
  const int mid = height() / 2, spp = m_analysis->samplesPerPacket;
  // The word's span shaded, then one bar per column of the loudest packet under it.
  painter.fillRect(QRect(QPoint(XOf(m_wordStart), 0), QPoint(XOf(m_wordEnd), height())), QColor(0x30, 0x40, 0x70));
  painter.setPen(QColor(0x60, 0xd0, 0xff));
  for (int x = 0; x < width(); ++x) {
    const int64_t from = m_from + (m_to - m_from) * x / width(), to = m_from + (m_to - m_from) * (x + 1) / width();
    const int peak = m_analysis->PeakOver(from / spp, std::max(to / spp, from / spp + 1));
    const int half = peak * (mid - 1) / 32768;
    painter.drawLine(x, mid - half, x, mid + half);
  }
  // The voice's onsets as ticks hanging from the top edge.
  painter.setPen(QPen(QColor(0xff, 0xe0, 0x60), 1));
  const std::vector<Onset>& voice = m_analysis->voice.onsets;
  const auto first =
      std::lower_bound(voice.begin(), voice.end(), m_from, [](const Onset& o, int64_t at) { return o.frame < at; });
  for (auto it = first; it != voice.end() && it->frame <= m_to; ++it)
    painter.drawLine(XOf(it->frame), 0, XOf(it->frame), 5);
  // Unsure words underlined along the bottom edge.
  for (const auto& [start, end] : m_unsure) {
    if (end < m_from || start > m_to) continue;
    const int left = std::max(XOf(start), 0), right = std::min(XOf(end), width() - 1);
    painter.fillRect(QRect(QPoint(left, height() - 5), QPoint(std::max(right, left + 2), height() - 1)),
                     QColor(0xff, 0x80, 0x20));
  }
  painter.setPen(QPen(Qt::green, 2));
  painter.drawLine(XOf(m_wordStart), 0, XOf(m_wordStart), height());
  painter.setPen(QPen(Qt::red, 2));
  painter.drawLine(XOf(m_wordEnd), 0, XOf(m_wordEnd), height());
  if (m_position >= m_from && m_position <= m_to) {
    painter.setPen(QPen(Qt::white, 1));
    painter.drawLine(XOf(m_position), 0, XOf(m_position), height());
  }
}

}  // namespace lf
