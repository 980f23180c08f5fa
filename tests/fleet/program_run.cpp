#include "fleet/program_run.h"

#include <exception>

#include "fleet/fleet_machine.h"
#include "shell/program_entry.h"
#include "simmachine/structured_exception.h"
#include "support/program_state_reset.h"
#include "support/user_actions.h"

namespace fleet {

namespace {

using Kind = sim::UserAction::Kind;

const uint32_t kReadOnly = 0x1;

using testing_support::Action;
using testing_support::Click;
using testing_support::DialogClick;

// The wizard's buttons and choices, in client coordinates.
const sim::UserAction kConfirm = Click(90, 257);
const sim::UserAction kQuit = Click(310, 257);
const sim::UserAction kPinyin = Click(200, 200);
const sim::UserAction kIme = Click(300, 225);

void WalkScript(const WizardWalk &walk, sim::UserScript *script) {
  if (walk.pinyin) script->actions.push_back(kPinyin);
  if (walk.ime) script->actions.push_back(kIme);
  for (int i = 0; i < walk.confirms; ++i) script->actions.push_back(kConfirm);
  if (walk.confirms >= 3 && walk.skinOk) {
    script->actions.push_back(DialogClick(105));
  }
  if (walk.leave == WizardWalk::Leave::kQuitButton) script->actions.push_back(kQuit);
  if (walk.leave == WizardWalk::Leave::kCloseBox) script->actions.push_back(Action(Kind::kClose));
  if (walk.keep != WizardWalk::Keep::kUnanswered) script->yesNoAnswers.push_back(walk.keep == WizardWalk::Keep::kYes);
}


void LiftFault(sim::Machine &machine, const Fault &fault) {
  switch (fault.kind) {
    case Fault::Kind::kNone: break;
    case Fault::Kind::kCrashOnWrite:
    case Fault::Kind::kShortWrite:
    case Fault::Kind::kFullDisk: DropStateLines(machine, {"crash_on_write", "short_write"}); break;
    case Fault::Kind::kHeld: machine.files.ClearInUse(fault.path); break;
    case Fault::Kind::kReadOnly:
      if (machine.files.Exists(fault.path) && !IsLink(machine, fault.path))
        machine.files.SetAttributesOf(fault.path, machine.files.AttributesOf(fault.path) & ~kReadOnly);
      break;
  }
}

bool CrashStillArmed(const sim::Machine &machine) {
  return machine.files.StateIni().find("crash_on_write = ") != std::string::npos;
}

}  // namespace

void PlaceFault(sim::Machine &machine, const Fault &fault) {
  switch (fault.kind) {
    case Fault::Kind::kNone: break;
    case Fault::Kind::kCrashOnWrite: machine.files.SetCrashOnWrite(fault.path); break;
    case Fault::Kind::kShortWrite: machine.files.SetShortWrite(fault.path, fault.bytes); break;
    case Fault::Kind::kFullDisk:
      machine.files.SetShortWrite(fault.path, fault.bytes);
      for (const std::string &path : fault.morePaths) machine.files.SetShortWrite(path, 0);
      break;
    // A link there (a dangling one too) is not held: the hold would land
    // on its target, and stay there once the program replaced the link.
    case Fault::Kind::kHeld:
      if (!IsLink(machine, fault.path)) machine.files.SetInUse(fault.path, fault.how);
      break;
    // A file link planted there stays as it is: the mark is the file's own.
    case Fault::Kind::kReadOnly:
      if (machine.files.Exists(fault.path) && !IsLink(machine, fault.path))
        machine.files.SetAttributesOf(fault.path, machine.files.AttributesOf(fault.path) | kReadOnly);
      break;
  }
}

sim::UserScript ScriptOf(const RunPlan &plan) {
  sim::UserScript script;
  if (plan.windowless) return script;
  if (!plan.scripted) {
    WalkScript(plan.walk, &script);
    return script;
  }
  script.actions.assign(plan.actions.begin(), plan.actions.end());
  script.yesNoAnswers.assign(plan.answers.begin(), plan.answers.end());
  return script;
}

std::vector<std::string> RunOutcome::Messages() const {
  std::vector<std::string> texts;
  for (const sim::Event &event : events)
    if (event.kind == "messagebox") texts.push_back(event.Field("text"));
  return texts;
}

std::string RunOutcome::AnswerTo(const std::string &text) const {
  for (const sim::Event &event : events)
    if (event.kind == "messagebox" && event.Field("text").find(text) != std::string::npos)
      return event.Field("answer");
  return "";
}

RunOutcome RunProgram(sim::Machine &machine, const RunPlan &plan, const std::string &package,
                      const std::function<void(const std::string &)> &onMessage) {
  machine.process.packagePath = package;
  machine.user.messageBoxObserver = onMessage;
  machine.script = ScriptOf(plan);
  PlaceFault(machine, plan.fault);
  sim::Machine::Install(&machine);
  testing_support::ResetProgramState();
  RunOutcome outcome;
  char windowless[] = "setvosrf32";
  char wizard[] = "";
  try {
    char *commandLine = plan.windowless ? windowless : wizard;
    outcome.exitCode = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWNORMAL);
  } catch (const sim::ScriptExhausted &) {
    outcome.stopped = true;
  } catch (const sim::StructuredException &) {
    outcome.crashed = true;
    outcome.chosenCrash = plan.fault.kind == Fault::Kind::kCrashOnWrite && !CrashStillArmed(machine);
  } catch (const std::exception &error) {
    outcome.harnessError = error.what();
  }
  testing_support::ResetProgramState();
  sim::Machine::Install(nullptr);
  machine.user.messageBoxObserver = nullptr;
  LiftFault(machine, plan.fault);
  outcome.events = machine.events.events();
  return outcome;
}

}  // namespace fleet
