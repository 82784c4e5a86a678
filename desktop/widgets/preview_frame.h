#pragma once
// The timing pages' preview: a frame kept at 4:3 in the top left of the
// space it is given, with the CD+G view inset by 2 pixels, and the renderer
// the view shows.
#include <QWidget>
#include <memory>

#include "core/playback/rw_renderer.h"

class QFrame;

namespace lf {

class CdgView;

class PreviewFrame : public QWidget {
  Q_OBJECT

 public:
  explicit PreviewFrame(QWidget* parent = nullptr);
  ~PreviewFrame() override;

  CdgRenderer& Renderer() { return *m_renderer; }
  CdgView* View() const { return m_view; }
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override { return width * 3 / 4; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  std::unique_ptr<CdgRenderer> m_renderer;
  QFrame* m_frame;
  CdgView* m_view;
};

// The largest rectangle of 4:3 that fits `width` x `height`, at the top left.
QRect FourByThree(int width, int height);

}  // namespace lf
