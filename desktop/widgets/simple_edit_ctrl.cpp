#include "desktop/widgets/simple_edit_ctrl.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>

namespace lf {
namespace {

// Byte offset in the UTF-8 form of `text` of UTF-16 position `position`.
size_t Utf8Offset(const QString& text, int position) {
  return static_cast<size_t>(QStringView(text).left(position).toUtf8().size());
}

}  // namespace

LyricsTextEdit::LyricsTextEdit(QWidget* parent) : QPlainTextEdit(parent) {
  setObjectName("lyricsEditor");
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setTabChangesFocus(true);  // Tab leaves the editor, as in the rest of the window
}

std::string LyricsTextEdit::Utf8Text() const { return toPlainText().toStdString(); }

void LyricsTextEdit::SetUtf8Text(const std::string& text) { setPlainText(QString::fromStdString(text)); }

bool LyricsTextEdit::HasPartialSelection() const {
  const QTextCursor cursor = textCursor();
  return IsPartialSelection(static_cast<size_t>(document()->characterCount() - 1),
                            static_cast<size_t>(cursor.selectionStart()), static_cast<size_t>(cursor.selectionEnd()));
}

void LyricsTextEdit::FormatText(FormatCommand command) {
  const QString text = toPlainText();
  if (text.isEmpty()) return;
  QTextCursor cursor = textCursor();
  const int start = cursor.selectionStart(), end = cursor.selectionEnd();
  const int anchor = cursor.anchor(), position = cursor.position();
  const int scroll = verticalScrollBar()->value();
  const std::string formatted =
      FormatLyricsText(text.toStdString(), Utf8Offset(text, start), Utf8Offset(text, end), command);
  const QString replacement = QString::fromStdString(formatted);
  if (replacement == text) return;
  // The case change keeps every character's length, so positions stay valid.
  cursor.beginEditBlock();
  cursor.select(QTextCursor::Document);
  cursor.insertText(replacement);
  cursor.endEditBlock();
  cursor.setPosition(anchor);
  cursor.setPosition(position, QTextCursor::KeepAnchor);
  setTextCursor(cursor);
  verticalScrollBar()->setValue(scroll);
}

QMenu* LyricsTextEdit::BuildContextMenu() {
  auto* menu = new QMenu(this);
  const QTextCursor cursor = textCursor();
  const bool selection = cursor.hasSelection();
  const bool readOnly = isReadOnly();
  const int length = document()->characterCount() - 1;
  const QMimeData* clip = QApplication::clipboard()->mimeData();
  const bool clipText = clip && clip->hasText() && !clip->text().isEmpty();
  const bool all = length > 0 && cursor.selectionStart() == 0 && cursor.selectionEnd() >= length;

  auto add = [menu](QMenu* into, const QString& label, bool enabled, auto&& action) {
    QAction* item = into->addAction(label);
    item->setEnabled(enabled);
    QObject::connect(item, &QAction::triggered, menu, action);
    return item;
  };
  add(menu, tr("Undo"), document()->isUndoAvailable() && !readOnly, [this] { undo(); });
  add(menu, tr("Redo"), document()->isRedoAvailable() && !readOnly, [this] { redo(); });
  menu->addSeparator();
  add(menu, tr("Cut"), selection && !readOnly, [this] { cut(); });
  add(menu, tr("Copy"), selection, [this] { copy(); });
  add(menu, tr("Paste"), clipText && !readOnly, [this] { paste(); });
  add(menu, tr("Clear"), selection && !readOnly, [this] { textCursor().removeSelectedText(); });
  menu->addSeparator();
  add(menu, tr("Select All"), length > 0 && !all, [this] { selectAll(); });
  menu->addSeparator();
  QMenu* format = menu->addMenu(tr("Format Text"));
  const bool partial = HasPartialSelection();
  for (FormatCommand command :
       {FormatCommand::Capitalize, FormatCommand::Lowercase, FormatCommand::CapitalizeFirstWord})
    add(format, QString::fromStdString(FormatCommandLabel(command, partial, false)), length > 0,
        [this, command] { FormatText(command); });
  return menu;
}

void LyricsTextEdit::contextMenuEvent(QContextMenuEvent* event) {
  setFocus(Qt::MouseFocusReason);
  QMenu* menu = BuildContextMenu();
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(event->globalPos());
}

}  // namespace lf
