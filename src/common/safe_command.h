// Command lines that start the program they mean to start. A bare tool name
// would be looked for first in the folder the installer was started from
// (typically the user's downloads), and an unquoted path holding a blank
// lets "C:\Program.exe" run instead of "C:\Program Files\...": both would
// run a planted program with administrator rights.
#pragma once

// Writes into `out` of `size` bytes the program path, in quotation marks
// when it holds a blank, then a blank and `arguments` unless they are empty.
// Returns 1 when the whole command fits; otherwise `out` is empty and 0 is
// returned, so that a cut command is never started.
int FormatProgramCommand(char *out, int size, const char *program, const char *arguments);

// The same for a system tool ("icacls.exe"), named by its full path in the
// system folder.
int FormatSystemToolCommand(char *out, int size, const char *tool, const char *arguments);
