#include "desktop/pages/page.h"

#include "desktop/pages/page_buttons.h"

namespace lf {

PageWidget::PageWidget(PageId id, PageHost& shell, QWidget* parent) : QWidget(parent), m_id(id), m_shell(shell) {}

PageWidget::~PageWidget() = default;

bool PageWidget::KeyDown(QKeyEvent*) { return false; }

bool PageWidget::KeyUp(QKeyEvent*) { return false; }

void PageWidget::RefreshCommands() {
  for (PageButtons* buttons : findChildren<PageButtons*>()) buttons->Refresh();
}

}  // namespace lf
