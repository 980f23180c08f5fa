// progress_bench: what drawing the progress bar costs the extraction.
//
//   progress_bench [PACKAGE] [RUNS]
//
// Extracts the demo package on the simulated machine with the wizard window
// open and installing (the bar drawn into it once per entry) and the same
// extraction without a window (the windowless run: progress only counted).
// Prints the best of RUNS runs of each (default 5, taking turns), the number
// of bars drawn and the ratio with the window / without. Both write into
// emptied folders.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "common/install_dir.h"
#include "common/os_detection.h"
#include "common/program_state.h"
#include "common/progress.h"
#include "package/archive_reader.h"
#include "package/package_data.h"
#include "package/working_buffer.h"
#include "shell/main_window.h"
#include "simmachine/machine.h"
#include "ui/progress_bar.h"

namespace {

using Clock = std::chrono::steady_clock;

int barsDrawn = 0;

void CountAndDraw(int step, int total) {
  ++barsDrawn;
  UpdateProgress(step, total);
}

// One extraction into an emptied installation directory, in seconds.
double TimeExtraction(sim::Machine &machine) {
  const std::filesystem::path installed = machine.files.HostPath(installDir);
  std::filesystem::remove_all(installed);
  std::filesystem::create_directories(installed);
  barsDrawn = 0;
  ResetProgress(110);
  const Clock::time_point start = Clock::now();
  if (!ExtractArchive(carriedPackage.data, carriedPackage.size, WorkingBufferRegion(kUnpackScratch).bytes,
                      kUnpackScratch.size, nullptr))
    std::exit(1);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  machine.events.Clear();
  return seconds;
}

// With the window installing and the bar drawn, or as the windowless run.
void DrawProgress(bool drawn) {
  program.runMode = drawn ? kRunModeWizard : kRunModeWindowless;
  if (drawn) SetProgressHooks(CountAndDraw, RepaintInstallScreen);
  else SetProgressHooks(nullptr, nullptr);
}

}  // namespace

int main(int argc, char **argv) {
  const std::string package = argc > 1 ? argv[1] : VOZ_PACKAGE_FILE;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  const std::filesystem::path root =
      std::filesystem::temp_directory_path() / ("progress-bench-" + std::to_string(getpid()));
  std::unique_ptr<sim::Machine> machine = sim::Machine::CreateFromPreset("win10-x64", root);
  sim::Machine::Install(machine.get());
  machine->process.packagePath = package;
  DetectWindows();
  ComputeInstallDir();
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!RegisterMainWindowClass(instance) || !CreateMainWindow(instance, SW_SHOWNORMAL) || !carriedPackage.data) {
    std::fprintf(stderr, "progress_bench: cannot open the wizard with %s\n", package.c_str());
    return 1;
  }
  program.wizardState = 7;
  // The two kinds of run take turns, so that neither gains from going first.
  double drawn = 1e9, counted = 1e9;
  int bars = 0;
  for (int run = 0; run < runs; ++run) {
    DrawProgress(true);
    drawn = std::min(drawn, TimeExtraction(*machine));
    bars = barsDrawn;
    DrawProgress(false);
    counted = std::min(counted, TimeExtraction(*machine));
  }
  std::printf("package: %s, %u bytes\n", package.c_str(), static_cast<unsigned>(carriedPackage.size));
  std::printf("extraction with the bar drawn: %.3f s (%d bars)\n", drawn, bars);
  std::printf("extraction without a window:   %.3f s\n", counted);
  std::printf("ratio drawn / without: %.2f, best of %d runs\n", drawn / counted, runs);
  sim::Machine::Install(nullptr);
  machine.reset();
  std::filesystem::remove_all(root);
  return 0;
}
