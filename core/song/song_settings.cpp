#include "core/song/song_settings.h"

#include <stdexcept>

#include "core/platform/message_sink.h"
#include "core/platform/settings.h"

namespace lf {
namespace {

constexpr const char* kDuetInSoloMessage =
    "You have included \"Duet\" indicators (\"&\") in your lyrics.\n"
    "However in your project settings, on the \"Lyrics\" tab,\n"
    "you have selected \"Solo\" performance.\n\n"
    "Open the \"Settings\" and select \"Duet\" in your project settings,\n"
    "or remove all of the ampersands.";

template <typename T>
T* At(const std::vector<std::unique_ptr<T>>& list, int index) {
  return index >= 0 && index < static_cast<int>(list.size()) ? list[index].get() : nullptr;
}

}  // namespace

MSongSettings::MSongSettings(std::string projectPath) : m_projectPath(std::move(projectPath)) {}

MSongSettings::~MSongSettings() = default;

void MSongSettings::SetModified(bool modified) {
  if (m_modified == modified) return;
  m_modified = modified;
  if (m_modifiedObserver) m_modifiedObserver(modified);
  m_observers.Notify(SongChange::Modified);
}

void MSongSettings::SetArtist(std::string artist) {
  if (artist == m_artist) return;
  m_artist = std::move(artist);
  m_observers.Notify(SongChange::Artist);
}

void MSongSettings::SetTitle(std::string title) {
  if (title == m_title) return;
  m_title = std::move(title);
  m_observers.Notify(SongChange::Title);
}

void MSongSettings::ClearLines() {
  m_lines.Clear();
  m_observers.Notify(SongChange::LinesRebuilt);
}

void MSongSettings::Copy(const MSongSettings& other) {
  if (&other == this) return;
  m_projectPath = other.m_projectPath;
  SetModified(other.m_modified);
  m_settings = other.m_settings;
  m_rawLyrics = other.m_rawLyrics;
  m_musicPath = other.m_musicPath;
  m_eraseFromBottom = other.m_eraseFromBottom;
  m_sweepEntireWord = other.m_sweepEntireWord;
  SetArtist(other.m_artist);
  SetTitle(other.m_title);
  m_fixedColorIndex = other.m_fixedColorIndex;
  RemoveAllPages();
  for (const auto& page : other.m_pages) AddPage(*page);
  CalcLineAndPageNumbers();
}

void MSongSettings::SetLinesPerPage(int linesPerPage) {
  SetModified(true);
  m_settings.linesPerPage = linesPerPage;
  CalcLineAndPageNumbers();
}

void MSongSettings::SetRawLyrics(std::string text) {
  m_rawLyrics = std::move(text);
  SetModified(true);
}

void MSongSettings::SetMusicPath(std::string path) {
  m_musicPath = std::move(path);
  AllocateRwMemory(true);
  SetModified(true);
}

const std::string& MSongSettings::DuetLabel(int index) const {
  static const std::string kNone;
  return index >= 0 && index < 3 ? m_duetLabels[index] : kNone;
}

void MSongSettings::SetDuetLabel(int index, std::string label) {
  if (index < 0 || index >= 3 || m_duetLabels[index] == label) return;
  m_duetLabels[index] = std::move(label);
  m_observers.Notify(SongChange::DuetLabels);
}

int MSongSettings::DuetDisplayDuration() { return AppSettings().Int("Settings", "DuetDisplayDuration", 300); }

void MSongSettings::SetDuetDisplayDuration(int hundredths) {
  AppSettings().SetInt("Settings", "DuetDisplayDuration", hundredths);
}

// --- pages ---------------------------------------------------------------------

IMAGE_STRUCT* MSongSettings::Page(int index) { return At(m_pages, index); }
const IMAGE_STRUCT* MSongSettings::Page(int index) const { return At(m_pages, index); }

IMAGE_STRUCT* MSongSettings::PageByKind(int32_t kind) {
  for (auto& page : m_pages)
    if (page->m_kind == kind) return page.get();
  return nullptr;
}

const IMAGE_STRUCT* MSongSettings::PageByKind(int32_t kind) const {
  return const_cast<MSongSettings*>(this)->PageByKind(kind);
}

void MSongSettings::AddPage(const IMAGE_STRUCT& page) { m_pages.push_back(std::make_unique<IMAGE_STRUCT>(page)); }

void MSongSettings::RemoveAllPages() { m_pages.clear(); }

std::array<Colorref, kColorCount> MSongSettings::PageColors(const IMAGE_STRUCT& page) { return page.PageColors(); }

// --- lines and words -------------------------------------------------------------

void MSongSettings::GenerateKaraokeLineList(bool keepTimings, bool convertMarkers) {
  LineLayoutOptions options;
  options.linesPerPage = m_settings.linesPerPage;
  options.singerMode = m_settings.singerMode;
  options.defaultColorIndex = m_pages.empty() ? ColorIndexSinger1 : m_pages.front()->m_style.m_color;
  options.convertMarkers = convertMarkers;
  options.hasPlacedLyrics = HasPlacedLyrics();

  bool duetInSolo = false;
  KaraokeLineList fresh = LayoutKaraokeLines(m_rawLyrics, m_lines, options, &duetInSolo);
  if (duetInSolo) ShowMessage(kDuetInSoloMessage, "Lyricforge", MessageIcon::Exclamation);
  if (keepTimings) CarryOverWordTimes(m_lines, fresh);
  m_lines.Clear();
  m_lines = std::move(fresh);
  CalcLineAndPageNumbers();
  m_observers.Notify(SongChange::LinesRebuilt);
}

void MSongSettings::CalcLineAndPageNumbers() { lf::CalcLineAndPageNumbers(m_lines, m_settings.linesPerPage); }

bool MSongSettings::HasPlacedLyrics() const {
  if (m_placedLyricsTest) return m_placedLyricsTest();
  return !m_musicPath.empty() && !m_rawLyrics.empty() && AnyWordPlaced();
}

MKaraokeLine* MSongSettings::Line(int index) { return At(m_lines.lines, index); }
const MKaraokeLine* MSongSettings::Line(int index) const { return At(m_lines.lines, index); }
MKaraokeWord* MSongSettings::Word(int index) { return At(m_lines.words, index); }
const MKaraokeWord* MSongSettings::Word(int index) const { return At(m_lines.words, index); }

int MSongSettings::WordAtTime(SampleTime t) const {
  for (int i = 0; i < WordCount(); ++i) {
    const auto& w = *m_lines.words[i];
    if (w.m_startTime <= t && t <= w.m_endTime) return i;
  }
  return -1;
}

int MSongSettings::WordAtPoint(int x, int y, int page) const {
  for (int i = 0; i < WordCount(); ++i) {
    const auto& w = *m_lines.words[i];
    if (w.m_line && w.m_line->m_page == page && w.m_rect.Contains(x, y)) return i;
  }
  return -1;
}

void MSongSettings::SelectWord(int index, bool on) {
  if (MKaraokeWord* w = Word(index)) {
    if (on)
      w->m_flags |= MKaraokeWord::kSelected;
    else
      w->m_flags &= ~uint32_t(MKaraokeWord::kSelected);
  }
}

int MSongSettings::FirstWordOfPage(int page) const {
  for (int i = 0; i < WordCount(); ++i)
    if (m_lines.words[i]->m_line && m_lines.words[i]->m_line->m_page == page) return i;
  return -1;
}

int MSongSettings::LastWordOfPage(int page) const {
  for (int i = WordCount() - 1; i >= 0; --i)
    if (m_lines.words[i]->m_line && m_lines.words[i]->m_line->m_page == page) return i;
  return -1;
}

int MSongSettings::LastPage() const {
  int last = 0;
  for (const auto& line : m_lines.lines) last = std::max(last, int(line->m_page));
  return last;
}

bool MSongSettings::AnyWordPlaced() const {
  for (const auto& w : m_lines.words)
    if (w->m_startTime != 0) return true;
  return false;
}

// --- the program's song ------------------------------------------------------------

namespace {
std::unique_ptr<MSongSettings>& TheSong() {
  static std::unique_ptr<MSongSettings> song;
  return song;
}
}  // namespace

bool CreateSong(const std::string& projectPath) {
  if (TheSong()) return false;
  TheSong() = std::make_unique<MSongSettings>(projectPath);
  return true;
}

bool HasSong() { return TheSong() != nullptr; }

MSongSettings& Song() {
  if (!TheSong()) throw std::logic_error("the song has not been created");
  return *TheSong();
}

void DestroySong() { TheSong().reset(); }

}  // namespace lf
