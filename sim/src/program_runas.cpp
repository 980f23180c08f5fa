// runas: starts a command under a restricted trust level. Only the form
// without a user (/trustlevel:LEVEL COMMAND) runs here; the forms that ask
// for a user's password do nothing (narrower than Windows).
#include "programs.h"
#include "simmachine/machine.h"
#include "system_programs.h"

namespace sim {

bool RunRunas(Machine &machine, const StartedProgram &program) {
  if (!IsProgramNamed(program.path, "runas.exe")) return false;
  const ToolArguments arguments = SplitToolArguments(program.arguments);
  const std::string prefix = "/trustlevel:";
  if (arguments.options.size() != 1 || arguments.options[0].compare(0, prefix.size(), prefix) != 0 ||
      arguments.operand.empty())
    return true;
  const StartedProgram started = ResolveCommand(machine, arguments.operand);
  machine.events.Add("runas", {{"command", arguments.operand},
                               {"trustlevel", arguments.options[0].substr(prefix.size())},
                               {"program", started.path}});
  if (!started.path.empty()) RunProgram(machine, started);
  return true;
}

}  // namespace sim
