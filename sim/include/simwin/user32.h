// USER32 as the simulated machine provides it: message boxes answered from a
// script, window classes and windows, the message queue fed by the user's
// scripted actions and by timers in virtual time, text formatting and
// keyboard-layout queries.
#pragma once

#include "simwin/types.h"

// ---- Formatting and character case ----

int wsprintfA(LPSTR out, LPCSTR format, ...);
int wsprintfW(LPWSTR out, LPCWSTR format, ...);
LPSTR CharUpperA(LPSTR text);
LPSTR CharLowerA(LPSTR text);

// ---- Message boxes ----

#define MB_OK 0x0
#define MB_OKCANCEL 0x1
#define MB_YESNOCANCEL 0x3
#define MB_YESNO 0x4
#define MB_ICONERROR 0x10
#define MB_ICONQUESTION 0x20
#define MB_ICONWARNING 0x30
#define MB_ICONINFORMATION 0x40
#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7

// Before the answer is taken, the box's modal loop serves the program's
// windows: posted messages, paints, due timers and the scripted actions
// marked to happen while a box is open. A WM_QUIT ends the box at once with
// 0 and is posted again for the main loop.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

// ---- Window classes and windows ----

struct WNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
};

struct CREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
};

#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_CAPTION 0x00C00000L
#define WS_SYSMENU 0x00080000L
#define WS_BORDER 0x00800000L
#define WS_DISABLED 0x08000000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L

#define SM_CXSCREEN 0
#define SM_CYSCREEN 1

#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define IDI_APPLICATION MAKEINTRESOURCEA(32512)

ATOM RegisterClassA(const WNDCLASSA *windowClass);
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
BOOL DestroyWindow(HWND window);
BOOL ShowWindow(HWND window, int show);
BOOL UpdateWindow(HWND window);
BOOL IsWindow(HWND window);
BOOL IsWindowVisible(HWND window);
HWND FindWindowA(LPCSTR className, LPCSTR title);
typedef BOOL (*WNDENUMPROC)(HWND, LPARAM);
// Top-level windows in the order they were made (Windows goes by z-order).
BOOL EnumWindows(WNDENUMPROC callback, LPARAM parameter);
int GetClassNameA(HWND window, LPSTR name, int size);
// The parent of a child window, the owner of an owned popup, else null.
HWND GetParent(HWND window);
BOOL SetWindowTextA(HWND window, LPCSTR text);
BOOL SetWindowTextW(HWND window, LPCWSTR text);
int GetWindowTextA(HWND window, LPSTR text, int size);
int GetWindowTextW(HWND window, LPWSTR text, int size);
// Sends WM_KILLFOCUS to the window losing the focus, then WM_SETFOCUS.
HWND SetFocus(HWND window);
BOOL InvalidateRect(HWND window, const RECT *rect, BOOL erase);
int GetSystemMetrics(int index);
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);

// ---- Messages ----

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};
typedef MSG *LPMSG;

struct COPYDATASTRUCT {
  ULONG_PTR dwData;
  DWORD cbData;
  PVOID lpData;
};
typedef COPYDATASTRUCT *PCOPYDATASTRUCT;

#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_SETFONT 0x0030
#define WM_GETFONT 0x0031
#define WM_QUIT 0x0012
#define WM_COPYDATA 0x004A
#define WM_KEYDOWN 0x0100
#define WM_CHAR 0x0102
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_TIMER 0x0113
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_RBUTTONDOWN 0x0204

#define VK_ESCAPE 0x1B

#define MK_LBUTTON 0x0001
#define MK_RBUTTON 0x0002
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))

// Takes one message: posted ones first, then the mouse and keyboard input of
// the scripted action under way, paints of shown windows, due timers, and
// then the user's next scripted action; with nothing left, virtual time runs
// on to the next timer. Throws sim::ScriptExhausted when the program would
// wait for a user who has no action left. A window procedure that never
// validates its window gets WM_PAINT again, as on Windows. The window and
// range filters are ignored.
BOOL GetMessageA(LPMSG msg, HWND window, UINT first, UINT last);
BOOL TranslateMessage(const MSG *msg);
LRESULT DispatchMessageA(const MSG *msg);
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

typedef void (*TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);
#define USER_TIMER_MINIMUM 0x0000000A
// A repeating timer of the window, in virtual time: WM_TIMER with the id
// every `ms` (at least USER_TIMER_MINIMUM); an existing id is reset. Narrower
// than Windows: a timer without window or with a callback is refused (0).
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT ms, TIMERPROC callback);
BOOL KillTimer(HWND window, UINT_PTR id);

// ---- Window placement and input state ----

#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_NOACTIVATE 0x0010
#define SWP_SHOWWINDOW 0x0040
#define SWP_HIDEWINDOW 0x0080

// Screen coordinates; a child's from its parent's client area.
BOOL GetWindowRect(HWND window, LPRECT rect);
// Moves and sizes; the insertion order and activation flags are ignored
// (narrower than Windows, which also changes the z-order).
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
// A disabled window and its children get no mouse input and its close box
// does nothing. Returns whether the window was disabled before.
BOOL EnableWindow(HWND window, BOOL enable);
BOOL IsWindowEnabled(HWND window);
#define GWL_STYLE (-16)
#define GWL_ID (-12)
// The style and a child's id; any other index gives 0 (narrower than Windows).
LONG GetWindowLongA(HWND window, int index);

// ---- Dialogs and their controls ----

#define RT_DIALOG MAKEINTRESOURCEA(5)
#define DS_SETFONT 0x40L
#define DS_MODALFRAME 0x80L

#define BS_PUSHBUTTON 0x0L
#define BS_DEFPUSHBUTTON 0x1L
#define BS_GROUPBOX 0x7L
#define BS_AUTORADIOBUTTON 0x9L
#define BS_TYPEMASK 0xFL
#define SS_LEFT 0x0L

#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001
#define BN_CLICKED 0

// Creates the dialog of the program's RT_DIALOG resource `name` (the
// extended template: a popup window of class "#32770" and its controls as
// child windows, sized in dialog units of the template's font), sends it
// WM_INITDIALOG with `param`, and runs its modal loop with `owner` disabled:
// the owner's paints and timers are served, the scripted actions delivered
// (those for the dialog only here), Esc and the close box become
// WM_COMMAND IDCANCEL. Returns the result given to EndDialog, -1 when the
// resource is missing or not a dialog template. Throws sim::ScriptExhausted
// when the dialog waits for an action that was not given. A WM_QUIT ends
// the loop with 0 and is posted again.
INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC procedure, LPARAM param);
// Ends the modal loop of the dialog once the current message is handled.
BOOL EndDialog(HWND dialog, INT_PTR result);
HWND GetDlgItem(HWND dialog, int id);
LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);

// ---- Keyboard layouts ----

#define KL_NAMELENGTH 9

HKL GetKeyboardLayout(DWORD thread);
BOOL GetKeyboardLayoutNameA(LPSTR name);
