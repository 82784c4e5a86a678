#include "desktop/widgets/cdg_view.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>

namespace lf {

QImage FrameImage(const ScreenFrame& frame) {
  QImage image(kScreenWidth, kScreenHeight, QImage::Format_RGB32);
  QRgb palette[kColorCount];
  for (int i = 0; i < kColorCount; ++i) {
    const Colorref c = frame.colors[size_t(i)];  // 0x00BBGGRR
    palette[i] = qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
  }
  for (int y = 0; y < kScreenHeight; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < kScreenWidth; ++x) line[x] = palette[frame.IndexAt(x, y) & 0x0F];
  }
  return image;
}

CdgView::CdgView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(kScreenWidth / 2, kScreenHeight / 2);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

CdgView::~CdgView() { SetRenderer(nullptr); }

void CdgView::SetRenderer(CdgRenderer* renderer) {
  CdgRenderer* old = m_renderer.exchange(renderer);
  if (old == renderer) return;
  if (old) old->DetachView(this);
  if (renderer) renderer->AttachView(this);
  update();
}

void CdgView::Detached() {
  // Only the renderer letting go on its own (it is being destroyed) leaves a
  // pointer to clear; SetRenderer has already replaced it otherwise.
  m_renderer.store(nullptr);
  QMetaObject::invokeMethod(this, qOverload<>(&QWidget::update), Qt::QueuedConnection);
}

void CdgView::ScreenChanged(const ScreenRect& region) {
  std::lock_guard lock(m_changedMutex);
  m_changed |= QRect(region.left, region.top, region.Width(), region.Height());
  if (m_repaintPosted) return;
  m_repaintPosted = true;
  // Queued to the GUI thread; Qt drops it if the view is deleted first.
  QMetaObject::invokeMethod(this, &CdgView::RepaintChanged, Qt::QueuedConnection);
}

void CdgView::RepaintChanged() {
  QRect changed;
  {
    std::lock_guard lock(m_changedMutex);
    changed = m_changed;
    m_changed = QRect();
    m_repaintPosted = false;
  }
  const ScreenRect scaled = ScaleToClient(
      ScreenRect{changed.left(), changed.top(), changed.left() + changed.width(), changed.top() + changed.height()},
      ScreenRect{0, 0, width(), height()});
  // One pixel more each way: scaling rounds the edges of the region down.
  update(QRect(scaled.left, scaled.top, scaled.Width(), scaled.Height()).adjusted(-1, -1, 1, 1));
}

QImage CdgView::ScreenImage() const {
  CdgRenderer* renderer = m_renderer;
  if (!renderer) return {};
  return FrameImage(renderer->Frame()).scaled(size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

void CdgView::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  CdgRenderer* renderer = m_renderer;
  if (!renderer) {
    painter.fillRect(event->rect(), Qt::black);
    return;
  }
  // Nearest-neighbour scaling keeps the screen's hard pixel edges.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(rect(), FrameImage(renderer->Frame()));
}

}  // namespace lf
