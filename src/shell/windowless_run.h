// The windowless run: the whole installation without a window, as the
// command word "setvosrf32" asks for.
#pragma once

// Acquires the package resource and the working buffer that the wizard
// otherwise acquires at window creation, runs the install driver and frees
// the working buffer. A missing package or buffer is reported by the
// installation steps that need them.
void RunWindowless();
