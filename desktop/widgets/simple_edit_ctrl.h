#pragma once
// LyricsTextEdit: the lyrics editor. A plain multi-line editor (UTF-8 in
// and out) with the context menu of undo, clipboard commands, Select All and
// the Format Text commands, each of which is one undo step.
#include <QPlainTextEdit>
#include <string>

#include "core/lyrics/format_lyrics_text.h"

class QMenu;

namespace lf {

class LyricsTextEdit : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit LyricsTextEdit(QWidget* parent = nullptr);

  std::string Utf8Text() const;
  // Replaces the whole text without an undo step (opening, import).
  void SetUtf8Text(const std::string& text);

  // Capitalize, Lowercase or Capitalize First Word on the selection, or on
  // everything when nothing is selected; one undo step.
  void FormatText(FormatCommand command);

  // True when the selection is neither empty nor the whole text.
  bool HasPartialSelection() const;

  // The context menu as it would show now (built afresh each time).
  QMenu* BuildContextMenu();

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
};

}  // namespace lf
