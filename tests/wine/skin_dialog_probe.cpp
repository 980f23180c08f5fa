// Shows the skin dialog of an executable's resources under a real Win32
// implementation, the way the setup program shows it: an owner window in the
// wizard's place, the dialog moved onto it, 106 and 110 checked, each radio
// click taken as the choice of its group, Esc and the close box ignored, OK
// ending it. Prints what it sees, one fact a line, for the test to compare
// with the simulated machine.
//
//   skin_dialog_probe.exe EXECUTABLE DIALOG-NAME
#include <windows.h>

#include <cstdio>
#include <initializer_list>

namespace {

const int kModeButtons[] = {101, 102, 106, 107};
const int kSkinButtons[] = {110, 111, 112};
int modeChoice = 106, skinChoice = 110;

void ShowChoices(HWND dialog) {
  for (int id : kModeButtons) SendDlgItemMessageA(dialog, id, BM_SETCHECK, id == modeChoice, 0);
  for (int id : kSkinButtons) SendDlgItemMessageA(dialog, id, BM_SETCHECK, id == skinChoice, 0);
}

// Each control: id, class, style and rectangle in the dialog's client area.
BOOL CALLBACK PrintControl(HWND control, LPARAM dialogParam) {
  HWND dialog = reinterpret_cast<HWND>(dialogParam);
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(NULL, dialog, reinterpret_cast<POINT *>(&r), 2);
  char className[32];
  GetClassNameA(control, className, sizeof className);
  std::printf("control %d %s %08lx %ld,%ld,%ld,%ld\n", GetDlgCtrlID(control) & 0xFFFF, className,
              static_cast<unsigned long>(GetWindowLongA(control, GWL_STYLE)), r.left, r.top, r.right, r.bottom);
  return TRUE;
}

void PrintDialog(HWND dialog) {
  RECT window, client;
  GetWindowRect(dialog, &window);
  GetClientRect(dialog, &client);
  std::printf("dialog %ld,%ld %ldx%ld client %ldx%ld\n", window.left, window.top, window.right - window.left,
              window.bottom - window.top, client.right, client.bottom);
  EnumChildWindows(dialog, PrintControl, reinterpret_cast<LPARAM>(dialog));
}

// The check marks of the seven radios after a message was handled.
void PrintChecks(HWND dialog) {
  std::printf("checks");
  for (int id : {101, 102, 106, 107, 110, 111, 112})
    std::printf(" %d=%d", id, static_cast<int>(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0)));
  std::printf("\n");
}

INT_PTR CALLBACK ProbeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    RECT owner;
    GetWindowRect(GetParent(dialog), &owner);
    SetWindowPos(dialog, NULL, owner.left, owner.top, 0, 0, SWP_NOSIZE);
    ShowChoices(dialog);
    PrintDialog(dialog);
    PrintChecks(dialog);
  } else if (message == WM_COMMAND) {
    const int id = LOWORD(wParam);
    std::printf("command %d %d\n", id, HIWORD(wParam));
    if (id == 105) {
      std::fflush(stdout);
      EndDialog(dialog, 0);
      return TRUE;
    }
    PrintChecks(dialog);  // what the button did by itself
    for (int mode : kModeButtons)
      if (id == mode) modeChoice = id;
    for (int skin : kSkinButtons)
      if (id == skin) skinChoice = id;
    ShowChoices(dialog);
  } else {
    return FALSE;
  }
  std::fflush(stdout);
  return FALSE;
}

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: skin_dialog_probe EXECUTABLE DIALOG-NAME\n");
    return 2;
  }
  HMODULE module = LoadLibraryExA(argv[1], NULL, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) {
    std::printf("load failed %lu\n", GetLastError());
    return 1;
  }
  WNDCLASSA ownerClass = {};
  ownerClass.lpfnWndProc = OwnerProc;
  ownerClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  ownerClass.lpszClassName = "skinDialogOwner";
  RegisterClassA(&ownerClass);
  // The prefix's desktop starts with the first window of a fresh session; on
  // a busy machine it may not take windows yet. The owner is the probe's own
  // scaffolding: it waits for the desktop (at most 10 s), and says so.
  HWND owner = NULL;
  for (int tries = 0; !owner && tries < 50; ++tries) {
    owner = CreateWindowExA(0, "skinDialogOwner", "skin dialog owner", WS_SYSMENU | WS_VISIBLE, 100, 80, 400, 310,
                            NULL, NULL, GetModuleHandleA(NULL), NULL);
    if (!owner) {
      std::printf("owner window not created yet, error %lu\n", GetLastError());
      Sleep(200);
    }
  }
  if (!owner) return 1;
  std::printf("code page %u\n", GetACP());
  std::fflush(stdout);
  INT_PTR result = DialogBoxParamA(module, argv[2], owner, ProbeDialogProc, 0);
  std::printf("result %ld error %lu\n", static_cast<long>(result), result == -1 ? GetLastError() : 0);
  DestroyWindow(owner);
  return 0;
}
