#include "shell/conflict_detection.h"

#include "common/program_state.h"
#include "common/texts.h"
#include "package/working_buffer.h"
#include "platform/win32.h"

ConflictState conflicts;

namespace {

const int kClassNameSize = 101;
const int kTitleLength = 200;
// The message is composed in its region from the list; the list is kept
// short enough that the message, with its heading, the line saying how many
// were not listed and its closing sentences, never passes the region's end.
// Windows past that are counted but not listed (hundreds of lines fit).
const int kListLimit = (int)(kConflictMessage.size / sizeof(WCHAR)) - 512;
static_assert(kListLimit * sizeof(WCHAR) <= kConflictList.size, "the list fits its region");
// A line: the number, its terminator and the title with its terminator.
static_assert((16 + kTitleLength + 2) * sizeof(WCHAR) <= kConflictLine.size, "a line fits its region");

WCHAR *BufferText(BufferLayout layout) { return (WCHAR *)WorkingBufferRegion(layout).bytes; }

const char *WatchedClass() { return program.interfaceChoice == 1 ? "STATKELT" : "UIKELT"; }

// The outermost window of the chain above `window`'s parent; null when it
// has none.
HWND OutermostParent(HWND window) {
  HWND parent = GetParent(window);
  if (!parent) return NULL;
  for (HWND next = GetParent(parent); next; next = GetParent(parent)) parent = next;
  return parent;
}

void AddLine(HWND window) {
  HWND outermost = OutermostParent(window);
  if (!outermost) return;
  WCHAR *line = BufferText(kConflictLine);
  WCHAR *list = BufferText(kConflictList);
  wsprintfW(line, kConflictLineFormat, conflicts.count);
  const int numberLength = lstrlenW(line);
  WCHAR *title = line + numberLength + 1;
  title[0] = 0;
  GetWindowTextW(outermost, title, kTitleLength + 1);
  if (lstrlenW(list) + numberLength + lstrlenW(title) + 2 >= kListLimit) {
    ++conflicts.unlisted;
    return;
  }
  lstrcatW(list, line);
  lstrcatW(list, title);
  lstrcatW(list, L"\r\n");
}

BOOL CALLBACK CheckWindow(HWND window, LPARAM) {
  char className[kClassNameSize] = "";
  GetClassNameA(window, className, kClassNameSize - 1);
  if (lstrcmpA(className, WatchedClass()) == 0) {
    ++conflicts.count;
    AddLine(window);
  }
  return TRUE;
}

void ComposeMessage() {
  WCHAR *message = BufferText(kConflictMessage);
  wsprintfW(message, kConflictHeadingFormat, conflicts.count);
  lstrcatW(message, BufferText(kConflictList));
  if (conflicts.unlisted > 0) wsprintfW(message + lstrlenW(message), kConflictMoreFormat, conflicts.unlisted);
  lstrcatW(message, L"\r\n");
  lstrcatW(message, L"\r\n");
  lstrcatW(message, kCloseProgramsText);
  lstrcatW(message, L"\r\n");
  lstrcatW(message, kCannotCloseText);
}

}  // namespace

void ResetConflicts() { conflicts = ConflictState(); }

void FindConflictingPrograms() {
  ResetConflicts();
  if (!HaveWorkingBuffer()) return;
  BufferText(kConflictList)[0] = 0;
  EnumWindows(CheckWindow, 0);
  if (conflicts.count > 0) ComposeMessage();
}

const WCHAR *ConflictMessageText() { return BufferText(kConflictMessage); }

void ProbeImeSharedMemory() {
  conflicts.count = 0;
  HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, TRUE, program.interfaceChoice == 1 ? "morvakkelt80" : "morvakkelt");
  if (!mapping) return;
  CloseHandle(mapping);
  conflicts.count = 1;
}
