#pragma once
// CCdgView: shows an MRwRenderer's 300 x 216 screen scaled to the widget. The
// renderer calls its views from the player's thread; this view only notes
// that it is out of date there and repaints on the GUI thread from a copy of
// the screen. Its size is cached for those calls, never read from a widget.
#include <QWidget>
#include <atomic>

#include "engine/playback/rw_renderer.h"

namespace lf {

class CCdgView : public QWidget, public IRendererView {
  Q_OBJECT

 public:
  explicit CCdgView(QWidget* parent = nullptr);
  ~CCdgView() override;

  // Attaches to `renderer` (detaching from the one before); null detaches.
  // The renderer must outlive the view or be detached first.
  void SetRenderer(MRwRenderer* renderer);
  MRwRenderer* Renderer() const { return m_renderer; }

  // The screen as last painted would look at the view's current size.
  QImage ScreenImage() const;

  // IRendererView, called from any thread.
  ScreenRect ClientRect() const override;
  void CopyScreen(const MRwRenderer& renderer, const ScreenRect& source, const ScreenRect& dest) override;
  void FillRect(const ScreenRect& dest, Colorref color) override;

  QSize sizeHint() const override { return QSize(kScreenWidth, kScreenHeight); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Posts one repaint to the GUI thread; further requests before it runs fold into it.
  void RequestRepaint();

  MRwRenderer* m_renderer = nullptr;
  std::atomic<int> m_width{0};
  std::atomic<int> m_height{0};
  std::atomic<bool> m_repaintPosted{false};
};

// The renderer's whole screen as shown (border included), 300 x 216 RGB.
QImage RendererImage(const MRwRenderer& renderer);

}  // namespace lf
