#include "core/song/song.h"

#include <stdexcept>

namespace lf {
namespace {

constexpr const char* kDuetInSoloMessage =
    "You have included \"Duet\" indicators (\"&\") in your lyrics.\n"
    "However in your project settings, on the \"Lyrics\" tab,\n"
    "you have selected \"Solo\" performance.\n\n"
    "Open the \"Settings\" and select \"Duet\" in your project settings,\n"
    "or remove all of the ampersands.";

}  // namespace

const char* DuetInSoloNotice() { return kDuetInSoloMessage; }

Song::Song(std::string projectPath)
    : m_projectPath(std::move(projectPath)), m_lyrics(m_observers, [this] { SetModified(true); }) {}

Song::~Song() = default;

void Song::SetModified(bool modified) {
  if (m_modified == modified) return;
  m_modified = modified;
  if (m_modifiedObserver) m_modifiedObserver(modified);
  m_observers.Notify(SongChange::Modified);
}

void Song::ResetSongDefaults() {
  m_look.Reset();
  m_musicPath.clear();
  m_lyrics.m_rawLyrics.clear();
  m_lyrics.ClearLines();
  m_history.Clear();
  SetModified(false);
}

void Song::Copy(const Song& other) {
  if (&other == this) return;
  m_projectPath = other.m_projectPath;
  SetModified(other.m_modified);
  m_look = other.m_look;
  m_lyrics.m_rawLyrics = other.m_lyrics.m_rawLyrics;
  m_musicPath = other.m_musicPath;
  m_lyrics.SetArtist(other.m_lyrics.Artist());
  m_lyrics.SetTitle(other.m_lyrics.Title());
  m_lyrics.RenumberPages(m_look.LinesPerPage());
}

void Song::SetMusicPath(std::string path) {
  m_musicPath = std::move(path);
  m_music.AllocateRwMemory(true);
  SetModified(true);
}

void Song::SetLinesPerPage(int linesPerPage) {
  SetModified(true);
  m_look.Settings().linesPerPage = linesPerPage;
  m_lyrics.RenumberPages(linesPerPage);
}

void Song::GenerateKaraokeLineList(const LineListOptions& list) {
  LineLayoutOptions options;
  options.linesPerPage = m_look.LinesPerPage();
  options.singerMode = m_look.SingerMode();
  options.defaultColorIndex = m_look.PageCount() == 0 ? ColorIndexSinger1 : m_look.Page(0)->m_style.m_color;
  options.convertMarkers = list.convertMarkers;
  options.hasPlacedLyrics = HasPlacedLyrics();

  m_duetMarksInSolo = false;
  KaraokeLineList fresh = LayoutKaraokeLines(m_lyrics.RawLyrics(), m_lyrics.LineList(), options, &m_duetMarksInSolo);
  if (list.keepTimings) CarryOverWordTimes(m_lyrics.LineList(), fresh);
  CalcLineAndPageNumbers(fresh, m_look.LinesPerPage());
  m_lyrics.ReplaceLines(std::move(fresh));
}

bool Song::HasPlacedLyrics() const {
  return !m_musicPath.empty() && !m_lyrics.RawLyrics().empty() && m_lyrics.AnyWordPlaced();
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
