// install_bench: the interactive installation against the windowless one.
//
//   install_bench [RUNS]
//
// Installs the demo package on fresh simulated win10-x64 machines, once
// through the wizard (the intro, profile and install screens confirmed, the
// skin dialog's OK, the completion message) and once without a window
// ("setvosrf32"), taking turns. The program's pauses and its timer pass in
// virtual time, so the wall time is the work itself. Prints the best of RUNS
// runs of each (default 5) and the ratio interactive / windowless.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "shell/program_entry.h"
#include "simmachine/machine.h"

namespace {

using Clock = std::chrono::steady_clock;

sim::UserAction Click(int x, int y) {
  sim::UserAction action;
  action.x = x, action.y = y;
  return action;
}

// One installation on a fresh machine; the seconds it took, or -1 when the
// program did not end normally.
double Install(const std::filesystem::path &root, bool interactive) {
  std::filesystem::remove_all(root);
  std::unique_ptr<sim::Machine> machine = sim::Machine::CreateFromPreset("win10-x64", root);
  machine->process.packagePath = VOZ_PACKAGE_FILE;
  if (interactive) {
    for (const sim::UserAction &action : {Click(90, 257), Click(90, 257), Click(90, 257)})
      machine->script.actions.push_back(action);
    sim::UserAction ok;
    ok.kind = sim::UserAction::Kind::kDialogClick, ok.controlId = 105;
    machine->script.actions.push_back(ok);
  }
  sim::Machine::Install(machine.get());
  std::vector<char> commandLine;
  for (char c : std::string(interactive ? "" : "setvosrf32")) commandLine.push_back(c);
  commandLine.push_back('\0');
  const Clock::time_point start = Clock::now();
  int exitCode = -1;
  try {
    exitCode = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWNORMAL);
  } catch (const sim::ScriptExhausted &) {
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  sim::Machine::Install(nullptr);
  return exitCode == 0 ? seconds : -1;
}

}  // namespace

int main(int argc, char **argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
  const std::filesystem::path root =
      std::filesystem::temp_directory_path() / ("install-bench-" + std::to_string(getpid()));
  double interactive = 1e9, windowless = 1e9;
  for (int run = 0; run < runs; ++run) {
    const double wizard = Install(root / "wizard", true), plain = Install(root / "plain", false);
    if (wizard < 0 || plain < 0) {
      std::fprintf(stderr, "install_bench: an installation did not end normally\n");
      return 1;
    }
    interactive = std::min(interactive, wizard);
    windowless = std::min(windowless, plain);
  }
  std::filesystem::remove_all(root);
  std::printf("interactive installation: %.3f s\n", interactive);
  std::printf("windowless installation:  %.3f s\n", windowless);
  std::printf("ratio interactive / windowless: %.2f (at most 2), best of %d runs\n", interactive / windowless, runs);
  return 0;
}
