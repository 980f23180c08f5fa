// The machine-wide auto-start entry that runs the product's helper program at
// every logon: the value "vovqsjgl" of HKLM\...\CurrentVersion\Run.
#pragma once

// Replaces the value with `command`. Failures end the operation silently.
void WriteAutostartEntry(const char *command);

// Writes the entry for the helper in the installation directory, "vorlkelt.exe
// vo", its path quoted when it holds a blank so that Windows starts that
// program and no other. Written only by the windowless run.
void WriteHelperAutostartEntry();
