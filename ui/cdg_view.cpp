#include "ui/cdg_view.h"

#include <QImage>
#include <QPainter>
#include <QResizeEvent>

namespace lf {

QImage RendererImage(const MRwRenderer& renderer) {
  const std::vector<Colorref> colors = renderer.DisplayColors();
  QImage image(kScreenWidth, kScreenHeight, QImage::Format_RGB32);
  for (int y = 0; y < kScreenHeight; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < kScreenWidth; ++x) {
      const Colorref c = colors[size_t(y) * kScreenWidth + x];  // 0x00BBGGRR
      line[x] = qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    }
  }
  return image;
}

CCdgView::CCdgView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(kScreenWidth / 2, kScreenHeight / 2);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

CCdgView::~CCdgView() { SetRenderer(nullptr); }

void CCdgView::SetRenderer(MRwRenderer* renderer) {
  if (m_renderer == renderer) return;
  if (m_renderer) m_renderer->DetachView(this);
  m_renderer = renderer;
  if (m_renderer) m_renderer->AttachView(this);
  update();
}

ScreenRect CCdgView::ClientRect() const { return ScreenRect{0, 0, m_width.load(), m_height.load()}; }

void CCdgView::CopyScreen(const MRwRenderer&, const ScreenRect&, const ScreenRect&) { RequestRepaint(); }

void CCdgView::FillRect(const ScreenRect&, Colorref) { RequestRepaint(); }

void CCdgView::RequestRepaint() {
  if (m_repaintPosted.exchange(true)) return;
  // Queued: runs on the GUI thread; dropped by Qt if the view is deleted first.
  QMetaObject::invokeMethod(
      this, [this] {
        m_repaintPosted = false;
        update();
      },
      Qt::QueuedConnection);
}

QImage CCdgView::ScreenImage() const {
  if (!m_renderer) return {};
  return RendererImage(*m_renderer).scaled(size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

void CCdgView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!m_renderer) {
    painter.fillRect(rect(), Qt::black);
    return;
  }
  // Nearest-neighbour scaling keeps the screen's hard pixel edges.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(rect(), RendererImage(*m_renderer));
}

void CCdgView::resizeEvent(QResizeEvent* event) {
  m_width = event->size().width();
  m_height = event->size().height();
  QWidget::resizeEvent(event);
}

}  // namespace lf
