#pragma once
// The modifier keys held at the moment of a command (Ctrl at start, Shift at close, Alt on the close
// box). Tests put their own answer in place of the keyboard's.

#include <Qt>
#include <functional>

namespace mobrelle {

class KeyState {
 public:
  static Qt::KeyboardModifiers Query();
  static bool Shift() { return Query().testFlag(Qt::ShiftModifier); }
  static bool Ctrl() { return Query().testFlag(Qt::ControlModifier); }
  static bool Alt() { return Query().testFlag(Qt::AltModifier); }
  // An empty function goes back to the keyboard.
  static void SetSourceForTests(std::function<Qt::KeyboardModifiers()> source);
};

}  // namespace mobrelle
