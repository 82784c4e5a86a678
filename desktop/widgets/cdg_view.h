#pragma once
// CdgView: shows an CdgRenderer's 300 x 216 screen scaled to the widget. The
// renderer tells it from the player's thread which region changed; the view
// only gathers that region there and repaints it on the GUI thread from the
// renderer's frame.
#include <QRect>
#include <QWidget>
#include <atomic>
#include <mutex>

#include "core/playback/renderer_view.h"
#include "core/playback/rw_renderer.h"

namespace lf {

class CdgView : public QWidget, public RendererView {
  Q_OBJECT

 public:
  explicit CdgView(QWidget* parent = nullptr);
  ~CdgView() override;

  // Attaches to `renderer` (detaching from the one before); null detaches.
  // A renderer destroyed first lets go of the view itself.
  void SetRenderer(CdgRenderer* renderer);
  CdgRenderer* Renderer() const { return m_renderer; }

  // The screen scaled to the view's size, as a paint would draw it now.
  QImage ScreenImage() const;

  // RendererView, called from the thread that feeds the renderer.
  void ScreenChanged(const ScreenRect& region) override;
  void Detached() override;

  QSize sizeHint() const override { return QSize(kScreenWidth, kScreenHeight); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // On the GUI thread: repaints what changed since the last call.
  void RepaintChanged();

  std::atomic<CdgRenderer*> m_renderer{nullptr};
  std::mutex m_changedMutex;
  QRect m_changed;  // screen coordinates, gathered from the feeding thread
  bool m_repaintPosted = false;
};

// A frame of the screen as shown (border included), 300 x 216 RGB.
QImage FrameImage(const ScreenFrame& frame);

}  // namespace lf
