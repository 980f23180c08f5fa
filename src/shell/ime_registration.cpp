#include "shell/ime_registration.h"

#include "common/os_detection.h"
#include "package/module_deployment.h"
#include "registration/keyboard_layout.h"
#include "registration/preload_list.h"
#include "shell/deployment_pass.h"

void RegisterImeInterface() {
  if (!InstallImeModule()) RegisterKeyboardLayout();
  // From Windows Vista on the preload list is not reordered.
  if (windowsFacts.osMajorVersion <= 5) {
    FindOwnPreloadEntry();
    MoveOwnEntryToSecond();
  }
  RunDeploymentPass(kModulesOnlyPass);
}
