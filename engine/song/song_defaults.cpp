// A new, empty project: the settings block's defaults and the three page
// records, coloured from the user's stored default colours.
#include "engine/song/song_settings.h"
#include "platform/settings.h"

namespace lf {
namespace {

struct ColorDefault {
  int index;
  const char* key;
  Colorref fallback;
};

constexpr Colorref kDefaultBackground = 0x661100;
constexpr Colorref kDefaultSweep = 0x00EEFF;

constexpr ColorDefault kTitleColors[] = {
    {ColorIndexBackground, "ColorTitleBckgnd", kDefaultBackground},
    {ColorIndexBorder, "ColorTitleBorder", kDefaultBackground},
    {ColorIndexSinger1, "ColorTitleText", 0xFFFFFF},
    {ColorIndexOutline, "ColorTitleShadow", 0},
};
constexpr ColorDefault kCreditsColors[] = {
    {ColorIndexBackground, "ColorCreditsBckgnd", kDefaultBackground},
    {ColorIndexBorder, "ColorCreditsBorder", kDefaultBackground},
    {ColorIndexSinger1, "ColorCreditsText", 0xFFFFFF},
    {ColorIndexOutline, "ColorCreditsShadow", 0},
};
constexpr ColorDefault kLyricsColors[] = {
    {ColorIndexBackground, "ColorLyricsBckgnd", kDefaultBackground},
    {ColorIndexBorder, "ColorLyricsBorder", kDefaultBackground},
    {ColorIndexSinger1, "ColorLyricsSinger1", 0xFFFF80},
    {ColorIndexOutline, "ColorLyricsShadow", 0},
    {ColorIndexSweep, "ColorLyricsSweep", kDefaultSweep},
    {ColorIndexFixed, "ColorLyricsFixed", 0x00A5FF},
    {ColorIndexSinger2, "ColorLyricsSinger2", 0xFF80FF},
    {ColorIndexDuet, "ColorLyricsDuet", 0x00FF40},
};

template <size_t N>
void ApplyStoredColors(IMAGE_STRUCT& page, const ColorDefault (&colors)[N]) {
  for (const auto& c : colors) {
    const int value = AppSettings().Int("Settings", c.key, static_cast<int>(c.fallback));
    page.m_picture.SetPaletteColor(c.index, static_cast<Colorref>(value) & 0xFFFFFF);
  }
}

// The record every page of a new project starts from (the title page's).
IMAGE_STRUCT BasePage() {
  IMAGE_STRUCT page;
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
  page.m_duetColors = MTextTypeVer5{};
  page.m_extraLines.Clear();
  return page;
}

}  // namespace

IMAGE_STRUCT MSongSettings::DefaultPage(int32_t kind) {
  IMAGE_STRUCT page = BasePage();
  ApplyStoredColors(page, kTitleColors);
  page.m_picture.SetPaletteColor(ColorIndexSweep, kDefaultSweep);
  if (kind == TitlePage) return page;
  page.m_kind = CreditsPage;
  ApplyStoredColors(page, kCreditsColors);
  if (kind == CreditsPage) return page;
  page.m_kind = LyricsPage;
  page.m_style.m_hAlign = kAlignLeft;
  page.m_style.m_height = 24;
  ApplyStoredColors(page, kLyricsColors);
  return page;
}

void MSongSettings::ResetSongDefaults() {
  m_settings = SongSettingsBlock{};
  m_fixedColorIndex = ColorIndexFixed;
  m_musicPath.clear();
  m_rawLyrics.clear();
  ClearLines();
  RemoveAllPages();
  AddPage(DefaultPage(TitlePage));
  AddPage(DefaultPage(CreditsPage));
  AddPage(DefaultPage(LyricsPage));
  SetModified(false);
}

void MSongSettings::AddMissingPages() {
  for (int32_t kind : {TitlePage, CreditsPage, LyricsPage})
    if (!PageByKind(kind)) AddPage(DefaultPage(kind));
}

}  // namespace lf
