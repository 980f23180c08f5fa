#include "registration/layout_id.h"

#include "common/os_detection.h"
#include "common/text_buffer.h"

const char kKeyboardLayoutsKey[] = "System\\CurrentControlSet\\Control\\Keyboard Layouts";

namespace {

const DWORD kLayoutIdFloor = 0xE0000804;
const DWORD kLayoutIdFloorBig5 = 0xE0000404;
const DWORD kLayoutIdStep = 0x10000;

}  // namespace

const char *LayoutLanguagePart(int codePage) { return codePage == kTraditionalCodePage ? "404" : "804"; }

void ReplaceLanguagePart(char *id, int size, int codePage) {
  const int length = lstrlenA(id);
  id[length >= 3 ? length - 3 : 0] = '\0';
  AppendText(id, size, LayoutLanguagePart(codePage));
}

int MakeNewLayoutId(DWORD largest, int codePage, char *id, int size) {
  const DWORD floor = codePage == kTraditionalCodePage ? kLayoutIdFloorBig5 : kLayoutIdFloor;
  const DWORD base = largest < floor ? floor : largest;
  // Past FFFF the sum would wrap to a small id such as 00000804, which
  // names a keyboard of the system.
  if (base > 0xFFFFFFFF - kLayoutIdStep) return 0;
  char text[16];
  wsprintfA(text, "%lx", base + kLayoutIdStep);
  SetLayoutIdCase(text, 1);
  CopyText(id, size, text);
  ReplaceLanguagePart(id, size, codePage);
  return 1;
}

int ReadLayoutNumber(const char *name, DWORD *number) {
  DWORD value = 0;
  int digits = 0;
  for (;; ++digits, ++name) {
    const char c = *name;
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else break;
    value = value * 16 + (DWORD)digit;
  }
  if (digits == 0) return 0;
  *number = value;
  return 1;
}

void SetLayoutIdCase(char *id, int upper) {
  for (; *id; ++id) {
    if (upper && *id >= 'a' && *id <= 'z') *id = (char)(*id - 32);
    if (!upper && *id >= 'A' && *id <= 'Z') *id = (char)(*id + 32);
  }
}
