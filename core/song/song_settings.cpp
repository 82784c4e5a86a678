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

Song::Song(std::string projectPath) : m_projectPath(std::move(projectPath)) {}

Song::~Song() = default;

void Song::SetModified(bool modified) {
  if (m_modified == modified) return;
  m_modified = modified;
  if (m_modifiedObserver) m_modifiedObserver(modified);
  m_observers.Notify(SongChange::Modified);
}

void Song::SetArtist(std::string artist) {
  if (artist == m_artist) return;
  m_artist = std::move(artist);
  m_observers.Notify(SongChange::Artist);
}

void Song::SetTitle(std::string title) {
  if (title == m_title) return;
  m_title = std::move(title);
  m_observers.Notify(SongChange::Title);
}

void Song::ClearLines() {
  m_lines.Clear();
  m_observers.Notify(SongChange::LinesRebuilt);
}

void Song::Copy(const Song& other) {
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

void Song::SetLinesPerPage(int linesPerPage) {
  SetModified(true);
  m_settings.linesPerPage = linesPerPage;
  CalcLineAndPageNumbers();
}

void Song::SetRawLyrics(std::string text) {
  m_rawLyrics = std::move(text);
  SetModified(true);
}

void Song::SetMusicPath(std::string path) {
  m_musicPath = std::move(path);
  AllocateRwMemory(true);
  SetModified(true);
}

const std::string& Song::DuetLabel(int index) const {
  static const std::string kNone;
  return index >= 0 && index < 3 ? m_duetLabels[index] : kNone;
}

void Song::SetDuetLabel(int index, std::string label) {
  if (index < 0 || index >= 3 || m_duetLabels[index] == label) return;
  m_duetLabels[index] = std::move(label);
  m_observers.Notify(SongChange::DuetLabels);
}

int Song::DuetDisplayDuration() { return AppSettings().Int("Settings", "DuetDisplayDuration", 300); }

void Song::SetDuetDisplayDuration(int hundredths) {
  AppSettings().SetInt("Settings", "DuetDisplayDuration", hundredths);
}

// --- pages ---------------------------------------------------------------------

PageRecord* Song::Page(int index) { return At(m_pages, index); }
const PageRecord* Song::Page(int index) const { return At(m_pages, index); }

PageRecord* Song::PageByKind(int32_t kind) {
  for (auto& page : m_pages)
    if (page->m_kind == kind) return page.get();
  return nullptr;
}

const PageRecord* Song::PageByKind(int32_t kind) const { return const_cast<Song*>(this)->PageByKind(kind); }

void Song::AddPage(const PageRecord& page) { m_pages.push_back(std::make_unique<PageRecord>(page)); }

void Song::RemoveAllPages() { m_pages.clear(); }

std::array<Colorref, kColorCount> Song::PageColors(const PageRecord& page) { return page.PageColors(); }

// --- lines and words -------------------------------------------------------------

void Song::GenerateKaraokeLineList(const LineListOptions& list) {
  LineLayoutOptions options;
  options.linesPerPage = m_settings.linesPerPage;
  options.singerMode = m_settings.singerMode;
  options.defaultColorIndex = m_pages.empty() ? ColorIndexSinger1 : m_pages.front()->m_style.m_color;
  options.convertMarkers = list.convertMarkers;
  options.hasPlacedLyrics = HasPlacedLyrics();

  bool duetInSolo = false;
  KaraokeLineList fresh = LayoutKaraokeLines(m_rawLyrics, m_lines, options, &duetInSolo);
  if (duetInSolo) ShowMessage(kDuetInSoloMessage, "Lyricforge", MessageIcon::Exclamation);
  if (list.keepTimings) CarryOverWordTimes(m_lines, fresh);
  m_lines.Clear();
  m_lines = std::move(fresh);
  CalcLineAndPageNumbers();
  m_observers.Notify(SongChange::LinesRebuilt);
}

void Song::CalcLineAndPageNumbers() { lf::CalcLineAndPageNumbers(m_lines, m_settings.linesPerPage); }

bool Song::HasPlacedLyrics() const { return !m_musicPath.empty() && !m_rawLyrics.empty() && AnyWordPlaced(); }

KaraokeLine* Song::Line(int index) { return At(m_lines.lines, index); }
const KaraokeLine* Song::Line(int index) const { return At(m_lines.lines, index); }
KaraokeWord* Song::Word(int index) { return At(m_lines.words, index); }
const KaraokeWord* Song::Word(int index) const { return At(m_lines.words, index); }

int Song::WordAtTime(SampleTime t) const {
  for (int i = 0; i < WordCount(); ++i) {
    const auto& w = *m_lines.words[i];
    if (w.m_startTime <= t && t <= w.m_endTime) return i;
  }
  return -1;
}

int Song::WordAtPoint(int x, int y, int page) const {
  for (int i = 0; i < WordCount(); ++i) {
    const auto& w = *m_lines.words[i];
    if (w.m_line && w.m_line->m_page == page && w.m_rect.Contains(x, y)) return i;
  }
  return -1;
}

void Song::SelectWord(int index, bool on) {
  if (KaraokeWord* w = Word(index)) {
    if (on)
      w->m_flags |= KaraokeWord::kSelected;
    else
      w->m_flags &= ~uint32_t(KaraokeWord::kSelected);
  }
}

int Song::FirstWordOfPage(int page) const {
  for (int i = 0; i < WordCount(); ++i)
    if (m_lines.words[i]->m_line && m_lines.words[i]->m_line->m_page == page) return i;
  return -1;
}

int Song::LastWordOfPage(int page) const {
  for (int i = WordCount() - 1; i >= 0; --i)
    if (m_lines.words[i]->m_line && m_lines.words[i]->m_line->m_page == page) return i;
  return -1;
}

int Song::LastPage() const {
  int last = 0;
  for (const auto& line : m_lines.lines) last = std::max(last, int(line->m_page));
  return last;
}

bool Song::AnyWordPlaced() const {
  for (const auto& w : m_lines.words)
    if (w->m_startTime != 0) return true;
  return false;
}

// --- the program's song ------------------------------------------------------------

namespace {
std::unique_ptr<Song>& TheSong() {
  static std::unique_ptr<Song> song;
  return song;
}
}  // namespace

bool CreateSong(const std::string& projectPath) {
  if (TheSong()) return false;
  TheSong() = std::make_unique<Song>(projectPath);
  return true;
}

bool HasSong() { return TheSong() != nullptr; }

Song& OpenSong() {
  if (!TheSong()) throw std::logic_error("the song has not been created");
  return *TheSong();
}

void DestroySong() { TheSong().reset(); }

}  // namespace lf
