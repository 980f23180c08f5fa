// Whether a run tells its outcome truly: what an installation must have
// left for the program to say it is complete, whether a failure it shows
// is a real one at the moment it shows, and whether a machine allows a
// reinstallation to succeed at all.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "fleet/fleet_machine.h"
#include "fleet/program_run.h"

namespace fleet {

// What is wrong with the installation the run left, one line each: a file
// of the package in the installation folder that does not hold what the
// package has, a module in a system folder or the uninstaller that is not
// the one the machine needs, a registration that did not take place. The
// interface is the one the run registered (its events tell).
std::vector<std::string> InstallationProblems(const sim::Machine &machine, const Places &places,
                                              const std::string &package, const std::vector<sim::Event> &events);

// The message boxes of a run that a user cannot read: every caption of the
// program's begins with its name, as the program's own 8-bit texts show
// only when converted from their code page.
std::vector<std::string> UnreadableMessages(const sim::Machine &machine, const RunOutcome &run);

// Whether the run said the installation is complete: the completion
// message, or the windowless run's exit code 0.
bool SuccessTold(const RunPlan &traits, const RunOutcome &run);

// Why a failure message that opens now is not true, "" when it is (or is
// not one this judges). `obstacles` are the upper-case paths where a fault,
// a hold or a mark lies for the run.
std::string FalseFailure(const std::string &text, const sim::Machine &machine, const Places &places,
                         const std::string &package, const std::set<std::string> &obstacles);

// The upper-case paths where something stands in a run's way: its fault,
// and every file held, read-only file or read-only folder of the machine.
std::set<std::string> Obstacles(const sim::Machine &machine, const Fault &fault);

// Why the machine cannot take a reinstallation that succeeds, "" when it
// can: no administrator rights, the installation folder a link, a folder
// the installation writes read-only, a file it must replace held by
// another program, a folder planted where it writes a file, the product the
// default input method of an IME installation.
std::string WhyNoReinstallation(const sim::Machine &machine, const Places &places, const RunPlan &run);

}  // namespace fleet
