#pragma once
// PageHost: what a page may ask of the application around it. Pages get one at
// construction and keep no other route to the main window.
#include <optional>
#include <string>

#include "core/lyrics/lyrics_import.h"

namespace lf {

class Song;
struct MusicState;

// The four pages, numbered as the program has always numbered them; 0 before
// the first page is shown.
enum class PageId : int { None = 0, EditLyrics = 1, PlaceLyrics = 2, AdjustLyrics = 3, PlayFinal = 4 };

class PageHost {
 public:
  virtual ~PageHost() = default;

  virtual Song& OpenSong() = 0;
  // The project's music as last prepared (working file, format).
  virtual const MusicState& Music() const = 0;

  // The page commands of the page buttons: each checks its own rule, may ask
  // its question, then shows the page.
  virtual void PageCommand(PageId page) = 0;
  // "&Settings...": the song settings dialog on a copy of the song.
  virtual void EditSettings() = 0;
  // "Add M&usic": the Find Music dialog.
  virtual void AddMusic() = 0;
  // "&Import Lyrics": the lyric file chooser and the import; a failure was
  // already shown. The page puts the text in its editor and the song.
  virtual std::optional<LyricsImport> FindLyrics() = 0;

  virtual bool IsPlaying() const = 0;
  virtual bool CanPlace() const = 0;
  virtual bool HasPlacedLyrics() const = 0;
  virtual bool ExportRunning() const = 0;
  virtual bool IsPageCommandEnabled(PageId page) const = 0;
  virtual bool IsSettingsEnabled() const = 0;

  // A page changed something the enable rules look at (playing started,
  // lyrics typed): the shell refreshes buttons and menu.
  virtual void CommandStateChanged() = 0;

  // The word the Adjust Lyrics page opens on, when another part asked for one
  // (the check before export's "Go To"); taken once, -1 when none was asked.
  virtual int TakeWordToAdjust() { return -1; }
};

}  // namespace lf
