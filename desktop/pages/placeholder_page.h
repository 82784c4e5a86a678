#pragma once
// A page that names itself and carries the page buttons: stands in for a page
// whose own widgets are not built yet.
#include "desktop/pages/page.h"

namespace lf {

class CPlaceholderPage : public CPage {
  Q_OBJECT

 public:
  CPlaceholderPage(PageId id, IShell& shell, QWidget* parent = nullptr);
};

// "Edit Lyrics", "Place Lyrics", "Adjust Lyrics", "Play Final".
QString PageTitle(PageId id);

}  // namespace lf
