// WinExec: commands are recorded, resolved as Windows resolves them, and the
// known programs act on the machine. Nothing runs on the host.
#include "api_support.h"
#include "programs.h"

using sim::M;

// Returns 33 (a value above 31) when a program was found and started, else
// ERROR_FILE_NOT_FOUND; the simulation never reports out-of-memory or a bad
// executable format.
UINT WinExec(LPCSTR commandLine, UINT show) {
  std::string command = sim::AnsiToUtf8(commandLine);
  sim::StartedProgram program = sim::ResolveCommand(M(), command);
  UINT result = program.path.empty() ? ERROR_FILE_NOT_FOUND : 33;
  M().events.Add("exec", {{"command", command},
                          {"show", std::to_string(show)},
                          {"program", program.path},
                          {"result", std::to_string(result)}});
  if (!program.path.empty()) sim::RunProgram(M(), program);
  return result;
}
