// Programs the simulated machine can start: how a command line is resolved to
// a program file the way Windows searches for it, and what the known programs
// do when started.
#pragma once

#include <string>

namespace sim {

class Machine;

struct StartedProgram {
  std::string path;       // the program file found, UTF-8 Windows path; "" if none
  std::string arguments;  // the command line after the program name
};

// Resolves the program of a command line (8-bit text, already converted to
// UTF-8) as WinExec does: a quoted name, or the text up to the first blank;
// ".exe" is added when the name has no extension; a name without a folder is
// looked for in the program's folder, the current folder, the system folder,
// the Windows folder.
StartedProgram ResolveCommand(Machine &machine, const std::string &commandLine);

// Runs what the started program does on this machine (system tools and the
// product's helpers); unknown programs do nothing visible.
void RunProgram(Machine &machine, const StartedProgram &program);

}  // namespace sim
