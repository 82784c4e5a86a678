#include "desktop/pages/page_registry.h"

#include "desktop/pages/adjust_lyrics_page.h"
#include "desktop/pages/edit_lyrics_page.h"
#include "desktop/pages/place_lyrics_page.h"
#include "desktop/pages/play_final_page.h"

namespace lf {
namespace {

using PageFactory = PageWidget* (*)(PageHost&, QWidget*);

template <typename Page>
PageWidget* Make(PageHost& shell, QWidget* parent) {
  return new Page(shell, parent);
}

struct PageEntry {
  PageId id;
  PageFactory create;
};

constexpr PageEntry kPages[] = {
    {PageId::EditLyrics, Make<EditLyricsPage>},
    {PageId::PlaceLyrics, Make<PlaceLyricsPage>},
    {PageId::AdjustLyrics, Make<AdjustLyricsPage>},
    {PageId::PlayFinal, Make<PlayFinalPage>},
};

}  // namespace

PageWidget* CreatePage(PageId id, PageHost& shell, QWidget* parent) {
  for (const PageEntry& page : kPages)
    if (page.id == id) return page.create(shell, parent);
  return nullptr;
}

}  // namespace lf
