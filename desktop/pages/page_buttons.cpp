#include "desktop/pages/page_buttons.h"

#include <QBoxLayout>
#include <QPushButton>

namespace lf {
namespace {

struct PageButton {
  PageId page;
  const char* label;
};

constexpr PageButton kPageButtons[] = {
    {PageId::EditLyrics, "E&dit Lyrics"},
    {PageId::PlaceLyrics, "Place &Lyrics"},
    {PageId::AdjustLyrics, "&Adjust Lyrics"},
    {PageId::PlayFinal, "&Play Final"},
};

}  // namespace

PageButtons::PageButtons(PageHost& shell, PageId current, Layout layout, QWidget* parent)
    : QWidget(parent), m_shell(shell), m_current(current) {
  auto* box = new QBoxLayout(layout == Layout::Row ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, this);
  box->setContentsMargins(0, 0, 0, 0);
  for (int i = 0; i < 4; ++i) {
    const PageButton& b = kPageButtons[i];
    auto* button = new QPushButton(tr(b.label), this);
    button->setObjectName(QString("page%1").arg(int(b.page)));
    button->setCheckable(true);
    button->setChecked(b.page == current);
    // A click on the page shown must not uncheck it.
    connect(button, &QPushButton::clicked, this, [this, i, page = b.page] {
      m_pages[i]->setChecked(page == m_current);
      m_shell.PageCommand(page);
    });
    box->addWidget(button);
    m_pages[i] = button;
  }
  m_settings = new QPushButton(tr("&Settings..."), this);
  m_settings->setObjectName("settings");
  connect(m_settings, &QPushButton::clicked, this, [this] { m_shell.EditSettings(); });
  box->addWidget(m_settings);
  Refresh();
}

QPushButton* PageButtons::Button(PageId page) const {
  const int i = int(page) - 1;
  return i >= 0 && i < 4 ? m_pages[i] : nullptr;
}

void PageButtons::Refresh() {
  for (int i = 0; i < 4; ++i) m_pages[i]->setEnabled(m_shell.IsPageCommandEnabled(kPageButtons[i].page));
  m_settings->setEnabled(m_shell.IsSettingsEnabled());
}

}  // namespace lf
