// USER32: modal dialogs made from the program's dialog templates, their
// default handling, and the calls that reach their controls.
#include <string>

#include "api_support.h"
#include "controls.h"
#include "dialog_template.h"
#include "gdi_font.h"
#include "message_loop.h"

using sim::M;

namespace {

// The font of DS_SETFONT in pixels at 96 dpi, made as Wine makes it for any
// face, "System" too; without DS_SETFONT the system font.
sim::FontRequest TemplateFont(const sim::DialogTemplate &t) {
  if (!(t.style & DS_SETFONT)) return sim::SystemFont();
  sim::FontRequest font;
  font.height = -((t.pointSize * 96 + 36) / 72);
  font.weight = t.weight, font.charSet = t.charSet;
  font.face = sim::Utf16ToUtf8(t.face);
  return font;
}

// Dialog base units as GetDialogBaseUnits reports them for the font: the
// average width of the 52 Latin letters, rounded, and the cell height.
struct BaseUnits {
  int x = 0, y = 0;
};

BaseUnits FontBaseUnits(const sim::FontRequest &font) {
  const int width = sim::MeasureText(font, u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  const sim::FontMetrics metrics = sim::MeasureFont(font);
  return BaseUnits{(width / 26 + 1) / 2, metrics.ascent + metrics.descent};
}

// MapDialogRect for one coordinate.
int MapX(int x, BaseUnits units) { return (x * units.x + (x >= 0 ? 2 : -2)) / 4; }
int MapY(int y, BaseUnits units) { return (y * units.y + (y >= 0 ? 4 : -4)) / 8; }

LPCWSTR Wide(const std::u16string &text) { return reinterpret_cast<LPCWSTR>(text.c_str()); }

std::string ResourceName(LPCSTR name) {
  if (IS_INTRESOURCE(name)) return "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name));
  return sim::AnsiToUtf8(name);
}

bool LoadTemplate(HINSTANCE instance, LPCSTR name, sim::DialogTemplate *dialog) {
  HRSRC resource = FindResourceA(instance, name, RT_DIALOG);
  if (!resource) return false;
  const BYTE *bytes = static_cast<const BYTE *>(LockResource(LoadResource(instance, resource)));
  return bytes && sim::ParseDialogTemplate(bytes, SizeofResource(instance, resource), dialog);
}

// The dialog window, placed as Windows places it: the template's position
// counts from the owner's client area, the size is the client area's in
// dialog units plus the frame.
HWND CreateDialogWindow(const sim::DialogTemplate &t, BaseUnits units, HWND owner, HINSTANCE instance) {
  const DWORD style = t.style & ~WS_VISIBLE;
  const SIZE size = sim::WindowSizeForClient(style, SIZE{MapX(t.cx, units), MapY(t.cy, units)});
  POINT origin{0, 0};
  if (SimWindow *o = M().user.Find(owner)) {
    const POINT client = sim::ClientOffset(o->style);
    origin = POINT{o->x + client.x, o->y + client.y};
  }
  const POINT frame = sim::ClientOffset(style);
  return CreateWindowExW(t.exStyle, L"#32770", Wide(t.caption), style, origin.x + MapX(t.x, units) - frame.x,
                         origin.y + MapY(t.y, units) - frame.y, size.cx, size.cy, owner, nullptr, instance, nullptr);
}

void CreateControls(HWND dialog, const sim::DialogTemplate &t, BaseUnits units, HFONT font, HINSTANCE instance) {
  for (const sim::DialogItem &item : t.items) {
    const std::u16string className(item.className.begin(), item.className.end());
    HWND control = CreateWindowExW(item.exStyle, Wide(className), Wide(item.text), item.style | WS_CHILD,
                                   MapX(item.x, units), MapY(item.y, units), MapX(item.cx, units),
                                   MapY(item.cy, units), dialog,
                                   reinterpret_cast<HMENU>(static_cast<UINT_PTR>(static_cast<WORD>(item.id))),
                                   instance, nullptr);
    if (control) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
}

HWND FirstTabStop(HWND dialog) {
  for (const auto &w : M().user.windows)
    if (!w->destroyed && w->parent == dialog && (w->style & WS_CHILD) && (w->style & WS_TABSTOP)) return w.get();
  return nullptr;
}

// Default handling: the close box cancels, as Esc does; the dialog paints
// the button face.
LRESULT DefaultDialogHandling(HWND dialog, SimWindow &w, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
      return 0;
    case WM_SETFONT: w.font = reinterpret_cast<HFONT>(wParam); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(w.font);
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(dialog, &paint);
      sim::Canvas *canvas = sim::WindowCanvas(dialog);
      sim::FillCanvas(*canvas, 0, 0, canvas->width, canvas->height, sim::kButtonFace);
      EndPaint(dialog, &paint);
      return 0;
    }
    default: return DefWindowProcA(dialog, message, wParam, lParam);
  }
}

}  // namespace

LRESULT sim::DialogWindowProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  SimWindow *w = M().user.Find(dialog);
  if (!w) return 0;
  if (w->dialogProcedure && w->dialogProcedure(dialog, message, wParam, lParam)) return TRUE;
  return DefaultDialogHandling(dialog, *w, message, wParam, lParam);
}

namespace {

// WM_INITDIALOG, then the dialog shown; activated, it hands the focus to its
// first tab stop unless the procedure put it on a control.
void StartDialog(HWND dialog, DLGPROC procedure, LPARAM param) {
  HWND focus = FirstTabStop(dialog);
  if (procedure(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), param) && focus) SetFocus(focus);
  ShowWindow(dialog, SW_SHOW);
  if (M().user.focus == dialog && focus) SetFocus(focus);
}

// The dialog goes and its owner, enabled again, is activated and takes the
// focus. The result is EndDialog's, 0 when a quit message ended the loop.
INT_PTR FinishDialog(HWND dialog, HWND owner, bool quit) {
  SimWindow *w = M().user.Find(dialog);
  const INT_PTR result = (w && w->dialogResult && !quit) ? *w->dialogResult : 0;
  const HFONT font = w ? w->font : nullptr;
  if (owner) EnableWindow(owner, TRUE);
  DestroyWindow(dialog);
  DeleteObject(font);
  sim::UncoverProgramWindows();
  if (owner && M().user.Find(owner)) SetFocus(owner);
  return result;
}

}  // namespace

INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC procedure, LPARAM param) {
  sim::DialogTemplate t;
  if (!LoadTemplate(instance, name, &t)) return -1;
  const sim::FontRequest fontRequest = TemplateFont(t);
  const BaseUnits units = FontBaseUnits(fontRequest);
  HWND dialog = CreateDialogWindow(t, units, owner, instance);
  if (!dialog) return -1;
  HFONT font = sim::MakeFont(fontRequest);
  SendMessageA(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  CreateControls(dialog, t, units, font, instance);
  M().user.Find(dialog)->dialogProcedure = procedure;
  const std::string dialogName = ResourceName(name);
  M().events.Add("dialog", {{"name", dialogName}, {"state", "open"}});
  if (owner) EnableWindow(owner, FALSE);
  M().user.dialogs.push_back(dialog);
  StartDialog(dialog, procedure, param);
  const bool quit = sim::RunDialogLoop(dialog);
  M().user.dialogs.pop_back();
  const INT_PTR result = FinishDialog(dialog, owner, quit);
  M().events.Add("dialog", {{"name", dialogName}, {"state", quit ? "quit" : "ended"}, {"result", std::to_string(result)}});
  return result;
}

// The loop ends once the message being handled returns; the owner takes
// input again at once, as on Windows.
BOOL EndDialog(HWND dialog, INT_PTR result) {
  SimWindow *w = M().user.Find(dialog);
  if (!w || !w->dialogProcedure) {
    sim::SetError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  w->dialogResult = result;
  if (w->parent) EnableWindow(w->parent, TRUE);
  return TRUE;
}

HWND GetDlgItem(HWND dialog, int id) {
  for (const auto &w : M().user.windows)
    if (!w->destroyed && w->parent == dialog && (w->style & WS_CHILD) &&
        static_cast<WORD>(reinterpret_cast<UINT_PTR>(w->menu)) == static_cast<WORD>(id))
      return w.get();
  sim::SetError(1421);  // ERROR_CONTROL_ID_NOT_FOUND
  return nullptr;
}

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND control = GetDlgItem(dialog, id);
  return control ? SendMessageA(control, message, wParam, lParam) : 0;
}
