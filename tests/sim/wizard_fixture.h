// The wizard window opened on a simulated machine as the program opens it,
// with the built package as its resource.
#pragma once

#include <gtest/gtest.h>

#include "common/install_dir.h"
#include "common/os_detection.h"
#include "shell/main_window.h"
#include "simmachine/machine.h"

namespace wizard_fixture {

// Finds the facts about Windows and the installation directory as the
// program's start does, registers the window class and creates the wizard
// window (its resources, backup and first paint included).
inline void OpenWizard(sim::Machine &machine) {
  machine.process.packagePath = VOZ_PACKAGE_FILE;
  DetectWindows();
  ComputeInstallDir();
  HINSTANCE instance = GetModuleHandleA(nullptr);
  ASSERT_TRUE(RegisterMainWindowClass(instance));
  ASSERT_TRUE(CreateMainWindow(instance, SW_SHOWNORMAL));
}

}  // namespace wizard_fixture
