#pragma once
// Song: the one karaoke song being authored. Holds the settings
// block, raw lyrics, music path, the three page records, the karaoke lines and
// words laid out from the lyrics, and the output buffer the compiler fills.
#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "core/cdg/image_struct.h"
#include "core/platform/outcome.h"
#include "core/platform/zeroed_buffer.h"
#include "core/song/karaoke_line_list.h"
#include "core/song/sample_time.h"
#include "core/song/song_change.h"
#include "core/song/song_settings_block.h"

namespace lf {

class CdgRenderer;

// Full compilations pass this as their from time: everything is written.
inline constexpr SampleTime kCompileEverything = std::numeric_limits<SampleTime>::min();
// The output buffer holds this much stream past the music: room for the credits page.
inline constexpr int kRwMemorySpareSeconds = 180;

class Song {
 public:
  explicit Song(std::string projectPath = {});
  virtual ~Song();
  Song(const Song&) = delete;
  Song& operator=(const Song&) = delete;

  // --- project ----------------------------------------------------------------
  const std::string& ProjectPath() const { return m_projectPath; }
  void SetProjectPath(std::string path) { m_projectPath = std::move(path); }
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
  // labels or the output buffer), then renumbers the lines.
  void Copy(const Song& other);

  // --- settings -----------------------------------------------------------------
  SongSettingsBlock& Settings() { return m_settings; }
  const SongSettingsBlock& Settings() const { return m_settings; }
  int SingerMode() const { return m_settings.singerMode; }
  bool IsDuet() const { return m_settings.IsDuet(); }
  int LinesPerPage() const { return m_settings.linesPerPage; }
  void SetLinesPerPage(int linesPerPage);

  const std::string& RawLyrics() const { return m_rawLyrics; }
  void SetRawLyrics(std::string text);
  const std::string& MusicPath() const { return m_musicPath; }
  void SetMusicPath(std::string path);

  const std::string& Artist() const { return m_artist; }
  void SetArtist(std::string artist);
  const std::string& Title() const { return m_title; }
  void SetTitle(std::string title);
  // Labels of singer 1, singer 2 and both singers (index 0, 1, 2).
  const std::string& DuetLabel(int index) const;
  void SetDuetLabel(int index, std::string label);

  int32_t EraseFromBottom() const { return m_eraseFromBottom; }
  void SetEraseFromBottom(int32_t lines) { m_eraseFromBottom = lines; }
  bool SweepEntireWord() const { return m_sweepEntireWord != 0; }
  void SetSweepEntireWord(bool on) { m_sweepEntireWord = on ? 1 : 0; }
  int32_t FixedColorIndex() const { return m_fixedColorIndex; }
  void SetFixedColorIndex(int32_t index) { m_fixedColorIndex = index; }

  // Hundredths of a second the duet introduction stays ("DuetDisplayDuration").
  static int DuetDisplayDuration();
  static void SetDuetDisplayDuration(int hundredths);

  // --- pages --------------------------------------------------------------------
  int PageCount() const { return static_cast<int>(m_pages.size()); }
  PageRecord* Page(int index);
  const PageRecord* Page(int index) const;
  // The first page of that kind, or none.
  PageRecord* PageByKind(int32_t kind);
  const PageRecord* PageByKind(int32_t kind) const;
  void AddPage(const PageRecord& page);  // appends a copy
  void RemoveAllPages();
  // Adds a default title, lyrics or credits page for each kind the song lacks
  // (a project file need not hold all three).
  void AddMissingPages();
  // The page record ResetSongDefaults builds for `kind`, colours from the settings.
  static PageRecord DefaultPage(int32_t kind);
  // The 16 colours (0x00BBGGRR) of a page's palette, as the generator takes them.
  static std::array<Colorref, kColorCount> PageColors(const PageRecord& page);

  // --- lines and words ----------------------------------------------------------
  struct LineListOptions {
    bool keepTimings = true;     // carry the word times over by position
    bool convertMarkers = true;  // turn the singer and fixed-line markers into flags
  };
  // Rebuilds lines and words from the raw lyrics.
  void GenerateKaraokeLineList(const LineListOptions& options);
  void CalcLineAndPageNumbers();
  void ClearLines();
  bool HasPlacedLyrics() const;

  int LineCount() const { return static_cast<int>(m_lines.lines.size()); }
  KaraokeLine* Line(int index);
  const KaraokeLine* Line(int index) const;
  const std::vector<std::unique_ptr<KaraokeLine>>& Lines() const { return m_lines.lines; }
  KaraokeLineList& LineList() { return m_lines; }
  const KaraokeLineList& LineList() const { return m_lines; }

  int WordCount() const { return static_cast<int>(m_lines.words.size()); }
  KaraokeWord* Word(int index);
  const KaraokeWord* Word(int index) const;
  // Index of the first word with start <= t <= end, or -1.
  int WordAtTime(SampleTime t) const;
  // Index of the first word on `page` whose rectangle holds (x, y), or -1.
  int WordAtPoint(int x, int y, int page) const;
  void SelectWord(int index, bool on);
  int FirstWordOfPage(int page) const;
  int LastWordOfPage(int page) const;
  // The largest page number of any line, 0 without lines.
  int LastPage() const;
  bool AnyWordPlaced() const;

  // --- drawing (song_drawing.cpp) -----------------------------------------------
  // Lays out every word with the lyrics page's style and stores its rectangle.
  void CalcWordRectangles();
  // Draws the lines of `page` on a preview screen; selected words underlined.
  void DrawPage(CdgRenderer& renderer, int page) const;
  // Draws every line with start < t < end.
  void DrawLinesAtTime(CdgRenderer& renderer, SampleTime t) const;
  // Row and row count of a line's row on the lyrics page's lyrics area.
  void LyricsRow(int lineInPage, int& row, int& rows) const;
  // The one rule for a line's text colour, in the editor, the previews and the
  // compiler alike: the fixed colour index for a fixed line, else the line's
  // own colour in a duet and singer 1's in a solo.
  int LineColor(const KaraokeLine& line) const;

  // --- music and output buffer (song_music.cpp) ---------------------------------
  // The working copy of the music that AllocateRwMemory measures; set by the
  // shell after music preparation. A read-only one (the user's own file, read
  // where it lies) is never written: lengthening it only counts the silence
  // after its data in MusicLength(), and whoever reads it supplies that silence.
  const std::string& WorkingMusicPath() const { return m_workingMusicPath; }
  void SetWorkingMusicPath(std::string path, bool readOnly = false) {
    m_workingMusicPath = std::move(path);
    m_workingMusicReadOnly = readOnly;
  }
  bool WorkingMusicReadOnly() const { return m_workingMusicReadOnly; }
  // Measures the working music and (re)allocates the zeroed output buffer.
  void AllocateRwMemory(bool remember);
  // Lengthens the working music with silence (or cuts it) to `bytes`, in place
  // when it is a plain PCM file with its data last, then resizes the output
  // buffer keeping its contents. False when the music could not be changed.
  bool LengthenMusic(uint32_t bytes);
  // Sample rate, bits and channels of the working music (44100, 16, 2 when
  // nothing was measured).
  int SampleRate() const { return m_sampleRate > 0 ? m_sampleRate : kDefaultSampleRate; }
  int SamplesPerPacket() const { return lf::SamplesPerPacket(SampleRate()); }
  int MusicBitsPerSample() const { return m_bitsPerSample > 0 ? m_bitsPerSample : 16; }
  int MusicChannels() const { return m_channels > 0 ? m_channels : 2; }
  int MusicBytesPerFrame() const { return MusicBitsPerSample() * MusicChannels() / 8; }

  uint8_t* RwMemory() { return m_rwMemory.Data(); }
  const uint8_t* RwMemory() const { return m_rwMemory.Data(); }
  uint32_t RwMemorySize() const { return static_cast<uint32_t>(m_rwMemory.Size()); }
  uint32_t MusicLength() const { return m_musicLength; }
  uint32_t MusicLengthAtLoad() const { return m_musicLengthAtLoad; }
  int32_t IntroLength() const { return m_introLength; }
  void SetIntroLength(int32_t frames) { m_introLength = frames; }
  uint32_t CreditsLength() const { return m_creditsLength; }
  void SetCreditsLength(uint32_t frames) { m_creditsLength = frames; }

  // --- compiler (song_compiler.cpp) ---------------------------------------------
  // Compiles the song into `buffer`; returns the lead-in in sample frames.
  int32_t WriteRwMemory(uint8_t* buffer, uint32_t size, uint32_t& endOffset, SampleTime fromTime);

 private:
  // Takes format and length from the working music's header; false when it is no music.
  bool MeasureWorkingMusic(bool remember);
  size_t RwMemoryBytesForMusic() const;

  std::string m_projectPath;
  bool m_modified = false;
  SongSettingsBlock m_settings;
  std::string m_rawLyrics;
  std::string m_musicPath;
  std::vector<std::unique_ptr<PageRecord>> m_pages;
  ZeroedBuffer m_rwMemory;  // grows without a second copy when the music is lengthened
  uint32_t m_musicLength = 0;
  uint32_t m_musicLengthAtLoad = 0;
  int32_t m_introLength = 0;
  uint32_t m_creditsLength = 0;
  int32_t m_eraseFromBottom = 0;
  int32_t m_sweepEntireWord = 0;
  std::string m_artist;
  std::string m_title;
  std::array<std::string, 3> m_duetLabels;
  int32_t m_fixedColorIndex = ColorIndexFixed;
  KaraokeLineList m_lines;

  std::string m_workingMusicPath;
  bool m_workingMusicReadOnly = false;
  int m_sampleRate = 0;
  int m_bitsPerSample = 0;
  int m_channels = 0;
  std::function<void(bool)> m_modifiedObserver;
  SongObservers m_observers;
};

// The program's one song. CreateSong makes it (false when it already exists).
bool CreateSong(const std::string& projectPath = {});
bool HasSong();
// The song; throws std::logic_error before CreateSong.
Song& OpenSong();
void DestroySong();

}  // namespace lf
