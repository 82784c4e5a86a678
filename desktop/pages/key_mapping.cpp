#include "desktop/pages/key_mapping.h"

#include <QKeyEvent>

namespace lf {

std::optional<TimingKey> TimingKeyOf(const QKeyEvent& event) {
  // Alt with a key is a button's mnemonic or a menu's, never the page's own key.
  if (event.modifiers() & Qt::AltModifier) return std::nullopt;
  switch (event.key()) {
    case Qt::Key_Home:
      return TimingKey::Home;
    case Qt::Key_End:
      return TimingKey::End;
    case Qt::Key_Space:
      return TimingKey::Space;
    case Qt::Key_Control:
      return TimingKey::Ctrl;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return TimingKey::Enter;
    case Qt::Key_Escape:
      return TimingKey::Escape;
    case Qt::Key_Backspace:
      return TimingKey::Backspace;
    case Qt::Key_Comma:
    case Qt::Key_Less:
      return TimingKey::Comma;
    case Qt::Key_Period:
    case Qt::Key_Greater:
      return TimingKey::Period;
    case Qt::Key_N:
      return TimingKey::N;
    case Qt::Key_L:
      return TimingKey::L;
    case Qt::Key_S:
      return TimingKey::S;
    case Qt::Key_Left:
      return TimingKey::Left;
    case Qt::Key_Right:
      return TimingKey::Right;
    case Qt::Key_PageUp:
      return TimingKey::PageUp;
    case Qt::Key_PageDown:
      return TimingKey::PageDown;
    case Qt::Key_Up:
      return TimingKey::Up;
    case Qt::Key_Down:
      return TimingKey::Down;
    case Qt::Key_U:
      return TimingKey::U;
    case Qt::Key_BracketLeft:
      return TimingKey::BracketLeft;
    case Qt::Key_BracketRight:
      return TimingKey::BracketRight;
    default:
      return std::nullopt;
  }
}

bool CtrlDown(const QKeyEvent& event) { return event.modifiers() & Qt::ControlModifier; }

}  // namespace lf
