// Finding and running the programs that WinExec starts.
#include "programs.h"

#include "simmachine/code_page.h"
#include "simmachine/machine.h"
#include "system_programs.h"

namespace sim {
namespace {

bool HasFolder(const std::string &name) {
  return name.find('\\') != std::string::npos || name.find('/') != std::string::npos ||
         name.find(':') != std::string::npos;
}

bool HasExtension(const std::string &name) {
  size_t dot = name.find_last_of('.');
  size_t slash = name.find_last_of("\\/");
  return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

// The first file that exists among the candidates for `name`.
std::string FindProgram(Machine &machine, const std::string &name) {
  std::string file = HasExtension(name) ? name : name + ".exe";
  if (HasFolder(file)) return machine.files.Exists(file) ? file : "";
  const Profile &p = machine.profile;
  // The program's folder, then the current folder (the same folder here, as
  // the program is started from where it lies), the system folders, Windows.
  for (const std::string &folder : {p.appDir, p.systemDir, p.windowsDir + "\\System", p.windowsDir}) {
    std::string candidate = folder + "\\" + file;
    if (machine.files.Exists(candidate) && !machine.files.IsDirectory(candidate)) return candidate;
  }
  return "";
}

// The demo package's helper programs are one stub that carries this marker
// and appends "<its file name in lower case> <arguments>" and CRLF to
// helper-log.txt beside itself (payload/helper_stub.c). Acting it out here
// gives the same log as the real stub under Wine.
const char kHelperStubMarker[] = "QELVO-DEMO-HELPER-STUB";

void RunHelperStub(Machine &machine, const StartedProgram &program) {
  std::string content;
  if (!machine.files.ReadFile(program.path, &content) || content.find(kHelperStubMarker) == std::string::npos) return;
  const size_t slash = program.path.find_last_of("\\/");
  std::string name = program.path.substr(slash + 1);
  for (char &c : name)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  const std::string log = program.path.substr(0, slash + 1) + "helper-log.txt";
  std::string text;
  machine.files.ReadFile(log, &text);
  text += Utf8ToCodePage(machine.profile.ansiCodePage,
                         name + (program.arguments.empty() ? "" : " " + program.arguments) + "\r\n");
  machine.files.WriteFile(log, text);
}

}  // namespace

StartedProgram ResolveCommand(Machine &machine, const std::string &commandLine) {
  size_t start = commandLine.find_first_not_of(' ');
  if (start == std::string::npos) return {};
  if (commandLine[start] == '"') {
    size_t close = commandLine.find('"', start + 1);
    std::string name = commandLine.substr(start + 1, close == std::string::npos ? std::string::npos : close - start - 1);
    std::string rest = close == std::string::npos ? "" : commandLine.substr(close + 1);
    size_t argumentStart = rest.find_first_not_of(' ');
    return {FindProgram(machine, name), argumentStart == std::string::npos ? "" : rest.substr(argumentStart)};
  }
  // An unquoted name with blanks is ambiguous: Windows tries the text up to
  // each blank in turn ("C:\Program" before "C:\Program Files\...").
  size_t blank = commandLine.find(' ', start);
  while (true) {
    std::string name = commandLine.substr(start, blank == std::string::npos ? std::string::npos : blank - start);
    std::string path = FindProgram(machine, name);
    if (!path.empty() || blank == std::string::npos) {
      std::string rest = blank == std::string::npos ? "" : commandLine.substr(blank);
      size_t argumentStart = rest.find_first_not_of(' ');
      return {path, argumentStart == std::string::npos ? "" : rest.substr(argumentStart)};
    }
    blank = commandLine.find(' ', blank + 1);
  }
}

void RunProgram(Machine &machine, const StartedProgram &program) {
  if (RunRegsvr32(machine, program)) return;
  if (RunRunas(machine, program)) return;
  RunHelperStub(machine, program);
}

}  // namespace sim
