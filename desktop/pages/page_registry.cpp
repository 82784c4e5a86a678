#include "desktop/pages/page_registry.h"

#include "desktop/pages/adjust_lyrics_page.h"
#include "desktop/pages/edit_lyrics_page.h"
#include "desktop/pages/place_lyrics_page.h"
#include "desktop/pages/play_final_page.h"

namespace lf {
namespace {

using PageFactory = CPage* (*)(IShell&, QWidget*);

template <typename Page>
CPage* Make(IShell& shell, QWidget* parent) {
  return new Page(shell, parent);
}

struct PageEntry {
  PageId id;
  PageFactory create;
};

constexpr PageEntry kPages[] = {
    {PageId::EditLyrics, Make<CEditLyricsDlg>},
    {PageId::PlaceLyrics, Make<CPlaceLyricsPage>},
    {PageId::AdjustLyrics, Make<CAdjustLyricsPage>},
    {PageId::PlayFinal, Make<CPlayFinalPage>},
};

}  // namespace

CPage* CreatePage(PageId id, IShell& shell, QWidget* parent) {
  for (const PageEntry& page : kPages)
    if (page.id == id) return page.create(shell, parent);
  return nullptr;
}

}  // namespace lf
