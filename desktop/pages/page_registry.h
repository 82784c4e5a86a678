#pragma once
// Which widget each page is. One line per page in page_registry.cpp.
#include "desktop/pages/page.h"

namespace lf {

// A new page widget for `id`, parented to `parent`; null for PageId::None.
PageWidget* CreatePage(PageId id, PageHost& shell, QWidget* parent);

}  // namespace lf

class QDialog;

namespace lf {

class Song;

// The song settings dialog working on `copy`; null while there is none.
QDialog* CreateSongSettingsDialog(Song& copy, QWidget* parent);

}  // namespace lf
