#include "fleet/run_grammar.h"

#include <initializer_list>

#include "fleet/random_draws.h"
#include "support/user_actions.h"

namespace fleet {

namespace {

using Kind = sim::UserAction::Kind;

using testing_support::Action;
using testing_support::Click;
using testing_support::DialogClick;
using testing_support::QuitPrograms;
using testing_support::Typed;
using testing_support::Waited;

// The wizard's buttons, choices and fields, in client coordinates.
const sim::UserAction kConfirm = Click(90, 257);
const sim::UserAction kQuit = Click(310, 257);
const sim::UserAction kChoices[] = {Click(200, 200), Click(320, 200), Click(200, 225), Click(320, 225)};
const sim::UserAction kFields[] = {Click(140, 170), Click(140, 140), Click(140, 200)};  // name, phone, password
const sim::UserAction kNowhere = Click(200, 60);
const int kSkinChoices[] = {101, 102, 106, 107, 110, 111, 112};
const int kSkinOk = 105;

// What the user types into a field.
std::string DrawText(Random &random) {
  static const char *const kGbk[] = {u8"张三", u8"李四光", u8"王五", u8"中文输入", u8"智能"};
  switch (Weighted(random, {30, 30, 15, 10, 15})) {
    case 0: return "user" + std::to_string(random.Below(10000));
    case 1: return kGbk[random.Below(5)];
    case 2: return "";
    case 3: return "\b\b\b";
    default: {
      std::string text;
      const uint32_t length = 20 + random.Below(280);
      while (text.size() < length) text += Chance(random, 50) ? std::string(u8"很长的名字") : "LongName";
      return text;
    }
  }
}

// How the user leaves a screen: on, the quit button, the close box, or not
// at all (the run then waits for them).
void Leave(Random &random, uint32_t onPercent, std::vector<sim::UserAction> *actions, bool *ended) {
  switch (Weighted(random, {onPercent, 5, 5, 2})) {
    case 0: actions->push_back(kConfirm); return;
    case 1: actions->push_back(kQuit); break;
    case 2: actions->push_back(Action(Kind::kClose)); break;
    default: break;
  }
  *ended = true;
}

void IntroScreen(Random &random, std::vector<sim::UserAction> *actions) {
  for (uint32_t n = random.Below(4); n > 0; --n)
    actions->push_back(Chance(random, 85) ? kChoices[random.Below(4)] : kNowhere);
}

void ProfileScreen(Random &random, std::vector<sim::UserAction> *actions) {
  for (uint32_t n = random.Below(4); n > 0; --n) {
    actions->push_back(kFields[random.Below(3)]);
    actions->push_back(Typed(DrawText(random)));
  }
  if (Chance(random, 10)) actions->push_back(Action(Kind::kRightClick, 90, 257));
}

// While the installation shows its boxes: the close box or a click behind
// the box, which the wizard holds back or ignores.
void DuringBoxes(Random &random, std::vector<sim::UserAction> *actions) {
  if (!Chance(random, 8)) return;
  sim::UserAction action = Chance(random, 50) ? Action(Kind::kClose) : kQuit;
  action.duringMessageBox = true;
  actions->push_back(action);
}

// The programs the installation names as holding the input method are
// closed, and the user confirms again.
void ConflictsClosed(Random &random, std::vector<sim::UserAction> *actions) {
  if (!Chance(random, 30)) return;
  actions->push_back(QuitPrograms("STATKELT"));
  actions->push_back(QuitPrograms("UIKELT"));
  actions->push_back(kConfirm);
}

void SkinDialog(Random &random, std::vector<sim::UserAction> *actions, bool *ended) {
  for (uint32_t n = random.Below(4); n > 0; --n) {
    switch (Weighted(random, {80, 10, 10})) {
      case 0: actions->push_back(DialogClick(kSkinChoices[random.Below(7)])); break;
      case 1: actions->push_back(Action(Kind::kDialogEscape)); break;
      default: actions->push_back(Action(Kind::kDialogClose)); break;
    }
  }
  if (Chance(random, 94)) actions->push_back(DialogClick(kSkinOk));
  else *ended = true;
}

// The finish screen of a 64-bit Windows: its timer, its buttons, its close box.
void FinishScreen(Random &random, std::vector<sim::UserAction> *actions) {
  switch (Weighted(random, {40, 20, 10, 10, 10, 10})) {
    case 0: break;
    case 1: actions->push_back(Waited(500 + random.Below(3000))); break;
    case 2: actions->push_back(kQuit); break;
    case 3: actions->push_back(Action(Kind::kClose)); break;
    case 4: actions->push_back(kConfirm); break;
    default: actions->insert(actions->end(), {kConfirm, kConfirm}); break;
  }
}

std::vector<bool> DrawAnswers(Random &random) {
  std::vector<bool> answers;
  for (uint32_t n = uint32_t(Weighted(random, {12, 70, 18})); n > 0; --n) answers.push_back(!Chance(random, 30));
  return answers;
}

// A word of setup-sim's command line for one action; the words of a box's
// action are preceded by --during-box.
std::vector<std::string> ActionWords(const sim::UserAction &action) {
  std::vector<std::string> words;
  if (action.duringMessageBox) words.push_back("--during-box");
  const std::string point = std::to_string(action.x) + "," + std::to_string(action.y);
  switch (action.kind) {
    case Kind::kClick: words.insert(words.end(), {"--click", point}); break;
    case Kind::kRightClick: words.insert(words.end(), {"--right-click", point}); break;
    case Kind::kType: words.insert(words.end(), {"--type", action.text}); break;
    case Kind::kClose: words.push_back("--close"); break;
    case Kind::kWait: words.insert(words.end(), {"--wait", std::to_string(action.ms)}); break;
    case Kind::kQuitPrograms: words.insert(words.end(), {"--quit-programs", action.text}); break;
    case Kind::kDialogClick: words.insert(words.end(), {"--dialog-click", std::to_string(action.controlId)}); break;
    case Kind::kDialogEscape: words.push_back("--dialog-escape"); break;
    case Kind::kDialogClose: words.push_back("--dialog-close"); break;
  }
  return words;
}

}  // namespace

RunPlan DrawGrammarRun(Random &random) {
  RunPlan run;
  run.windowless = Chance(random, 25);
  if (run.windowless) return run;
  run.scripted = true;
  std::vector<sim::UserAction> &actions = run.actions;
  bool ended = false;
  IntroScreen(random, &actions);
  Leave(random, 88, &actions, &ended);
  if (!ended) ProfileScreen(random, &actions), Leave(random, 90, &actions, &ended);
  if (!ended) {
    if (Chance(random, 10)) actions.push_back(Waited(random.Below(2000)));
    Leave(random, 90, &actions, &ended);
  }
  if (!ended) {
    DuringBoxes(random, &actions);
    ConflictsClosed(random, &actions);
    SkinDialog(random, &actions, &ended);
  }
  if (!ended) FinishScreen(random, &actions);
  run.answers = DrawAnswers(random);
  return run;
}

RunPlan KeepingReinstallation(bool ime) {
  RunPlan run;
  run.scripted = true;
  if (ime) run.actions.push_back(kChoices[3]);
  run.actions.insert(run.actions.end(), {kConfirm, kConfirm, QuitPrograms("STATKELT"), QuitPrograms("UIKELT"), kConfirm,
                                         DialogClick(kSkinOk)});
  run.answers = {true};
  return run;
}

RunPlan DrawReinstallation(Random &random) {
  const bool windowless = Chance(random, 30);
  RunPlan run = KeepingReinstallation(Chance(random, 40));
  if (windowless) run = RunPlan(), run.windowless = true;
  run.reinstallation = true;
  return run;
}

bool ChoosesIme(const RunPlan &run) {
  if (run.windowless) return true;
  if (!run.scripted) return run.walk.ime;
  bool ime = false;
  for (const sim::UserAction &action : run.actions) {
    if (action.kind != Kind::kClick || action.duringMessageBox) continue;
    if (action.x == kConfirm.x && action.y == kConfirm.y) break;
    if (action.y == kChoices[2].y) ime = action.x == kChoices[3].x;
  }
  return ime;
}

std::vector<std::string> SetupSimArguments(const RunPlan &run) {
  std::vector<std::string> words;
  if (run.windowless) return {"--", "setvosrf32"};
  const sim::UserScript script = ScriptOf(run);
  for (bool answer : script.yesNoAnswers) words.insert(words.end(), {"--answer", answer ? "yes" : "no"});
  for (const sim::UserAction &action : script.actions)
    for (const std::string &word : ActionWords(action)) words.push_back(word);
  return words;
}

std::string DescribeScript(const RunPlan &run) {
  std::string text;
  for (const std::string &word : SetupSimArguments(run)) {
    std::string shown = word;
    for (size_t at = 0; (at = shown.find('\b', at)) != std::string::npos;) shown.replace(at, 1, "\\b");
    const bool quote = shown.empty() || shown.find(' ') != std::string::npos;
    text += (text.empty() ? "" : " ") + (quote ? "'" + shown + "'" : shown);
  }
  return text;
}

}  // namespace fleet
