// Conformance of the window calls the search for programs holding the input
// method relies on: top-level enumeration, class names, and which windows
// name a parent; and of the message loop and edit fields the wizard relies
// on: the order of the quit message, timers, typing into an edit field; and
// of the buttons and placement the skin dialog relies on.
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

// A hidden top-level window of a plain class, registered on first use.
HWND MakePlainWindow() {
  WNDCLASSA windowClass;
  ZeroMemory(&windowClass, sizeof windowClass);
  windowClass.lpfnWndProc = PlainProcedure;
  windowClass.hInstance = GetModuleHandleA(NULL);
  windowClass.lpszClassName = "ConformancePlain";
  RegisterClassA(&windowClass);
  return CreateWindowExA(0, "ConformancePlain", "plain", WS_OVERLAPPED, 0, 0, 300, 100, NULL, NULL,
                         windowClass.hInstance, NULL);
}

WPARAM lastCommand;

LRESULT CALLBACK CommandProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) lastCommand = wParam;
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeRadio(HWND parent, int id) {
  return CreateWindowExA(0, "BUTTON", "radio", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON, 10,
                         10 + 20 * id, 80, 20, parent, (HMENU)(UINT_PTR)id, GetModuleHandleA(NULL), NULL);
}

void SendCharacters(HWND window, const char *bytes) {
  for (const char *p = bytes; *p; ++p) SendMessageA(window, WM_CHAR, (BYTE)*p, 1);
}

}  // namespace

// PostQuitMessage only flags the queue: a message posted after it still
// comes first, so a modal loop that posts the quit message again does not
// overtake what the program posted.
CONFORMANCE_CHECK(QuitMessageComesAfterMessagesPostedLater) {
  HWND window = MakePlainWindow();
  CHECK(window != NULL);
  PostQuitMessage(7);
  CHECK(PostMessageA(window, WM_CLOSE, 0, 0));
  MSG msg;
  int closes = 0;
  while (GetMessageA(&msg, NULL, 0, 0)) closes += msg.message == WM_CLOSE;
  CHECK_EQ(closes, 1);
  CHECK_EQ(msg.wParam, 7);
  DestroyWindow(window);
}

// A window's timer arrives as WM_TIMER with its id; killing it once works.
CONFORMANCE_CHECK(TimerArrivesWithItsIdAndIsKilledOnce) {
  HWND window = MakePlainWindow();
  CHECK(window != NULL);
  CHECK_EQ(SetTimer(window, 2, 10, NULL), 2);
  MSG msg;
  for (int i = 0; i < 100 && GetMessageA(&msg, NULL, 0, 0) && msg.message != WM_TIMER; ++i) DispatchMessageA(&msg);
  CHECK_EQ(msg.message, WM_TIMER);
  CHECK(msg.hwnd == window);
  CHECK_EQ(msg.wParam, 2);
  CHECK(KillTimer(window, 2));
  CHECK(!KillTimer(window, 2));
  DestroyWindow(window);
}

// An edit field adds each character it is sent, and a backspace removes the
// last one. (Two-byte characters of the ANSI code page, sent as two
// messages, are the simulation's own test: Wine 8 joins them into one
// character only some of the time.)
CONFORMANCE_CHECK(EditFieldAddsTypedCharactersAndBackspaceRemovesOne) {
  HWND parent = MakePlainWindow();
  HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD, 10, 10, 230, 20, parent, NULL, GetModuleHandleA(NULL), NULL);
  CHECK(edit != NULL);
  SendCharacters(edit, "ab\bcx\b");
  char text[16];
  CHECK_EQ(GetWindowTextA(edit, text, sizeof text), 2);
  CHECK(strcmp(text, "ac") == 0);
  DestroyWindow(parent);
}

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

// BM_SETCHECK marks one radio button only, and makes a checked one a tab
// stop; a click (button down and up over it) checks an auto radio button,
// unchecks the other auto radio buttons of its group (without WS_GROUP,
// every sibling) and tells the parent its id with BN_CLICKED.
CONFORMANCE_CHECK(AutoRadioButtonClickUnchecksItsGroupButSetCheckDoesNot) {
  WNDCLASSA windowClass;
  ZeroMemory(&windowClass, sizeof windowClass);
  windowClass.lpfnWndProc = CommandProcedure;
  windowClass.hInstance = GetModuleHandleA(NULL);
  windowClass.lpszClassName = "ConformanceRadios";
  CHECK(RegisterClassA(&windowClass) != 0);
  HWND parent = CreateWindowExA(0, "ConformanceRadios", "radios", WS_OVERLAPPED, 0, 0, 200, 200, NULL, NULL,
                                windowClass.hInstance, NULL);
  HWND first = MakeRadio(parent, 1), second = MakeRadio(parent, 2);
  CHECK(parent && first && second);
  SendMessageA(first, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageA(second, BM_SETCHECK, BST_CHECKED, 0);
  CHECK_EQ(SendMessageA(first, BM_GETCHECK, 0, 0) * 10 + SendMessageA(second, BM_GETCHECK, 0, 0), 11);
  SendMessageA(second, BM_SETCHECK, BST_UNCHECKED, 0);
  CHECK((GetWindowLongA(second, GWL_STYLE) & WS_TABSTOP) == 0);
  lastCommand = 0;
  SendMessageA(second, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(second, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  CHECK_EQ(SendMessageA(first, BM_GETCHECK, 0, 0) * 10 + SendMessageA(second, BM_GETCHECK, 0, 0), 1);
  CHECK((GetWindowLongA(second, GWL_STYLE) & WS_TABSTOP) != 0);
  CHECK_EQ(lastCommand, MAKEWPARAM(2, BN_CLICKED));
  DestroyWindow(parent);
}

// SWP_NOSIZE moves a window and keeps its size; EnableWindow tells whether
// the window was disabled before.
CONFORMANCE_CHECK(SetWindowPosMovesWithoutSizingAndEnableWindowTellsTheOldState) {
  HWND window = MakePlainWindow();
  CHECK(window != NULL);
  CHECK(SetWindowPos(window, NULL, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
  RECT rect;
  CHECK(GetWindowRect(window, &rect));
  CHECK_EQ(rect.left * 1000 + rect.top, 40030);
  CHECK_EQ((rect.right - rect.left) * 1000 + (rect.bottom - rect.top), 300100);
  CHECK_EQ(EnableWindow(window, FALSE), FALSE);
  CHECK(!IsWindowEnabled(window));
  CHECK_EQ(EnableWindow(window, TRUE), TRUE);
  CHECK(IsWindowEnabled(window));
  DestroyWindow(window);
}

// A name no program made gives no mapping, and the error says so.
CONFORMANCE_CHECK(MissingSharedMemoryGivesNoHandle) {
  SetLastError(0xdeadbeef);
  CHECK(OpenFileMappingA(FILE_MAP_WRITE, TRUE, "morvakkelt-conformance-none") == NULL);
  CHECK_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}
