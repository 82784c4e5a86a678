#include "desktop/widgets/preview_frame.h"

#include <QFrame>
#include <QResizeEvent>

#include "desktop/widgets/cdg_view.h"

namespace lf {

QRect FourByThree(int width, int height) {
  const int w = std::min(width, height * 4 / 3);
  return QRect(0, 0, w, std::min(height, w * 3 / 4));
}

PreviewFrame::PreviewFrame(QWidget* parent)
    : QWidget(parent),
      m_renderer(std::make_unique<CdgRenderer>()),
      m_frame(new QFrame(this)),
      m_view(new CdgView(m_frame)) {
  m_frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  m_view->SetRenderer(m_renderer.get());
  setMinimumSize(kScreenWidth / 2, kScreenHeight / 2);
}

PreviewFrame::~PreviewFrame() { m_view->SetRenderer(nullptr); }

void PreviewFrame::resizeEvent(QResizeEvent* event) {
  const QRect frame = FourByThree(event->size().width(), event->size().height());
  m_frame->setGeometry(frame);
  m_view->setGeometry(2, 2, std::max(frame.width() - 4, 1), std::max(frame.height() - 4, 1));
}

}  // namespace lf
