#pragma once
// When the main window's commands are enabled and what the changing menu
// labels read, from plain facts about the program; widgets only show it.
#include <string>

namespace lf {

// What the rules look at, gathered by the application object.
struct ShellState {
  bool playing = false;
  bool exportRunning = false;
  bool projectPathSet = false;
  bool musicPathSet = false;    // the song names a music file
  bool workingFileSet = false;  // the music was prepared into a working file
  bool lyricsEmpty = true;
  bool anyWordPlaced = false;

  bool Busy() const { return playing || exportRunning; }
  // Not playing, a working file and some lyrics.
  bool CanPlace() const { return !playing && workingFileSet && !lyricsEmpty; }
  bool HasPlacedLyrics() const { return CanPlace() && anyWordPlaced; }
};

struct CommandEnables {
  bool newProject = false, open = false, close = false, exit = false;
  bool exportSong = false, settings = false;
  // The page commands (the buttons every page carries).
  bool editLyrics = false, placeLyrics = false, adjustLyrics = false, playFinal = false;
};
CommandEnables EnabledCommands(const ShellState& state);

// The widget with the keyboard focus, when it is a text editor.
struct FocusedEditorState {
  bool present = false;
  bool richText = false;  // a multi-line editor: only those can redo
  bool readOnly = false;
  bool canUndo = false;
  bool canRedo = false;
  int textLength = 0;
  int selectionStart = 0;
  int selectionEnd = 0;
  bool clipboardHasText = false;

  bool HasSelection() const { return selectionEnd != selectionStart; }
};

// The song's timing history as the Edit menu offers it on the timing pages.
struct TimingHistoryState {
  bool timingPage = false;  // Place or Adjust Lyrics is showing and not playing
  std::string undoName;     // the step Undo would take back, empty when none
  std::string redoName;
};

struct EditMenuState {
  std::string undoLabel = "&Undo";
  std::string redoLabel = "&Redo";
  bool undo = false, redo = false, cut = false, copy = false, paste = false, clear = false;
  bool selectAll = false, format = false;
  std::string capitalizeLabel = "&Capitalize All";
  std::string lowercaseLabel = "&Lowercase All";
};
// A focused text editor keeps its own undo; without one, a timing page
// offers the timing history's steps by name ("&Undo Nudge Start of 'star'").
EditMenuState EditMenuFor(const FocusedEditorState& editor, const TimingHistoryState& timing = {});
// Whether Undo or Redo goes to the timing history rather than an editor.
bool TimingHistoryHasKeys(const FocusedEditorState& editor, const TimingHistoryState& timing);

}  // namespace lf
