#include "desktop/app/focused_editor.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace lf {
namespace {

bool ClipboardHasText() {
  const QMimeData* data = QApplication::clipboard()->mimeData();
  return data && data->hasText() && !data->text().isEmpty();
}

template <typename MultiLine>
FocusedEditorState MultiLineState(MultiLine* edit) {
  FocusedEditorState s;
  s.present = true;
  s.richText = true;
  s.readOnly = edit->isReadOnly();
  s.canUndo = edit->document()->isUndoAvailable();
  s.canRedo = edit->document()->isRedoAvailable();
  s.textLength = edit->document()->characterCount() - 1;  // without the closing paragraph mark
  s.selectionStart = edit->textCursor().selectionStart();
  s.selectionEnd = edit->textCursor().selectionEnd();
  return s;
}

template <typename Editor>
void Run(Editor* edit, EditAction action) {
  switch (action) {
    case EditAction::Undo:
      edit->undo();
      break;
    case EditAction::Redo:
      edit->redo();
      break;
    case EditAction::Cut:
      edit->cut();
      break;
    case EditAction::Copy:
      edit->copy();
      break;
    case EditAction::Paste:
      edit->paste();
      break;
    case EditAction::Clear:
      if constexpr (std::is_same_v<Editor, QLineEdit>)
        edit->del();
      else
        edit->textCursor().removeSelectedText();
      break;
    case EditAction::SelectAll:
      edit->selectAll();
      break;
  }
}

}  // namespace

FocusedEditorState ReadEditorState(QWidget* focus) {
  FocusedEditorState s;
  if (auto* line = qobject_cast<QLineEdit*>(focus)) {
    s.present = true;
    s.readOnly = line->isReadOnly();
    s.canUndo = line->isUndoAvailable();
    s.canRedo = line->isRedoAvailable();
    s.textLength = int(line->text().size());
    s.selectionStart = line->hasSelectedText() ? line->selectionStart() : 0;
    s.selectionEnd = line->hasSelectedText() ? line->selectionEnd() : 0;
  } else if (auto* text = qobject_cast<QTextEdit*>(focus)) {
    s = MultiLineState(text);
  } else if (auto* plain = qobject_cast<QPlainTextEdit*>(focus)) {
    s = MultiLineState(plain);
  }
  if (s.present) s.clipboardHasText = ClipboardHasText();
  return s;
}

void RunEditAction(QWidget* focus, EditAction action) {
  if (auto* line = qobject_cast<QLineEdit*>(focus))
    Run(line, action);
  else if (auto* text = qobject_cast<QTextEdit*>(focus))
    Run(text, action);
  else if (auto* plain = qobject_cast<QPlainTextEdit*>(focus))
    Run(plain, action);
}

}  // namespace lf
