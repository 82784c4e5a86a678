#include "desktop/pages/page.h"

#include "desktop/pages/page_buttons.h"

namespace lf {

CPage::CPage(PageId id, IShell& shell, QWidget* parent) : QWidget(parent), m_id(id), m_shell(shell) {}

CPage::~CPage() = default;

bool CPage::KeyDown(QKeyEvent*) { return false; }

bool CPage::KeyUp(QKeyEvent*) { return false; }

void CPage::RefreshCommands() {
  for (CPageButtons* buttons : findChildren<CPageButtons*>()) buttons->Refresh();
}

}  // namespace lf
