#include "desktop/widgets/waveform_strip.h"

#include <QPainter>

#include "core/timing/music_analysis.h"

namespace lf {

WaveformStrip::WaveformStrip(QWidget* parent) : QWidget(parent) {
  setMinimumHeight(40);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void WaveformStrip::SetAnalysis(std::shared_ptr<const MusicAnalysis> analysis) {
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
