#pragma once
// Song: the one karaoke song being authored, as the project file holds it:
// what the song is (SongLyrics: texts, lines, words, singers, times), how it
// looks on CD+G (SongLook) and the working music it plays to (WorkingMusic),
// with the project's path, its modified flag and the observers of changes.
#include <functional>
#include <limits>
#include <string>

#include "core/platform/outcome.h"
#include "core/song/song_change.h"
#include "core/song/song_look.h"
#include "core/song/song_lyrics.h"
#include "core/song/timing_history.h"
#include "core/song/working_music.h"

namespace lf {

// Full compilations pass this as their from time: everything is written.
inline constexpr SampleTime kCompileEverything = std::numeric_limits<SampleTime>::min();

class Song {
 public:
  explicit Song(std::string projectPath = {});
  ~Song();
  Song(const Song&) = delete;
  Song& operator=(const Song&) = delete;

  // --- the parts ------------------------------------------------------------------
  SongLyrics& Lyrics() { return m_lyrics; }
  const SongLyrics& Lyrics() const { return m_lyrics; }
  SongLook& Look() { return m_look; }
  const SongLook& Look() const { return m_look; }
  WorkingMusic& Music() { return m_music; }
  const WorkingMusic& Music() const { return m_music; }
  // The undo history of the times, kept while the project is open.
  TimingHistory& History() { return m_history; }
  const TimingHistory& History() const { return m_history; }

  // --- the project ----------------------------------------------------------------
  const std::string& ProjectPath() const { return m_projectPath; }
  void SetProjectPath(std::string path) { m_projectPath = std::move(path); }
  // A new, empty project: default settings and pages, no lyrics or music.
  void ResetSongDefaults();
  // Reads the project path into the song; a failure carries the message to
  // show and leaves the song for the caller to reset (project_file.cpp).
  Outcome LoadProject();
  // Reads `file` (a recovery file) as this song's project; the project path stays.
  Outcome LoadProjectFrom(const std::string& file);
  bool SaveProject();  // project_file.cpp

  // Stores the flag; when it changes, tells the modified observer and the
  // observers (SongChange::Modified). Setting it again tells no one.
  void SetModified(bool modified);
  bool IsModified() const { return m_modified; }
  void SetModifiedObserver(std::function<void(bool)> observer) { m_modifiedObserver = std::move(observer); }
  // Change notices (song_change.h): lines rebuilt, artist, title, duet labels, modified.
  int AddObserver(SongObservers::Observer observer) { return m_observers.Add(std::move(observer)); }
  void RemoveObserver(int id) { m_observers.Remove(id); }

  // Copies the settings, texts and pages of `other` (not lines, words, duet
  // labels or the working music), then renumbers the lines.
  void Copy(const Song& other);

  // --- what spans the parts ---------------------------------------------------------
  // The user's music file; setting it measures the working music again.
  const std::string& MusicPath() const { return m_musicPath; }
  void SetMusicPath(std::string path);
  void SetLinesPerPage(int linesPerPage);

  struct LineListOptions {
    bool keepTimings = true;     // carry the word times over by position
    bool convertMarkers = true;  // turn the singer and fixed-line markers into flags
  };
  // Rebuilds lines and words from the raw lyrics with the look's page layout.
  void GenerateKaraokeLineList(const LineListOptions& options);
  // The last layout met singer-2 marks ('&') in a solo song: they are drawn
  // as singer 1's. The front end tells the author (DuetInSoloNotice).
  bool DuetMarksInSolo() const { return m_duetMarksInSolo; }
  // Music set, lyrics not empty and some word placed.
  bool HasPlacedLyrics() const;

 private:
  std::string m_projectPath;
  bool m_modified = false;
  std::function<void(bool)> m_modifiedObserver;
  SongObservers m_observers;
  std::string m_musicPath;
  SongLyrics m_lyrics;
  SongLook m_look;
  WorkingMusic m_music;
  TimingHistory m_history;
  bool m_duetMarksInSolo = false;
};

// What to tell the author when DuetMarksInSolo().
const char* DuetInSoloNotice();

// The program's one song. CreateSong makes it (false when it already exists).
bool CreateSong(const std::string& projectPath = {});
bool HasSong();
// The song; throws std::logic_error before CreateSong.
Song& OpenSong();
void DestroySong();

}  // namespace lf
