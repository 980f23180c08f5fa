#include "common/safe_command.h"

#include "common/program_state.h"
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
  char program[kSystemDirSize + MAX_PATH];
  const UINT length = GetSystemDirectoryA(program, kSystemDirSize);
  if (length == 0 || length >= (UINT)kSystemDirSize || lstrlenA(tool) >= MAX_PATH - 1) {
    if (size > 0) out[0] = '\0';
    return 0;
  }
  EnsureTrailingBackslash(program, sizeof program);
  AppendText(program, sizeof program, tool);
  return FormatProgramCommand(out, size, program, arguments);
}
