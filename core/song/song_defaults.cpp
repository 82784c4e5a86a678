// A new, empty project: the settings block's defaults and the three page
// records, coloured from the user's stored default colours.
#include "core/song/color_settings.h"
#include "core/song/song_look.h"

namespace lf {
namespace {

// The record every page of a new project starts from (the title page's).
PageRecord BasePage() {
  PageRecord page;
  page.m_kind = TitlePage;
  page.m_reserved0 = 0;
  page.m_pageText.clear();
  page.m_placement = 0;
  page.m_hasPicture = 0;
  page.m_drawTransition = 0;
  page.m_eraseTransition = 0;
  page.m_backgroundColor = ColorIndexBackground;
  page.m_borderColor = ColorIndexBorder;
  page.m_holdTime = 200;
  page.m_enabled = 0;
  page.m_style.m_color = ColorIndexSinger1;
  page.m_style.m_height = 26;
  page.m_style.m_flags = kTextBold;
  page.m_style.m_hAlign = kAlignCenter;
  page.m_style.m_vAlign = kAlignVCenter;
  page.m_style.m_outlineColor = ColorIndexOutline;
  page.m_duetColors = TextTypeVer5{};
  page.m_extraLines.Clear();
  return page;
}

}  // namespace

PageRecord SongLook::DefaultPage(int32_t kind) {
  PageRecord page = BasePage();
  page.m_picture.SetPaletteColor(ColorIndexSweep, kDefaultSweepColor);
  // Any kind but title and credits gets the lyrics page.
  page.m_kind = kind == TitlePage || kind == CreditsPage ? kind : LyricsPage;
  if (page.m_kind == LyricsPage) {
    page.m_style.m_hAlign = kAlignLeft;
    page.m_style.m_height = 24;
  }
  ApplyStoredColors(page);
  return page;
}

void SongLook::Reset() {
  m_settings = SongSettingsBlock{};
  m_fixedColorIndex = ColorIndexFixed;
  RemoveAllPages();
  AddPage(DefaultPage(TitlePage));
  AddPage(DefaultPage(CreditsPage));
  AddPage(DefaultPage(LyricsPage));
}

void SongLook::AddMissingPages() {
  for (int32_t kind : {TitlePage, CreditsPage, LyricsPage})
    if (!PageByKind(kind)) AddPage(DefaultPage(kind));
}

}  // namespace lf
