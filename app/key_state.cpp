#include "app/key_state.h"

#include <QGuiApplication>

namespace mobrelle {
namespace {
std::function<Qt::KeyboardModifiers()>& Source() {
  static std::function<Qt::KeyboardModifiers()> source;
  return source;
}
}  // namespace

Qt::KeyboardModifiers KeyState::Query() {
  if (Source()) return Source()();
  return QGuiApplication::queryKeyboardModifiers();
}

void KeyState::SetSourceForTests(std::function<Qt::KeyboardModifiers()> source) { Source() = std::move(source); }

}  // namespace mobrelle
