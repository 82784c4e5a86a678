#pragma once
// Attaches a view to a renderer for the life of this object: declared after
// both, it detaches the view before either is destroyed, as a view must.
#include "core/playback/rw_renderer.h"

namespace lf::test {

class AttachedView {
 public:
  AttachedView(CdgRenderer& renderer, RendererView& view) : m_renderer(renderer), m_view(view) {
    m_renderer.AttachView(&m_view);
  }
  ~AttachedView() { m_renderer.DetachView(&m_view); }
  AttachedView(const AttachedView&) = delete;
  AttachedView& operator=(const AttachedView&) = delete;

 private:
  CdgRenderer& m_renderer;
  RendererView& m_view;
};

}  // namespace lf::test
