// Conformance of the window calls the search for programs holding the input
// method relies on: top-level enumeration, class names, and which windows
// name a parent.
#include <string.h>

#include "platform/conformance.h"

namespace {

LRESULT CALLBACK PlainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

struct Found {
  HWND wanted[3];
  int seen[3];
};

BOOL CALLBACK NoteWindow(HWND window, LPARAM parameter) {
  Found *found = (Found *)parameter;
  for (int i = 0; i < 3; ++i)
    if (window == found->wanted[i]) ++found->seen[i];
  return TRUE;
}

}  // namespace

// An owned popup names its owner; an owned overlapped window names none.
// Both are top-level windows that the enumeration visits once.
CONFORMANCE_CHECK(OwnedPopupNamesItsOwnerAndEveryTopLevelWindowIsEnumerated) {
  WNDCLASSA windowClass;
  ZeroMemory(&windowClass, sizeof windowClass);
  windowClass.lpfnWndProc = PlainProcedure;
  windowClass.hInstance = GetModuleHandleA(NULL);
  windowClass.lpszClassName = "ConformanceOwner";
  CHECK(RegisterClassA(&windowClass) != 0);
  HWND owner = CreateWindowExA(0, "ConformanceOwner", "owner", WS_OVERLAPPED, 0, 0, 50, 50, NULL, NULL,
                               windowClass.hInstance, NULL);
  HWND popup = CreateWindowExA(0, "ConformanceOwner", "popup", WS_POPUP, 0, 0, 50, 50, owner, NULL,
                               windowClass.hInstance, NULL);
  HWND overlapped = CreateWindowExA(0, "ConformanceOwner", "overlapped", WS_OVERLAPPED, 0, 0, 50, 50, owner, NULL,
                                    windowClass.hInstance, NULL);
  CHECK(owner && popup && overlapped);
  CHECK(GetParent(popup) == owner);
  CHECK(GetParent(overlapped) == NULL);
  CHECK(GetParent(owner) == NULL);
  Found found = {{owner, popup, overlapped}, {0, 0, 0}};
  CHECK(EnumWindows(NoteWindow, (LPARAM)&found));
  CHECK_EQ(found.seen[0] * 100 + found.seen[1] * 10 + found.seen[2], 111);
  char name[8];
  CHECK_EQ(GetClassNameA(popup, name, sizeof name), 7);
  CHECK(strcmp(name, "Conform") == 0);
  DestroyWindow(overlapped);
  DestroyWindow(popup);
  DestroyWindow(owner);
}

// A name no program made gives no mapping, and the error says so.
CONFORMANCE_CHECK(MissingSharedMemoryGivesNoHandle) {
  SetLastError(0xdeadbeef);
  CHECK(OpenFileMappingA(FILE_MAP_WRITE, TRUE, "morvakkelt-conformance-none") == NULL);
  CHECK_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}
