// One simulated Windows machine: its profile, file system, registry, the
// user's scripted answers and what the program did. The Win32 calls of the
// simulation act on the current machine, which a test or setup-sim installs.
#pragma once

#include <deque>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "simmachine/event_log.h"
#include "simmachine/file_system.h"
#include "simmachine/process_state.h"
#include "simmachine/profile.h"
#include "simmachine/registry_model.h"
#include "simmachine/user_state.h"

namespace sim {

// Thrown when the program waits for an answer or a user action that the
// script did not give. The run stops there; it never hangs.
class ScriptExhausted : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One thing the user does with the program's windows.
struct UserAction {
  enum class Kind { kClick, kRightClick, kType, kClose, kWait, kQuitPrograms, kDialogClick, kDialogEscape, kDialogClose };
  Kind kind = Kind::kClick;
  int x = 0, y = 0;      // clicks: client coordinates of the program's main window
  int controlId = 0;     // a click on the open dialog's control with this id
  std::string text;      // typing: UTF-8, typed as the ANSI code page's characters;
                         // quitting programs: the class of their windows
  unsigned ms = 0;       // waiting
  // Done while a message box is open (the box's own message loop delivers
  // it); an unmarked action waits for the program's main message loop.
  bool duringMessageBox = false;
  // The actions on a dialog wait for a modal dialog's loop, which also
  // delivers the unmarked ones.
  bool ForDialog() const { return kind >= Kind::kDialogClick; }
};

// The user's side of the run: answers to Yes/No message boxes, in order, and
// a separate list of actions on the windows, in order.
struct UserScript {
  std::deque<bool> yesNoAnswers;  // true = Yes
  std::deque<UserAction> actions;
};

class Machine {
 public:
  // A new machine from a preset, with its folders and registry laid out under
  // `root` (created if missing). Throws std::runtime_error on an unknown preset.
  static std::unique_ptr<Machine> CreateFromPreset(const std::string &preset, const std::filesystem::path &root);
  // A machine saved earlier in `root`; the folders its profile names are made
  // when missing, so that a folder renamed in machine.ini exists as on
  // Windows. Throws std::runtime_error with the reason when machine.ini or
  // registry.reg cannot be read or names a folder that cannot be made.
  static std::unique_ptr<Machine> Load(const std::filesystem::path &root);
  // Closes what the program left open in its process (pipes it never closed).
  ~Machine();
  Machine(const Machine &) = delete;
  Machine &operator=(const Machine &) = delete;
  // Writes machine.ini, registry.reg and events.log into the root.
  void Save() const;

  // The machine the simulated Win32 calls act on; null when none is installed.
  static Machine *Current();
  static void Install(Machine *machine);

  const std::filesystem::path &root() const { return root_; }

  Profile profile;
  FileSystem files;
  Registry registry;
  EventLog events;
  UserScript script;
  ProcessState process;
  UserState user;

 private:
  explicit Machine(std::filesystem::path root);
  void LayOutFolders();
  void MakeProfileFolders();
  std::filesystem::path root_;
};

// The current machine; a call made with none installed is a fault of the
// harness, reported by std::logic_error.
Machine &CurrentMachine();

}  // namespace sim
