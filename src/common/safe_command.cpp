#include "common/safe_command.h"

#include "common/system_folders.h"
#include "common/text_buffer.h"
#include "platform/win32.h"

namespace {

bool HoldsBlank(const char *text) {
  for (; *text; ++text)
    if (*text == ' ') return true;
  return false;
}

}  // namespace

int FormatProgramCommand(char *out, int size, const char *program, const char *arguments) {
  if (size <= 0) return 0;
  out[0] = '\0';
  const bool quoted = HoldsBlank(program);
  const int needed = lstrlenA(program) + (quoted ? 2 : 0) + (arguments[0] ? 1 + lstrlenA(arguments) : 0);
  if (needed >= size) return 0;
  if (quoted) AppendText(out, size, "\"");
  AppendText(out, size, program);
  if (quoted) AppendText(out, size, "\"");
  if (arguments[0]) {
    AppendText(out, size, " ");
    AppendText(out, size, arguments);
  }
  return 1;
}

int FormatSystemToolCommand(char *out, int size, const char *tool, const char *arguments) {
  char system[kSystemDirSize], program[kSystemDirSize + MAX_PATH];
  if (!ReadSystemFolder(system, sizeof system) || !JoinPath(program, sizeof program, system, tool)) {
    if (size > 0) out[0] = '\0';
    return 0;
  }
  return FormatProgramCommand(out, size, program, arguments);
}
