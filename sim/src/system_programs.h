// The system tools the program starts, acted out on the simulated machine.
// Each Run* answers whether the started program was that tool.
#pragma once

#include <string>
#include <vector>

namespace sim {

class Machine;
struct StartedProgram;

// regsvr32 [/s] MODULE: the registration the module's own code would make.
bool RunRegsvr32(Machine &machine, const StartedProgram &program);
// runas /trustlevel:LEVEL COMMAND: starts the command at that trust level.
bool RunRunas(Machine &machine, const StartedProgram &program);

// Whether `path` names a file of that name (any case), in any folder.
bool IsProgramNamed(const std::string &path, const char *fileName);

// A tool's command line taken apart: the options that start with '/', in
// order, and the one operand after them without its enclosing quotes.
struct ToolArguments {
  std::vector<std::string> options;
  std::string operand;
};
ToolArguments SplitToolArguments(const std::string &arguments);

}  // namespace sim
