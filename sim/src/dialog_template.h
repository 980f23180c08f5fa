// A dialog template in its binary resource form, as DialogBoxParam reads it
// from the program's resources.
#pragma once

#include <string>
#include <vector>

#include "simwin/types.h"

namespace sim {

// One control of the template, in dialog units.
struct DialogItem {
  DWORD style = 0, exStyle = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
  DWORD id = 0;
  std::string className;  // UTF-8; the predefined atoms as their names ("BUTTON", "STATIC", ...)
  std::u16string text;
};

struct DialogTemplate {
  DWORD style = 0, exStyle = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
  std::u16string caption;
  // The font of DS_SETFONT.
  int pointSize = 0, weight = 0;
  bool italic = false;
  BYTE charSet = 0;
  std::u16string face;
  std::vector<DialogItem> items;
};

// Reads the extended template (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX
// items, each item aligned to four bytes); false when the bytes are not one
// or run out before its last item. Narrower than Windows: the old DLGTEMPLATE
// form, menus and dialog classes are refused.
bool ParseDialogTemplate(const BYTE *bytes, size_t size, DialogTemplate *dialog);

}  // namespace sim
