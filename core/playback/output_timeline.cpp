#include "core/playback/output_timeline.h"

namespace lf {

void OutputTimeline::Reset(double start) {
  m_spans.clear();
  m_deviceEnd = 0;
  m_musicEnd = start;
}

void OutputTimeline::Append(uint64_t deviceFrames, double musicFrames) {
  if (deviceFrames == 0) {
    m_musicEnd += musicFrames;  // music read that the device never plays
    return;
  }
  m_spans.push_back({m_deviceEnd, deviceFrames, m_musicEnd, musicFrames});
  m_deviceEnd += deviceFrames;
  m_musicEnd += musicFrames;
}

double OutputTimeline::MusicAt(uint64_t frame) const {
  if (m_spans.empty() || frame >= m_deviceEnd) return m_musicEnd;
  for (const Span& span : m_spans) {
    if (frame < span.deviceStart) return span.musicStart;
    if (frame < span.deviceStart + span.deviceFrames)
      return span.musicStart +
             static_cast<double>(frame - span.deviceStart) * span.musicFrames / static_cast<double>(span.deviceFrames);
  }
  return m_musicEnd;
}

void OutputTimeline::Forget(uint64_t frame) {
  while (m_spans.size() > 1 && m_spans.front().deviceStart + m_spans.front().deviceFrames <= frame) m_spans.pop_front();
}

}  // namespace lf
