// One run of the setup program on a simulated machine, in this process: the
// wizard walked as a user would (or the windowless run), with at most one
// fault of the machine for the length of the run, and what the run left.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "simmachine/event_log.h"
#include "simmachine/machine.h"

namespace fleet {

// How the user walks the wizard.
struct WizardWalk {
  bool pinyin = false;  // the Pinyin edition instead of Wubi
  bool ime = false;     // the IME interface instead of TSF
  int confirms = 3;     // confirm clicks: on the intro, the profile and the install screen
  // What the user does after the confirms: on an early screen, or on the
  // finish screen that a 64-bit IME installation shows.
  enum class Leave { kNothing, kQuitButton, kCloseBox } leave = Leave::kNothing;
  // The answer to the question whether to keep the earlier data.
  enum class Keep { kYes, kNo, kUnanswered } keep = Keep::kYes;
  bool skinOk = true;   // OK in the skin dialog; without it the run stops there
};

// A fault of the machine during one run; gone after it.
struct Fault {
  enum class Kind { kNone, kCrashOnWrite, kShortWrite, kReadOnly, kHeld, kFullDisk } kind = Kind::kNone;
  std::string path;     // Windows path of the file
  uint32_t bytes = 0;   // a short write stops after this many bytes
  sim::InUse how = sim::InUse::OpenNoShareDelete;  // how another program holds the file
  // A full disk: after the write of `path` is cut short, nothing more fits
  // into these files either.
  std::vector<std::string> morePaths;
};

struct RunPlan {
  bool windowless = false;
  WizardWalk walk;
  // The wizard driven by these actions and answers instead of the walk.
  bool scripted = false;
  std::vector<sim::UserAction> actions;
  std::vector<bool> answers;  // to the Yes/No boxes, in order
  Fault fault;
  // The reinstallation that must succeed where the machine allows one.
  bool reinstallation = false;
};

// What the user does in the run: the walk's actions or the scripted ones.
sim::UserScript ScriptOf(const RunPlan &plan);

// What a run left.
struct RunOutcome {
  int exitCode = -1;           // when the program ended
  bool stopped = false;        // it waited for an answer or action the user never gave
  bool crashed = false;        // a structured exception ended it
  bool chosenCrash = false;    // that crash was the fault's
  std::string harnessError;    // any other exception out of the program
  std::vector<sim::Event> events;
  // The failure messages that were not true when they showed, and why.
  std::vector<std::string> falseFailures;
  // The texts of the message boxes, in order.
  std::vector<std::string> Messages() const;
  // The answer given to the box whose text contains `text`; "" if none showed.
  std::string AnswerTo(const std::string &text) const;
};

// Puts the fault on the machine as a run does (and so into its machine.ini).
void PlaceFault(sim::Machine &machine, const Fault &fault);

// Runs the program on `machine` (loaded, not installed) with `package` as
// its resource. The fault is in place for the run only; the machine is not
// saved. `onMessage` (may be empty) sees each message box as it opens.
RunOutcome RunProgram(sim::Machine &machine, const RunPlan &plan, const std::string &package,
                      const std::function<void(const std::string &)> &onMessage = {});

}  // namespace fleet
