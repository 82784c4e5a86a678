#pragma once
// PageWidget: one page of the main window (Edit Lyrics, Place Lyrics, Adjust
// Lyrics, Play Final). The main window holds one page at a time and destroys
// it on leaving, so a page keeps nothing that must outlive it except what it
// writes into the song.
//
// The frame calls, in order: the constructor, Enter() once the page fills the
// window, then, on a page change, CanLeave() and Leave() before deleting it.
// Key presses anywhere in the main window reach KeyDown/KeyUp first (before
// the focused widget): the timing pages act on keys once per press.
#include <QWidget>

#include "core/lyrics/format_lyrics_text.h"
#include "desktop/pages/shell.h"

class QKeyEvent;

namespace lf {

class PageWidget : public QWidget {
  Q_OBJECT

 public:
  PageWidget(PageId id, PageHost& shell, QWidget* parent = nullptr);
  ~PageWidget() override;

  PageId Id() const { return m_id; }
  PageHost& Shell() const { return m_shell; }

  // The page is shown and sized; start timers, load the song's lyrics.
  virtual void Enter() {}
  // The page is about to be destroyed; stop playing, store what was edited.
  virtual void Leave() {}
  // False keeps the page (it asked its own question and the user declined).
  virtual bool CanLeave() { return true; }

  // Return true when the key was used; the focused widget then never sees it.
  // Auto-repeated presses arrive too (event->isAutoRepeat()).
  virtual bool KeyDown(QKeyEvent* event);
  virtual bool KeyUp(QKeyEvent* event);

  // Undo or Redo put back the song's times: show them again.
  virtual void TimesRestored() {}

  // The Edit menu's Format Text items; only the Edit Lyrics page acts on them.
  virtual void RunFormatCommand(FormatCommand) {}

  // The shell's enable rules changed: refreshes the page buttons it carries.
  // Pages with controls of their own that follow the rules extend it.
  virtual void RefreshCommands();

 private:
  PageId m_id;
  PageHost& m_shell;
};

}  // namespace lf
