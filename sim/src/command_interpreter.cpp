// The command interpreter behind the C runtime's _popen: it finds the program
// of a command line, runs what the simulated machine knows of it and hands
// its standard output to the caller as a stream it reads to the end.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "api_support.h"
#include "program_icacls.h"
#include "programs.h"

using sim::M;

namespace {

// cmd.exe in the system folder, command.com in the Windows folder on 9x; the
// process's own view of the system folder (syswow64 for a 32-bit program on
// 64-bit Windows).
std::string InterpreterPath(const sim::Profile &profile) {
  return profile.family == sim::Family::Win9x ? profile.windowsDir + "\\command.com" : profile.systemDir + "\\cmd.exe";
}

std::string LowerFileName(const std::string &path) {
  std::string name = path.substr(path.find_last_of('\\') + 1);
  for (char &c : name)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return name;
}

// What the program writes to its standard output (UTF-8); programs whose
// output the simulation does not know write nothing.
std::string ConsoleOutput(sim::Machine &machine, const sim::StartedProgram &program) {
  if (LowerFileName(program.path) == "icacls.exe") return sim::RunIcacls(machine, program.arguments);
  sim::RunProgram(machine, program);
  return "";
}

// Text mode: each CR LF arrives as a single LF.
std::string TextMode(const std::string &bytes) {
  std::string text;
  for (size_t i = 0; i < bytes.size(); ++i)
    if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) text += bytes[i];
  return text;
}

// A stream that holds its own copy of `output`, read from the start.
FILE *StreamOf(const std::string &output) {
  if (output.empty()) return std::fopen("/dev/null", "r");
  // One byte more than the text: the C library keeps the last byte of a
  // stream's own buffer for a terminator.
  FILE *stream = fmemopen(nullptr, output.size() + 1, "w+");
  if (!stream) return nullptr;
  if (std::fwrite(output.data(), 1, output.size(), stream) != output.size() || std::fseek(stream, 0, SEEK_SET) != 0) {
    std::fclose(stream);
    return nullptr;
  }
  return stream;
}

}  // namespace

// Reading pipes only (narrower than Windows). The interpreter finds the
// program as WinExec does (narrower than cmd.exe, which searches the current
// folder and then PATH); a command it cannot find gives an empty stream, as
// cmd.exe reports that on standard error.
FILE *SimCrtPopen(const char *command, const char *mode) {
  sim::Machine &machine = M();
  if (!command || !mode || mode[0] != 'r') {
    errno = EINVAL;
    return nullptr;
  }
  uint32_t attributes = 0;
  if (machine.files.GetAttributes(sim::Utf8ToUtf16(InterpreterPath(machine.profile)), &attributes) != 0) {
    errno = ENOENT;
    return nullptr;
  }
  const std::string line = sim::AnsiToUtf8(command);
  const sim::StartedProgram program = sim::ResolveCommand(machine, line);
  machine.events.Add("pipe", {{"command", line}, {"program", program.path}});
  std::string output = program.path.empty() ? "" : ConsoleOutput(machine, program);
  output = sim::Utf8ToCodePage(machine.profile.oemCodePage, output);
  if (!std::strchr(mode, 'b')) output = TextMode(output);
  FILE *stream = StreamOf(output);
  if (stream) machine.process.openPipes.insert(stream);
  return stream;
}

// The exit code is always 0 (narrower than Windows).
int SimCrtPclose(FILE *stream) {
  if (M().process.openPipes.erase(stream) == 0) {
    errno = EINVAL;
    return -1;
  }
  std::fclose(stream);
  return 0;
}
