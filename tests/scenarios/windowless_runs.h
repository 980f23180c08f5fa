// Windowless installations ("setvosrf32") through setup-sim, shared by the
// scenario checks: a whole installation is the slow part of a scenario, and
// the checks only read what it left, so each preset's installation runs once
// in the test program and every check of it reads the same result.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "simmachine/event_log.h"
#include "simmachine/machine.h"

namespace windowless_runs {

const char kInstallDir[] = "C:\\Program Files\\morvak8\\";

// What one setup-sim run left: its output, the machine and its events.
struct Installation {
  std::filesystem::path root;
  std::string output;
  std::unique_ptr<sim::Machine> machine;
  sim::EventLog events;

  const sim::Machine *operator->() const { return machine.get(); }
  const sim::Machine &operator*() const { return *machine; }
};

// Runs the windowless installation on the machine in `root` (made from
// `preset` when there is none), expecting the program's exit code
// `exitCode`, and loads the machine it leaves.
Installation RunWindowless(const std::filesystem::path &root, const std::string &preset = "", int exitCode = 0);

// The windowless installation on a fresh machine of `preset`; run the first
// time it is asked for.
const Installation &FreshInstall(const std::string &preset);

// A second windowless installation over a copy of FreshInstall(preset)'s
// machine; run the first time it is asked for.
const Installation &Reinstall(const std::string &preset);

// The values of `field` of every event of `kind`, in order.
std::vector<std::string> Fields(const Installation &run, const std::string &kind, const std::string &field);

}  // namespace windowless_runs
