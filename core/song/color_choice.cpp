#include "core/song/color_choice.h"

#include "core/song/page_line_styles.h"

namespace lf {

int ColorEntryOf(const Song& song, int32_t kind, ColorRole role, int line) {
  switch (role) {
    case ColorRole::Text: {
      const PageRecord* page = song.Look().PageByKind(kind);
      if (kind == LyricsPage || !page) return ColorIndexSinger1;
      const int index = PageLineStyle(*page, line).color;
      return index >= 0 && index < kColorCount ? index : ColorIndexSinger1;
    }
    case ColorRole::Background:
      return ColorIndexBackground;
    case ColorRole::Border:
      return ColorIndexBorder;
    case ColorRole::Outline:
      return ColorIndexOutline;
    case ColorRole::Singer1:
      return ColorIndexSinger1;
    case ColorRole::Singer2:
      return ColorIndexSinger2;
    case ColorRole::Both:
      return ColorIndexDuet;
    case ColorRole::Sweep:
      return ColorIndexSweep;
    case ColorRole::Fixed:
      return ColorIndexFixed;
  }
  return ColorIndexSinger1;
}

Colorref CurrentColorOf(const Song& song, int32_t kind, ColorRole role, int line) {
  const PageRecord* page = song.Look().PageByKind(kind);
  return page ? page->m_picture.PaletteColor(ColorEntryOf(song, kind, role, line)) : 0;
}

void ApplyColorChoice(Song& song, int32_t kind, ColorRole role, Colorref color, int line) {
  PageRecord* page = song.Look().PageByKind(kind);
  if (!page) return;
  const int entry = ColorEntryOf(song, kind, role, line);
  page->m_picture.SetPaletteColor(entry, color & 0xFFFFFF);
  switch (role) {
    case ColorRole::Text:
      break;
    case ColorRole::Background:
      page->m_backgroundColor = entry;
      break;
    case ColorRole::Border:
      page->m_borderColor = entry;
      break;
    case ColorRole::Outline:
      page->m_style.m_outlineColor = entry;
      break;
    case ColorRole::Singer1:
      page->m_style.m_color = entry;
      page->m_duetColors.m_singer1Color = entry;
      break;
    case ColorRole::Singer2:
      page->m_duetColors.m_singer2Color = entry;
      break;
    case ColorRole::Both:
      page->m_duetColors.m_bothColor = entry;
      break;
    case ColorRole::Sweep:
      song.Look().Settings().sweepColorIndex = entry;
      break;
    case ColorRole::Fixed:
      song.Look().SetFixedColorIndex(entry);
      break;
  }
}

}  // namespace lf
