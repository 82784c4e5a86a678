#include "core/song/song_look.h"

#include "core/platform/settings.h"

namespace lf {

SongLook::SongLook(const SongLook& other) { *this = other; }

SongLook& SongLook::operator=(const SongLook& other) {
  if (&other == this) return *this;
  m_settings = other.m_settings;
  m_eraseFromBottom = other.m_eraseFromBottom;
  m_sweepEntireWord = other.m_sweepEntireWord;
  m_fixedColorIndex = other.m_fixedColorIndex;
  RemoveAllPages();
  for (const auto& page : other.m_pages) AddPage(*page);
  return *this;
}

int SongLook::DuetDisplayDuration() { return AppSettings().Int("Settings", "DuetDisplayDuration", 300); }

void SongLook::SetDuetDisplayDuration(int hundredths) {
  AppSettings().SetInt("Settings", "DuetDisplayDuration", hundredths);
}

PageRecord* SongLook::Page(int index) {
  return index >= 0 && index < PageCount() ? m_pages[static_cast<size_t>(index)].get() : nullptr;
}

const PageRecord* SongLook::Page(int index) const { return const_cast<SongLook*>(this)->Page(index); }

PageRecord* SongLook::PageByKind(int32_t kind) {
  for (auto& page : m_pages)
    if (page->m_kind == kind) return page.get();
  return nullptr;
}

const PageRecord* SongLook::PageByKind(int32_t kind) const { return const_cast<SongLook*>(this)->PageByKind(kind); }

void SongLook::AddPage(const PageRecord& page) { m_pages.push_back(std::make_unique<PageRecord>(page)); }

void SongLook::RemoveAllPages() { m_pages.clear(); }

std::array<Colorref, kColorCount> SongLook::PageColors(const PageRecord& page) { return page.PageColors(); }

void SongLook::LyricsRow(int lineInPage, int& row, int& rows) const {
  const int n = m_settings.linesPerPage;
  const PageRecord* lyrics = PageByKind(LyricsPage);
  const int area = lyrics ? lyrics->m_lyricsArea : 0;
  switch (area) {
    case 0:
      rows = n, row = lineInPage;
      break;
    case 50:
      rows = 2 * n, row = n + lineInPage;
      break;
    case 75:
      rows = 4 * n, row = 3 * n + lineInPage;
      break;
    default:
      rows = n, row = 0;
      break;
  }
}

int SongLook::LineColor(const KaraokeLine& line) const {
  if (line.m_fixed) return m_fixedColorIndex;
  return IsDuet() ? line.m_colorIndex : ColorIndexSinger1;
}

}  // namespace lf
