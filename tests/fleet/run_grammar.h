// The runs the fleet makes: the wizard driven by a random but meaningful
// sequence of the user's actions (choices, clicks into the profile's
// fields, typing ASCII, GBK, too much or nothing, confirms, the quit button
// and the close box on any screen, waits, actions while a box is open,
// every choice of the skin dialog, Esc and its close box), the answers to
// the Yes/No boxes, or the windowless run; and the same run as setup-sim's
// arguments, to replay it.
#pragma once

#include <string>
#include <vector>

#include "fleet/machine_axes.h"
#include "fleet/program_run.h"
#include "random.h"

namespace fleet {

// A wizard run drawn from the grammar, or (a quarter of them) the
// windowless run; no fault.
RunPlan DrawGrammarRun(Random &random);

// The wizard walked through to its end keeping the data, closing the
// programs it names as holding the input method; with the IME interface or
// the TSF one.
RunPlan KeepingReinstallation(bool ime);

// The reinstallation a user makes on a machine that allows one: the
// windowless run, or KeepingReinstallation.
RunPlan DrawReinstallation(Random &random);

// Whether the run installs the IME interface: the windowless run, or a
// wizard whose last choice of interface before its first confirm is IME.
bool ChoosesIme(const RunPlan &run);

// setup-sim's arguments for the run (after --root DIR and --package FILE),
// each one word.
std::vector<std::string> SetupSimArguments(const RunPlan &run);

// The user's actions of a scripted run in one line, as setup-sim spells them.
std::string DescribeScript(const RunPlan &run);

}  // namespace fleet
