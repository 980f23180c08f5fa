#include "shell/main_window.h"

#include "common/os_detection.h"
#include "common/program_state.h"
#include "common/texts.h"
#include "shell/window_procedure.h"

namespace {

const int kWindowWidth = 400;
const int kWindowHeight = 310;
// The window is centred as if it were this high.
const int kCentringHeight = 300;
const DWORD kEditStyle = 0x40080000;  // WS_CHILD | WS_SYSMENU, not visible

HWND CreateEditField(int x, int y) {
  return CreateWindowExA(0, "EDIT", " ", kEditStyle, x, y, 230, 20, program.mainWindow, NULL, program.programInstance,
                         NULL);
}

void ComposeTitle(WCHAR *title, int size) {
  const WCHAR *prefix = windowsFacts.is64BitWindows ? kTitlePrefix3264 : kTitlePrefix32;
  WCHAR suffix[64];
  const WindowsFacts &facts = windowsFacts;
  wsprintfW(suffix, kTitleSuffixFormat, facts.bitness, facts.wow64, facts.windows11, facts.windows10,
            (int)facts.versionNumber);
  if (lstrlenW(prefix) + lstrlenW(suffix) >= size) return;
  lstrcpyW(title, prefix);
  lstrcatW(title, suffix);
}

}  // namespace

ATOM RegisterMainWindowClass(HINSTANCE instance) {
  WNDCLASSA windowClass;
  ZeroMemory(&windowClass, sizeof windowClass);
  windowClass.style = 0;
  windowClass.lpfnWndProc = MainWindowProcedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, "morvak");
  windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
  windowClass.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
  windowClass.lpszClassName = "installWClass";
  return (ATOM)RegisterClassA(&windowClass);
}

int CreateMainWindow(HINSTANCE instance, int showCommand) {
  program.programInstance = instance;
  int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  WCHAR title[128] = {0};
  ComposeTitle(title, sizeof title / sizeof title[0]);
  program.interfaceChoice = 1;
  program.mainWindow =
      CreateWindowExW(0, L"installWClass", title, WS_SYSMENU, (screenWidth - kWindowWidth) / 2,
                      (screenHeight - kCentringHeight) / 2, kWindowWidth, kWindowHeight, NULL, NULL, instance, NULL);
  if (!program.mainWindow) return 0;
  program.editFieldA = CreateEditField(120, 195);
  program.editFieldB = CreateEditField(130, 195);
  program.editFieldC = CreateEditField(130, 165);
  program.editFieldD = CreateEditField(130, 135);
  ShowWindow(program.mainWindow, showCommand);
  UpdateWindow(program.mainWindow);
  return 1;
}
