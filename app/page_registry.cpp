#include "app/page_registry.h"

#include "ui/placeholder_page.h"

namespace lf {
namespace {

using PageFactory = CPage* (*)(IShell&, QWidget*);

template <PageId id>
CPage* Placeholder(IShell& shell, QWidget* parent) {
  return new CPlaceholderPage(id, shell, parent);
}

struct PageEntry {
  PageId id;
  PageFactory create;
};

constexpr PageEntry kPages[] = {
    {PageId::EditLyrics, Placeholder<PageId::EditLyrics>},
    {PageId::PlaceLyrics, Placeholder<PageId::PlaceLyrics>},
    {PageId::AdjustLyrics, Placeholder<PageId::AdjustLyrics>},
    {PageId::PlayFinal, Placeholder<PageId::PlayFinal>},
};

}  // namespace

CPage* CreatePage(PageId id, IShell& shell, QWidget* parent) {
  for (const PageEntry& page : kPages)
    if (page.id == id) return page.create(shell, parent);
  return nullptr;
}

}  // namespace lf

namespace lf {

QDialog* CreateSongSettingsDialog(MSongSettings&, QWidget*) { return nullptr; }

}  // namespace lf
