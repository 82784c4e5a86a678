#include "core/song/page_picture.h"

#include "core/song/lines_per_page_rule.h"

namespace lf {

namespace {
// Text colours live in 9-15, and on the lyrics page the fixed-line colour in 8.
int FirstKeptEntry(int32_t kind) { return kind == LyricsPage ? ColorIndexFixed : ColorIndexSinger2; }
}  // namespace

std::optional<Bitmap> DecodePagePicture(const std::string& path, std::string* error) {
  Bitmap picture;
  if (!picture.Load(path, error)) return std::nullopt;
  return picture;
}

bool PictureNeedsLineStyleWarning(const PageRecord& page) {
  return page.m_kind != LyricsPage && !page.m_extraLines.IsEmpty();
}

void ApplyPagePicture(Song& song, int32_t kind, const Bitmap& picture) {
  PageRecord* page = song.Look().PageByKind(kind);
  if (!page) return;
  const auto kept = page->m_picture.PaletteColors();
  page->m_picture = picture;
  for (int index = FirstKeptEntry(kind); index < kColorCount; ++index)
    page->m_picture.SetPaletteColor(index, kept[index]);
  page->m_hasPicture = 1;
  if (kind == LyricsPage) {
    page->m_lyricsArea = 50;
    RebuildLinesPerPage(song);
  }
}

void RemovePagePicture(Song& song, int32_t kind) {
  PageRecord* page = song.Look().PageByKind(kind);
  if (!page) return;
  // Emptying the picture must not lose the text colours in its palette.
  const auto kept = page->m_picture.PaletteColors();
  page->m_hasPicture = 0;
  page->m_picture.Clear();
  for (int index = 0; index < kColorCount; ++index) page->m_picture.SetPaletteColor(index, kept[index]);
  if (kind != LyricsPage) return;
  page->m_lyricsArea = 0;
  page->m_backgroundColor = ColorIndexBackground;
  page->m_borderColor = ColorIndexBorder;
  page->m_style.m_color = ColorIndexSinger1;
  page->m_style.m_outlineColor = ColorIndexOutline;
  page->m_duetColors = TextTypeVer5{};
  RebuildLinesPerPage(song);
}

}  // namespace lf
