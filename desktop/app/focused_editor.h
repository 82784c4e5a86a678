#pragma once
// The Edit menu's view of the widget with the keyboard focus: a one-line or a
// multi-line text editor, or nothing the Edit items act on.
#include "desktop/rules/menu_rules.h"

class QWidget;

namespace lf {

enum class EditAction { Undo, Redo, Cut, Copy, Paste, Clear, SelectAll };

FocusedEditorState ReadEditorState(QWidget* focus);
void RunEditAction(QWidget* focus, EditAction action);

}  // namespace lf
