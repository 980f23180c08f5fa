// What the simulated user does, as the scripts of the whole-program tests
// write it: clicks in the main window, typing, waits, quitting other
// programs, and the actions on an open dialog.
#pragma once

#include <string>

#include "simmachine/machine.h"

namespace testing_support {

// An action of `kind` at client coordinates (x, y) of the main window, where
// it has a place at all (the close box, Esc and the like have none).
inline sim::UserAction Action(sim::UserAction::Kind kind, int x = 0, int y = 0) {
  sim::UserAction action;
  action.kind = kind, action.x = x, action.y = y;
  return action;
}

inline sim::UserAction Click(int x, int y) { return Action(sim::UserAction::Kind::kClick, x, y); }

// An action of `kind` that carries a text: what is typed, or a window class.
inline sim::UserAction TextAction(sim::UserAction::Kind kind, const std::string &text) {
  sim::UserAction action = Action(kind);
  action.text = text;
  return action;
}

inline sim::UserAction Typed(const std::string &text) { return TextAction(sim::UserAction::Kind::kType, text); }

inline sim::UserAction Waited(unsigned ms) {
  sim::UserAction action = Action(sim::UserAction::Kind::kWait);
  action.ms = ms;
  return action;
}

// The user ends the other programs that show a window of `className`.
inline sim::UserAction QuitPrograms(const char *className) {
  return TextAction(sim::UserAction::Kind::kQuitPrograms, className);
}

// A click on the control `id` of the open dialog.
inline sim::UserAction DialogClick(int id) {
  sim::UserAction action = Action(sim::UserAction::Kind::kDialogClick);
  action.controlId = id;
  return action;
}

}  // namespace testing_support
