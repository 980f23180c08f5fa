// The IME interface's registration, in the install driver's order.
#pragma once

// Installs the IME module through IMM32, or registers its keyboard layout by
// hand when that fails; on Windows 5 and earlier gives the product's layout
// the second place in the preload list; then copies the IME modules once more
// (the modules-only deployment pass).
void RegisterImeInterface();
