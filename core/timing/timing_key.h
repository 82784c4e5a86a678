#pragma once
// The keys the timing pages act on, as the pages hand them to the core, and
// the held flags that stop a key's auto-repeat from acting twice.
#include <array>
#include <cstddef>

namespace lf {

enum class TimingKey : int {
  Home,
  End,
  Space,
  Ctrl,
  Enter,
  Escape,
  Backspace,
  Comma,
  Period,
  N,
  L,
  S,
  Left,
  Right,
  PageUp,
  PageDown,
  Up,
  Down,
  U,
  BracketLeft,
  BracketRight,
  Count
};

// One flag per key: set on key-down, cleared on key-up.
class HeldKeys {
 public:
  // True for the first key-down of a press; auto-repeats answer false.
  bool Press(TimingKey key) {
    bool& held = m_held[Index(key)];
    if (held) return false;
    held = true;
    return true;
  }
  void Release(TimingKey key) { m_held[Index(key)] = false; }
  bool IsHeld(TimingKey key) const { return m_held[Index(key)]; }
  void ReleaseAll() { m_held.fill(false); }

 private:
  static size_t Index(TimingKey key) { return static_cast<size_t>(key); }
  std::array<bool, static_cast<size_t>(TimingKey::Count)> m_held{};
};

}  // namespace lf
