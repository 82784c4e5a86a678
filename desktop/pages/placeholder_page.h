#pragma once
// A page that names itself and carries the page buttons: stands in for a page
// whose own widgets are not built yet.
#include "desktop/pages/page.h"

namespace lf {

class PlaceholderPage : public PageWidget {
  Q_OBJECT

 public:
  PlaceholderPage(PageId id, PageHost& shell, QWidget* parent = nullptr);
};

// "Edit Lyrics", "Place Lyrics", "Adjust Lyrics", "Play Final".
QString PageTitle(PageId id);

}  // namespace lf
