// setup-sim: the setup program run on a simulated Windows machine.
//
//   setup-sim [--machine PRESET] --root DIR [--answer yes|no]... [ACTION]...
//             [--package FILE] [-- PROGRAM ARGUMENTS]
//
// ACTION is --click X,Y, --right-click X,Y, --type TEXT, --close or --wait MS,
// done in the order given; --during-box before one marks it for a message box.
// --dialog-click ID, --dialog-escape and --dialog-close act on the open dialog.
//
// A new DIR is made from the preset; an existing one is loaded, so a second
// run is a reinstallation. After the run DIR holds the machine's state and
// events.log, and a summary is printed.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "common/program_state.h"
#include "common/progress.h"
#include "machine_diff.h"
#include "shell/program_entry.h"
#include "simmachine/canvas.h"
#include "simmachine/machine.h"
#include "simmachine/structured_exception.h"

namespace {

const char kUsage[] =
    "usage: setup-sim [--machine PRESET] --root DIR [--answer yes|no]... [ACTION]...\n"
    "                 [--package FILE] [-- PROGRAM ARGUMENTS]\n"
    "\n"
    "Runs the setup program on a simulated Windows machine kept in DIR.\n"
    "  --machine PRESET  preset for a new machine (default win10-x64); one of:\n"
    "                    %s\n"
    "  --root DIR        the machine's folder: created from the preset when it does not\n"
    "                    hold a machine yet, else loaded (a second run reinstalls)\n"
    "  --answer yes|no   answers the next Yes/No message box (repeat, in order)\n"
    "  --package FILE    the package archive served as the program's resource\n"
    "  -- ARGUMENTS      the program's command line (\"setvosrf32\" runs without window)\n"
    "\n"
    "Actions, done in the order given when the program waits in its message loop:\n"
    "  --click X,Y        left click at client coordinates of the program's main window\n"
    "  --right-click X,Y  right click there\n"
    "  --type TEXT        types TEXT (UTF-8) into the window with the focus; a byte 8\n"
    "                     ($'\\b' in bash) is a backspace\n"
    "  --close            presses the close box of the main window\n"
    "  --quit-programs CLASS  the user ends the other programs showing a window of\n"
    "                     CLASS (machine.ini [windows]): those windows and their owners go\n"
    "  --wait MS          lets MS milliseconds pass; the program's timers run\n"
    "  --during-box ACTION  does ACTION while a message box is open, in the box's own\n"
    "                     message loop, instead of in the main loop\n"
    "  --dialog-click ID  clicks the control with this id in the open dialog\n"
    "  --dialog-escape    presses Esc in the open dialog\n"
    "  --dialog-close     presses the open dialog's close box\n"
    "Actions on a dialog wait for one to open; while it is open the other actions\n"
    "happen too, and the dialog's owner takes no clicks.\n"
    "\n"
    "Exit status: 0 when the program ended normally, 2 on bad usage, an unreadable\n"
    "package or an unreadable machine, 3 when the program waited for an answer or\n"
    "action that was not given, 4 when it crashed (a structured exception that it\n"
    "did not handle ended it, as it ends a process on Windows).\n";

struct Options {
  std::string preset;
  std::string root;
  std::vector<bool> answers;
  std::vector<sim::UserAction> actions;
  std::string package;
  std::string commandLine;
};

// A whole decimal number from 0 to `max`.
bool ParseNumber(const std::string &text, unsigned long max, unsigned long *number) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return false;
  char *end = nullptr;
  errno = 0;
  *number = std::strtoul(text.c_str(), &end, 10);
  return errno == 0 && *end == '\0' && *number <= max;
}

// "X,Y" in client coordinates, each from 0 to 32767.
bool ParsePoint(const std::string &text, int *x, int *y) {
  size_t comma = text.find(',');
  unsigned long a = 0, b = 0;
  if (comma == std::string::npos || !ParseNumber(text.substr(0, comma), 32767, &a) ||
      !ParseNumber(text.substr(comma + 1), 32767, &b))
    return false;
  *x = static_cast<int>(a), *y = static_cast<int>(b);
  return true;
}

bool IsActionOption(const std::string &arg) {
  return arg == "--click" || arg == "--right-click" || arg == "--type" || arg == "--close" || arg == "--wait" ||
         arg == "--quit-programs";
}

bool IsDialogActionOption(const std::string &arg) {
  return arg == "--dialog-click" || arg == "--dialog-escape" || arg == "--dialog-close";
}

// --dialog-click ID (an id from 0 to 65535), --dialog-escape or --dialog-close.
bool ParseDialogAction(int argc, char **argv, int *i, sim::UserAction *action, std::string *error) {
  using Kind = sim::UserAction::Kind;
  const std::string arg = argv[*i];
  if (arg == "--dialog-escape") return action->kind = Kind::kDialogEscape, true;
  if (arg == "--dialog-close") return action->kind = Kind::kDialogClose, true;
  unsigned long id = 0;
  if (*i + 1 >= argc) return *error = arg + " needs a value", false;
  const std::string value = argv[++*i];
  if (!ParseNumber(value, 65535, &id)) return *error = arg + " takes a control id from 0 to 65535, not " + value, false;
  action->kind = Kind::kDialogClick, action->controlId = static_cast<int>(id);
  return true;
}

// The action option at argv[*i] with its value, or --during-box and the
// action after it; false with the reason when the value is wrong.
bool ParseAction(int argc, char **argv, int *i, sim::UserAction *action, std::string *error) {
  using Kind = sim::UserAction::Kind;
  std::string arg = argv[*i];
  if (IsDialogActionOption(arg)) return ParseDialogAction(argc, argv, i, action, error);
  if (arg == "--during-box") {
    if (*i + 1 >= argc || !IsActionOption(argv[*i + 1])) return *error = "--during-box must come before an action", false;
    action->duringMessageBox = true;
    arg = argv[++*i];
  }
  if (arg == "--close") return action->kind = Kind::kClose, true;
  if (*i + 1 >= argc) return *error = arg + " needs a value", false;
  const std::string value = argv[++*i];
  unsigned long ms = 0;
  if (arg == "--type") {
    action->kind = Kind::kType, action->text = value;
  } else if (arg == "--quit-programs") {
    action->kind = Kind::kQuitPrograms, action->text = value;
  } else if (arg == "--wait") {
    if (!ParseNumber(value, 86400000, &ms)) return *error = "--wait takes milliseconds up to a day, not " + value, false;
    action->kind = Kind::kWait, action->ms = static_cast<unsigned>(ms);
  } else {
    if (!ParsePoint(value, &action->x, &action->y)) return *error = arg + " takes X,Y from 0 to 32767, not " + value, false;
    action->kind = arg == "--click" ? Kind::kClick : Kind::kRightClick;
  }
  return true;
}

void PrintUsage(FILE *out) {
  std::string presets;
  for (const std::string &name : sim::PresetNames()) presets += (presets.empty() ? "" : " ") + name;
  std::fprintf(out, kUsage, presets.c_str());
}

bool ParseOptions(int argc, char **argv, Options *options, std::string *error) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](std::string *target) {
      if (i + 1 >= argc) return *error = arg + " needs a value", false;
      *target = argv[++i];
      return true;
    };
    if (arg == "--") {
      for (++i; i < argc; ++i) options->commandLine += (options->commandLine.empty() ? "" : " ") + std::string(argv[i]);
    } else if (arg == "--machine") {
      if (!value(&options->preset)) return false;
    } else if (arg == "--root") {
      if (!value(&options->root)) return false;
    } else if (arg == "--package") {
      if (!value(&options->package)) return false;
    } else if (arg == "--answer") {
      std::string answer;
      if (!value(&answer)) return false;
      if (answer != "yes" && answer != "no") return *error = "--answer takes yes or no, not " + answer, false;
      options->answers.push_back(answer == "yes");
    } else if (IsActionOption(arg) || IsDialogActionOption(arg) || arg == "--during-box") {
      sim::UserAction action;
      if (!ParseAction(argc, argv, &i, &action, error)) return false;
      options->actions.push_back(action);
    } else {
      return *error = "unknown argument " + arg, false;
    }
  }
  if (options->root.empty()) return *error = "--root DIR is required", false;
  return true;
}

// A package named on the command line must be a file that can be read: run
// without it, the program would take it for a build without its resource.
bool PackageReadable(const std::string &package, std::string *error) {
  std::error_code code;
  const char *problem = nullptr;
  if (!std::filesystem::exists(package, code)) problem = "no such file";
  else if (!std::filesystem::is_regular_file(package, code)) problem = "not a file";
  else if (!std::ifstream(package, std::ios::binary)) problem = "cannot be read";
  if (problem) *error = "--package " + package + ": " + problem;
  return problem == nullptr;
}

std::unique_ptr<sim::Machine> OpenMachine(const Options &options) {
  std::filesystem::path root = options.root;
  if (std::filesystem::exists(root / "machine.ini")) {
    auto machine = sim::Machine::Load(root);
    if (!options.preset.empty() && options.preset != machine->profile.preset)
      throw std::runtime_error(options.root + " already holds a " + machine->profile.preset +
                               " machine; --machine applies only to a new one");
    return machine;
  }
  return sim::Machine::CreateFromPreset(options.preset.empty() ? "win10-x64" : options.preset, root);
}

// Keeps a picture of the window after each of its paints in DIR/screens,
// named by sequence number and the wizard state it shows, with "-dialog"
// for a dialog's picture; the folder holds
// only this run's pictures. Paints drawn straight into the window in one
// state and against one progress total (the progress bar moving between
// install steps) are kept as one picture, the last of them.
class ScreenRecorder {
 public:
  explicit ScreenRecorder(const std::filesystem::path &folder) : folder_(folder) {
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  ~ScreenRecorder() { Flush(); }
  void Record(HWND window, bool paintMessage) {
    const sim::Canvas *canvas = sim::WindowCanvas(window);
    if (!canvas) return;
    const bool dialog = IsDialog(window);
    if (paintMessage || !pending_ || pendingDialog_ != dialog || pendingState_ != program.wizardState ||
        pendingTotal_ != progress.total)
      Flush();
    pending_ = std::make_unique<sim::Canvas>(*canvas);
    pendingDialog_ = dialog;
    pendingState_ = program.wizardState;
    pendingTotal_ = progress.total;
    if (paintMessage) Flush();
  }
  // Writes the picture held back, if any.
  void Flush() {
    if (!pending_) return;
    char name[64];
    std::snprintf(name, sizeof name, "%04d-state-%d%s.png", ++count_, pendingState_, pendingDialog_ ? "-dialog" : "");
    sim::WritePng(*pending_, folder_ / name);
    pending_.reset();
  }
  int count() const { return count_; }

 private:
  static bool IsDialog(HWND window) {
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    return std::strcmp(className, "#32770") == 0;
  }
  std::filesystem::path folder_;
  std::unique_ptr<sim::Canvas> pending_;
  bool pendingDialog_ = false;
  int pendingState_ = 0;
  int pendingTotal_ = 0;
  int count_ = 0;
};

void PrintChanges(const char *title, const std::vector<sim::Event> &events, const char *field) {
  std::printf("%s: %zu\n", title, events.size());
  for (const auto &event : events) std::printf("  %s\n", event.Field(field).c_str());
}

// How the program's run ended.
struct ProgramEnd {
  enum class Kind { kEnded, kStopped, kCrashed } kind = Kind::kEnded;
  int exitCode = 0;
  uint32_t exceptionCode = 0;
  std::string reason;  // why it stopped
};

// Runs the program to its end. A structured exception that leaves it is a
// crash: on Windows the process is gone at that moment, so nothing of the
// program runs after it.
ProgramEnd RunProgram(std::vector<char> *commandLine) {
  ProgramEnd end;
  try {
    end.exitCode = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine->data(), SW_SHOWNORMAL);
  } catch (const sim::ScriptExhausted &e) {
    end.kind = ProgramEnd::Kind::kStopped;
    end.reason = e.what();
  } catch (const sim::StructuredException &e) {
    end.kind = ProgramEnd::Kind::kCrashed;
    end.exceptionCode = e.code();
  }
  return end;
}

void PrintProgramEnd(const ProgramEnd &end) {
  switch (end.kind) {
    case ProgramEnd::Kind::kStopped: std::printf("program: stopped, waiting for the user\n"); break;
    case ProgramEnd::Kind::kCrashed: std::printf("program: crashed (exception 0x%08X)\n", end.exceptionCode); break;
    case ProgramEnd::Kind::kEnded: std::printf("program: ended, exit code %d\n", end.exitCode); break;
  }
}

void PrintSummary(const sim::Machine &machine, const MachineSnapshot &before, const ProgramEnd &end,
                  const ScreenRecorder &screens) {
  MachineSnapshot after = TakeSnapshot(machine);
  std::printf("machine: %s (%s)\n", machine.profile.preset.c_str(), machine.root().c_str());
  PrintProgramEnd(end);
  auto boxes = machine.events.OfKind("messagebox");
  std::printf("messages shown: %zu\n", boxes.size());
  for (const auto &box : boxes)
    std::printf("  [%s -> %s] %s: %s\n", box.Field("buttons").c_str(), box.Field("answer").c_str(),
                box.Field("caption").c_str(), box.Field("text").c_str());
  PrintChanges("windows opened", machine.events.OfKind("window"), "title");
  if (screens.count() > 0)
    std::printf("screens painted: %d, pictures in %s\n", screens.count(), (machine.root() / "screens").c_str());
  PrintChanges("commands started", machine.events.OfKind("exec"), "command");
  auto files = FileChanges(before, after);
  std::printf("files changed: %zu\n", files.size());
  for (const auto &change : files) std::printf("  %c %s\n", change.kind, change.what.c_str());
  auto keys = KeyChanges(before, after);
  std::printf("registry keys changed: %zu\n", keys.size());
  for (const auto &change : keys) std::printf("  %c %s\n", change.kind, change.what.c_str());
}

}  // namespace

int main(int argc, char **argv) {
  Options options;
  std::string error;
  if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    PrintUsage(stdout);
    return 0;
  }
  if (!ParseOptions(argc, argv, &options, &error)) {
    std::fprintf(stderr, "setup-sim: %s\n\n", error.c_str());
    PrintUsage(stderr);
    return 2;
  }
  if (!options.package.empty() && !PackageReadable(options.package, &error)) {
    std::fprintf(stderr, "setup-sim: %s\n", error.c_str());
    return 2;
  }
  std::unique_ptr<sim::Machine> machine;
  try {
    machine = OpenMachine(options);
  } catch (const std::exception &e) {
    std::fprintf(stderr, "setup-sim: %s\n", e.what());
    return 2;
  }
  machine->events.Clear();
  for (bool answer : options.answers) machine->script.yesNoAnswers.push_back(answer);
  for (const sim::UserAction &action : options.actions) machine->script.actions.push_back(action);
  machine->process.packagePath = options.package.empty() ? VOZ_DEFAULT_PACKAGE : options.package;
  MachineSnapshot before = TakeSnapshot(*machine);
  ScreenRecorder screens(machine->root() / "screens");
  machine->user.paintObserver = [&screens](HWND window, bool paintMessage) { screens.Record(window, paintMessage); };
  sim::Machine::Install(machine.get());

  std::vector<char> commandLine(options.commandLine.begin(), options.commandLine.end());
  commandLine.push_back('\0');
  const ProgramEnd end = RunProgram(&commandLine);
  screens.Flush();
  machine->Save();
  PrintSummary(*machine, before, end, screens);
  sim::Machine::Install(nullptr);
  if (end.kind == ProgramEnd::Kind::kStopped) {
    std::fprintf(stderr, "setup-sim: the run stopped: %s\n", end.reason.c_str());
    return 3;
  }
  return end.kind == ProgramEnd::Kind::kCrashed ? 4 : 0;
}
