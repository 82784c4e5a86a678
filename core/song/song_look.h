#pragma once
// How a song looks on the CD+G screen: the settings block (lines per page,
// singer mode, sweep and transitions), the title, lyrics and credits page
// records with their colours, fonts and pictures, and the few drawing choices
// stored beside them.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/cdg/image_struct.h"
#include "core/song/karaoke_line.h"
#include "core/song/song_settings_block.h"

namespace lf {

class SongLook {
 public:
  SongLook() = default;
  SongLook(const SongLook& other);
  SongLook& operator=(const SongLook& other);

  SongSettingsBlock& Settings() { return m_settings; }
  const SongSettingsBlock& Settings() const { return m_settings; }
  int SingerMode() const { return m_settings.singerMode; }
  bool IsDuet() const { return m_settings.IsDuet(); }
  int LinesPerPage() const { return m_settings.linesPerPage; }

  int32_t EraseFromBottom() const { return m_eraseFromBottom; }
  void SetEraseFromBottom(int32_t lines) { m_eraseFromBottom = lines; }
  bool SweepEntireWord() const { return m_sweepEntireWord != 0; }
  void SetSweepEntireWord(bool on) { m_sweepEntireWord = on ? 1 : 0; }
  int32_t FixedColorIndex() const { return m_fixedColorIndex; }
  void SetFixedColorIndex(int32_t index) { m_fixedColorIndex = index; }

  // Hundredths of a second the duet introduction stays ("DuetDisplayDuration").
  static int DuetDisplayDuration();
  static void SetDuetDisplayDuration(int hundredths);

  int PageCount() const { return static_cast<int>(m_pages.size()); }
  PageRecord* Page(int index);
  const PageRecord* Page(int index) const;
  // The first page of that kind, or none.
  PageRecord* PageByKind(int32_t kind);
  const PageRecord* PageByKind(int32_t kind) const;
  void AddPage(const PageRecord& page);  // appends a copy
  void RemoveAllPages();
  // Adds a default title, lyrics or credits page for each kind the look lacks
  // (a project file need not hold all three).
  void AddMissingPages();
  // The settings of a new project and its three default pages.
  void Reset();
  // The page record a new project has for `kind`, colours from the settings.
  static PageRecord DefaultPage(int32_t kind);
  // The 16 colours (0x00BBGGRR) of a page's palette, as the generator takes them.
  static std::array<Colorref, kColorCount> PageColors(const PageRecord& page);

  // Row and row count of a line's row on the lyrics page's lyrics area.
  void LyricsRow(int lineInPage, int& row, int& rows) const;
  // The one rule for a line's text colour, in the editor, the previews and the
  // compiler alike: the fixed colour index for a fixed line, else the line's
  // own colour in a duet and singer 1's in a solo.
  int LineColor(const KaraokeLine& line) const;

 private:
  SongSettingsBlock m_settings;
  std::vector<std::unique_ptr<PageRecord>> m_pages;
  int32_t m_eraseFromBottom = 0;
  int32_t m_sweepEntireWord = 0;
  int32_t m_fixedColorIndex = ColorIndexFixed;
};

}  // namespace lf
