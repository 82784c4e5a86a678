#include "desktop/rules/menu_rules.h"

#include <cstdlib>

namespace lf {

CommandEnables EnabledCommands(const ShellState& s) {
  CommandEnables e;
  e.newProject = e.open = e.exit = !s.Busy();
  e.close = s.projectPathSet && !s.Busy();
  e.exportSong = s.HasPlacedLyrics() && !s.exportRunning;
  e.settings = !s.Busy() && s.musicPathSet;
  e.editLyrics = !s.Busy();
  e.placeLyrics = s.CanPlace() && !s.exportRunning;
  e.adjustLyrics = e.playFinal = s.HasPlacedLyrics() && !s.exportRunning;
  return e;
}

namespace {

// A step's name as menu text: a '&' of the lyrics is shown, not a mnemonic.
std::string MenuText(const std::string& verb, const std::string& step) {
  std::string text = verb;
  if (step.empty()) return text;
  text += ' ';
  for (char c : step) {
    if (c == '&') text += '&';
    text += c;
  }
  return text;
}

}  // namespace

bool TimingHistoryHasKeys(const FocusedEditorState& editor, const TimingHistoryState& timing) {
  return !editor.present && timing.timingPage;
}

EditMenuState EditMenuFor(const FocusedEditorState& ed, const TimingHistoryState& timing) {
  EditMenuState m;
  if (TimingHistoryHasKeys(ed, timing)) {
    m.undo = !timing.undoName.empty();
    m.redo = !timing.redoName.empty();
    m.undoLabel = MenuText("&Undo", timing.undoName);
    m.redoLabel = MenuText("&Redo", timing.redoName);
    return m;
  }
  if (!ed.present) return m;
  const bool hasText = ed.textLength > 0;
  m.undo = ed.canUndo;
  m.redo = ed.richText && ed.canRedo;
  m.cut = ed.HasSelection();
  m.copy = ed.HasSelection();
  m.paste = !ed.readOnly && ed.clipboardHasText;
  m.clear = !ed.readOnly && ed.HasSelection();
  m.selectAll = m.format = hasText;
  const bool part = ed.HasSelection() && std::abs(ed.selectionEnd - ed.selectionStart) < ed.textLength;
  m.capitalizeLabel = part ? "&Capitalize Selection" : "&Capitalize All";
  m.lowercaseLabel = part ? "&Lowercase Selection" : "&Lowercase All";
  return m;
}

}  // namespace lf
