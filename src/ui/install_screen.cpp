#include "ui/install_screen.h"

void RepaintInstallScreen() {}
