#include "core/song/color_settings.h"

#include "core/platform/settings.h"
#include "core/song/sample_time.h"

namespace lf {
namespace {

constexpr ColorSetting kAllColors[] = {
    {ColorIndexBackground, "ColorTitleBckgnd", kDefaultBackgroundColor},
    {ColorIndexBorder, "ColorTitleBorder", kDefaultBackgroundColor},
    {ColorIndexSinger1, "ColorTitleText", 0xFFFFFF},
    {ColorIndexOutline, "ColorTitleShadow", 0},
    {ColorIndexBackground, "ColorCreditsBckgnd", kDefaultBackgroundColor},
    {ColorIndexBorder, "ColorCreditsBorder", kDefaultBackgroundColor},
    {ColorIndexSinger1, "ColorCreditsText", 0xFFFFFF},
    {ColorIndexOutline, "ColorCreditsShadow", 0},
    {ColorIndexBackground, "ColorLyricsBckgnd", kDefaultBackgroundColor},
    {ColorIndexBorder, "ColorLyricsBorder", kDefaultBackgroundColor},
    {ColorIndexSinger1, "ColorLyricsSinger1", 0xFFFF80},
    {ColorIndexSinger2, "ColorLyricsSinger2", 0xFF80FF},
    {ColorIndexDuet, "ColorLyricsDuet", 0x00FF40},
    {ColorIndexOutline, "ColorLyricsShadow", 0},
    {ColorIndexSweep, "ColorLyricsSweep", kDefaultSweepColor},
    {ColorIndexFixed, "ColorLyricsFixed", 0x00A5FF},
};

}  // namespace

std::span<const ColorSetting> AllColorSettings() { return kAllColors; }

std::span<const ColorSetting> ColorSettingsOf(int32_t pageKind) {
  const std::span<const ColorSetting> all = kAllColors;
  switch (pageKind) {
    case TitlePage:
      return all.subspan(0, 4);
    case CreditsPage:
      return all.subspan(4, 4);
    case LyricsPage:
      return all.subspan(8, 8);
    default:
      return {};
  }
}

void ApplyStoredColors(PageRecord& page) {
  for (const ColorSetting& c : ColorSettingsOf(page.m_kind)) {
    const int value = AppSettings().Int("Settings", c.key, static_cast<int>(c.fallback));
    page.m_picture.SetPaletteColor(c.index, static_cast<Colorref>(value) & 0xFFFFFF);
  }
}

void SaveColorsAsDefault(const PageRecord& page) {
  for (const ColorSetting& c : ColorSettingsOf(page.m_kind))
    AppSettings().SetInt("Settings", c.key, static_cast<int>(page.m_picture.PaletteColor(c.index)));
}

Colorref RoundToCdgColor(Colorref color) {
  const auto round = [](uint8_t v) { return static_cast<uint8_t>(v / 17 * 17); };
  return MakeRgb(round(RedOf(color)), round(GreenOf(color)), round(BlueOf(color)));
}

}  // namespace lf
