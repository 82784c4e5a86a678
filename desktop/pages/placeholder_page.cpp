#include "desktop/pages/placeholder_page.h"

#include <QLabel>
#include <QVBoxLayout>

#include "desktop/pages/page_buttons.h"

namespace lf {

QString PageTitle(PageId id) {
  switch (id) {
    case PageId::EditLyrics:
      return QObject::tr("Edit Lyrics");
    case PageId::PlaceLyrics:
      return QObject::tr("Place Lyrics");
    case PageId::AdjustLyrics:
      return QObject::tr("Adjust Lyrics");
    case PageId::PlayFinal:
      return QObject::tr("Play Final");
    case PageId::None:
      break;
  }
  return {};
}

PlaceholderPage::PlaceholderPage(PageId id, PageHost& shell, QWidget* parent) : PageWidget(id, shell, parent) {
  auto* layout = new QVBoxLayout(this);
  auto* title = new QLabel(PageTitle(id), this);
  title->setObjectName("pageTitle");
  title->setAlignment(Qt::AlignCenter);
  QFont font = title->font();
  font.setPointSize(font.pointSize() * 2);
  title->setFont(font);
  layout->addWidget(title, 1);
  layout->addWidget(new PageButtons(shell, id, PageButtons::Layout::Row, this));
}

}  // namespace lf
